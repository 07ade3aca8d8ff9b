# The installed copy keeps the build tree's runtime layout under lib/filekreller/ (bin/,
# custom_krellers/, context_crtrs/, docs/), so the program finds its plug-in and help directories
# relative to bin/ as it does in the build tree; a launcher in bin/ starts it from there.
include(GNUInstallDirs)
set(FK_INSTALL_APP_DIR lib/filekreller)

# Installs a target where it lies in the build tree's runtime layout: a program built into bin/,
# a plug-in built into custom_krellers/ or context_crtrs/, a helper program built into either.
function(fk_install_runtime target)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    get_target_property(built_into ${target} RUNTIME_OUTPUT_DIRECTORY)
  else()
    get_target_property(built_into ${target} LIBRARY_OUTPUT_DIRECTORY)
  endif()
  if(NOT built_into)
    message(FATAL_ERROR "${target} is not built into the runtime layout")
  endif()
  file(RELATIVE_PATH place ${CMAKE_BINARY_DIR} ${built_into})
  # Shared libraries are not executable files; programs are.
  install(TARGETS ${target}
          RUNTIME DESTINATION ${FK_INSTALL_APP_DIR}/${place}
          LIBRARY DESTINATION ${FK_INSTALL_APP_DIR}/${place}
                  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()
