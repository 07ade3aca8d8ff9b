#include "core/application.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

// The sanitizers' options, built in so they hold however a test program is started; the
// environment's own options still come after these.
extern "C" const char* __asan_default_options() { return "detect_leaks=1:abort_on_error=0"; }
extern "C" const char* __lsan_default_options() { return "suppressions=" FK_LSAN_SUPPRESSIONS ":print_suppressions=0"; }
extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

// No test touches the data of the user who runs it, above all not the trash: the data folder is
// one of the test program's own, removed at its end. A test process started by a test program
// (a death test) shares its parent's.
std::string UseOwnDataFolder()
{
    if (std::getenv("FK_TEST_DATA_HOME"))
        return {};
    std::string folder = (std::filesystem::temp_directory_path() / "fk_data_XXXXXX").string();
    if (!mkdtemp(folder.data()))
        return {};
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    setenv("FK_TEST_DATA_HOME", folder.c_str(), 1);
    return folder;
}

// The program is started in its bin/ directory and finds its docs and plug-ins beside it, so
// every test program runs there too, wherever it was started from, as ctest starts it.
void StartInTheProgramsDirectory()
{
    if (chdir(FK_TEST_WORKING_DIR) != 0)
        std::perror("the tests' working directory " FK_TEST_WORKING_DIR);
}

// Every test program runs with the program's application object on the offscreen platform, so
// widget tests need no display and plain tests pay nothing for it.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::setlocale(LC_ALL, "");
    StartInTheProgramsDirectory();
    const std::string dataFolder = UseOwnDataFolder();
    TFApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    if (!dataFolder.empty())
        std::filesystem::remove_all(dataFolder, ignored);
    return result;
}
