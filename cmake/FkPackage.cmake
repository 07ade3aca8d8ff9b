# `cpack` in the build directory makes the Debian package (scripts/package.sh does it).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME filekreller)
set(CPACK_PACKAGE_VENDOR "FileKreller developers")
set(CPACK_PACKAGE_CONTACT ${FK_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop file search through a chain of filters")
set(CPACK_PACKAGE_DESCRIPTION
    "FileKreller walks start directories and hands every file to a chain of
krellers: filter stages that test names, sizes, dates and text. The files that
pass are listed, to be opened, viewed as text, searched and saved.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${FK_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Icons for the found list's file types come from an installed icon theme.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "adwaita-icon-theme | hicolor-icon-theme")
include(CPack)
