// How the found list copes with a million rows: appending them through the window's model,
// showing them, and scrolling to the last one. Prints the times. Run by hand: see README.
#include <QApplication>
#include <QScrollBar>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/FoundList.h"
#include "core/main.h"

namespace {

template <typename F>
double Milliseconds(F&& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    constexpr int kRows = 1000000;
    TFmain window;
    window.resize(1200, 800);
    window.show();
    auto* view = window.findChild<QTreeView*>("LV_found");
    const char* const extensions[] = {".txt", ".jpg", ".cpp", ".pdf", ".html", ".zip"};
    FileEntry entry;
    entry.Size = 123456;
    entry.Attributes = faArchive;
    entry.CreationTime = 133000000000000000ULL;

    const double append = Milliseconds([&] {
        for (int i = 0; i < kRows; ++i)
            window.FoundList().Append(entry, "/data/some/deeper/folder/file_" + std::to_string(i) + extensions[i % 6]);
    });
    const double flush = Milliseconds([&] {
        window.FoundList().Flush();
        QCoreApplication::processEvents();
    });
    const double scroll = Milliseconds([&] {
        view->scrollToBottom();
        view->repaint();
    });
    const double select = Milliseconds([&] { window.SelectFoundRow(kRows / 2); view->repaint(); });
    const double clear = Milliseconds([&] {
        window.FoundList().Clear();
        view->repaint();
    });
    std::printf("rows: %d\nappend: %.0f ms\nshow (flush + paint): %.1f ms\nscroll to last row: %.1f ms\n"
                "select a middle row: %.1f ms\nclear: %.1f ms\n",
                kRows, append, flush, scroll, select, clear);
    return 0;
}
