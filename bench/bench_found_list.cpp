// How the found list copes with a million rows: appending them through the window's model,
// showing them, and scrolling to the last one. Prints the times. Run by hand: see README.
#include <QApplication>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>
#include <vector>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/FoundList.h"
#include "core/main.h"
#include "core/refresh_pacing.h"

namespace {

template <typename F>
double Milliseconds(F&& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// How a run shows its rows: at its end only (repainting off), at every tick of the refresh
// timer, or at the ticks the window's pacing lets through (at most 3 % of the time).
enum class TShowing { AtEnd, EveryTick, Paced };

// 200,000 rows appended as a search finds them, with a tick of the refresh timer every tickRows
// rows; a refresh is the flush and the events in which the view lays the rows out and paints.
double LiveRun(TFmain& window, QTreeView* view, TShowing showing, int tickRows)
{
    constexpr int kRunRows = 200000;
    FileEntry entry;
    entry.Size = 4096;
    entry.Attributes = faArchive;
    entry.CreationTime = 133000000000000000ULL;
    window.FoundList().Clear();
    QCoreApplication::processEvents();
    TRefreshPacing pacing(TFmain::LiveRowsShare);
    return Milliseconds([&] {
        window.FoundList().HoldOrder(true);
        view->setUpdatesEnabled(showing != TShowing::AtEnd);
        for (int i = 0; i < kRunRows; ++i) {
            window.FoundList().Append(entry, "/data/run/folder_" + std::to_string(i / 350) + "/file_" + std::to_string(i) + ".txt");
            if ((i + 1) % tickRows != 0 || showing == TShowing::AtEnd)
                continue;
            const auto start = std::chrono::steady_clock::now();
            if (showing == TShowing::Paced && !pacing.Due(start))
                continue;
            window.FoundList().Flush();
            QCoreApplication::processEvents();
            pacing.Done(std::chrono::steady_clock::now() - start, std::chrono::steady_clock::now());
        }
        window.FoundList().HoldOrder(false);
        view->setUpdatesEnabled(true);
        QCoreApplication::processEvents();
    });
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
    // As a search shows its rows, alternating, median of five each; a tick every 2,000 rows is
    // a tick of the 250 ms timer in a search finding 8,000 files a second.
    for (const int tickRows : {20000, 2000}) {
        std::vector<double> times[3];
        for (int round = 0; round < 15; ++round) {
            const auto showing = static_cast<TShowing>(round % 3);
            times[round % 3].push_back(LiveRun(window, view, showing, tickRows));
        }
        for (auto& t : times)
            std::sort(t.begin(), t.end());
        std::printf("200,000 rows as a run finds them, a tick every %d rows: at the end %.0f ms, every tick %.0f ms "
                    "(ratio %.3f), paced %.0f ms (ratio %.3f)\n", tickRows, times[0][2], times[1][2],
                    times[1][2] / times[0][2], times[2][2], times[2][2] / times[0][2]);
    }
    std::printf("rows: %d\nappend: %.0f ms\nshow (flush + paint): %.1f ms\nscroll to last row: %.1f ms\n"
                "select a middle row: %.1f ms\nclear: %.1f ms\n",
                kRows, append, flush, scroll, select, clear);
    return 0;
}
