#include "core/application.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>

// The sanitizers' options, built in so they hold however a test program is started; the
// environment's own options still come after these.
extern "C" const char* __asan_default_options() { return "detect_leaks=1:abort_on_error=0"; }
extern "C" const char* __lsan_default_options() { return "suppressions=" FK_LSAN_SUPPRESSIONS ":print_suppressions=0"; }
extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

// Every test program runs with the program's application object on the offscreen platform, so
// widget tests need no display and plain tests pay nothing for it.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::setlocale(LC_ALL, "");
    TFApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
