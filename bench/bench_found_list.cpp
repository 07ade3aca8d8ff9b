// How the found list copes with a million rows: appending them through the window's model,
// showing them, scrolling to the last one, and the quick filter narrowing and widening them a
// keystroke at a time. Prints the times. Run by hand: see README.
#include <QApplication>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

// A path of a tree of forty areas and a few hundred folders, names from a handful of stems, so
// the filter's texts match some rows and not others.
std::string GeneratedPath(int i)
{
    static const char* const areas[] = {"home/anna/projects", "srv/share/reports", "usr/share/doc", "data/photos"};
    static const char* const stems[] = {"report", "notes", "photo", "repository", "summary", "draft", "invoice", "readme"};
    static const char* const extensions[] = {".txt", ".jpg", ".cpp", ".pdf", ".html", ".zip"};
    return "/" + std::string(areas[i % 4]) + "/area" + std::to_string(i % 40) + "/folder" + std::to_string(i % 317) +
           "/" + stems[(i / 7) % 8] + "_" + std::to_string(i) + extensions[i % 6];
}

// Types text into the quick filter one keystroke at a time (each a text the field holds in
// turn) and prints the time each took until the list was painted again.
void TimeKeystrokes(TFmain& window, QTreeView* view, const char* order, const std::vector<QString>& texts)
{
    for (const QString& text : texts) {
        const double ms = Milliseconds([&] {
            window.SetQuickFilter(text);
            view->repaint();
        });
        std::printf("quick filter (%s) \"%s\": %.1f ms, %d shown\n", order, qPrintable(text), ms,
                    window.FoundList().Count());
    }
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
    TRefreshPacing pacing(TFmain::LiveRowsShare, TFmain::LiveRowsLongestWait);
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
            view->viewport()->repaint();
            pacing.Done(std::chrono::steady_clock::now() - start, std::chrono::steady_clock::now());
            QCoreApplication::processEvents();
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
    // The keystrokes of typing "repo", then widening it again and a longer, rarer text.
    const std::vector<QString> keystrokes{"r", "re", "rep", "repo", "rep", "", "repository_99", ""};
    window.FoundList().Clear();
    for (int i = 0; i < kRows; ++i)
        window.FoundList().Append(entry, GeneratedPath(i));
    window.FoundList().Flush();
    QCoreApplication::processEvents();
    TimeKeystrokes(window, view, "found order", keystrokes);
    window.FoundList().sort(TFoundListModel::ColName, Qt::AscendingOrder);
    TimeKeystrokes(window, view, "sorted by name", keystrokes);

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
