#include <QApplication>
#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>

// Every test program runs with a QApplication on the offscreen platform, so widget tests
// need no display and plain tests pay nothing for it.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
