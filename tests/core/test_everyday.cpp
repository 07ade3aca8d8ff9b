// The main window for the commonest searches: the name box, rows as they are found, Stop.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "ModalDriver.h"
#include "core/FoundList.h"
#include "core/SearchWalk.h"
#include "core/progress.h"
#include "core/run_status.h"
#include "core/start_path_box.h"
#include "krellers/kreller_list_view.h"
#include "window_fixture.h"

namespace {

struct EverydayFixture : WindowTest {
    ProbeKreller probe;

    EverydayFixture()
    {
        TNativeKrellers natives;
        natives.FileSize = &probe;
        window.AttachNativeKrellers(natives);
        window.FormActivate();
    }

    void SwitchOnProbe()
    {
        TKrellerRow& row = window.Krellers().Krellers().Row(0);
        row.Strings = {"probe"};
        row.Checked = true;
        window.Krellers().Refresh();
    }

    QLineEdit* NameEdit() { return window.findChild<QLineEdit*>("Edit_name"); }

    std::vector<std::string> ShownNames()
    {
        std::vector<std::string> names;
        for (int i = 0; i < window.FoundList().rowCount(); ++i)
            names.emplace_back(window.FoundList().Row(i).Name());
        std::sort(names.begin(), names.end());
        return names;
    }
};

using Names = std::vector<std::string>;

void PressKey(QWidget* widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

TEST_F(EverydayFixture, EnterInTheNameBoxSearchesForNamesContainingTheText)
{
    tree.File("copyright");
    tree.File("a/COPYRIGHT.gz");
    tree.File("a/changelog");
    window.SetStartPaths({tree.Root()}, 0);
    ASSERT_NE(NameEdit(), nullptr);
    EXPECT_FALSE(NameEdit()->placeholderText().isEmpty());
    NameEdit()->setText("copyright");
    PressKey(NameEdit(), Qt::Key_Return);
    EXPECT_EQ(ShownNames(), (Names{"COPYRIGHT.gz", "copyright"}));
    // The summary's funnel counts the name box as a stage of its own.
    EXPECT_NE(window.SearchResultText().find("Name contains \"copyright\": 3 files asked, 1 refused"), std::string::npos)
        << window.SearchResultText();
    EXPECT_EQ(window.NameHistory(), (Names{"copyright"}));
}

TEST_F(EverydayFixture, TypingAfterARunFiltersTheListedRowsAndWideningShowsThemAgain)
{
    for (const char* name : {"report-2023.odt", "report-2024.odt", "notes.txt"})
        tree.File(name);
    window.SetStartPaths({tree.Root()}, 0);
    window.SB_runClick();
    ASSERT_EQ(window.FoundList().rowCount(), 3);
    NameEdit()->setText("report");
    EXPECT_EQ(ShownNames(), (Names{"report-2023.odt", "report-2024.odt"}));
    NameEdit()->setText("report 2024");
    EXPECT_EQ(ShownNames(), (Names{"report-2024.odt"}));
    EXPECT_EQ(window.StatusText(), "1 of 3 files listed match; Enter searches again");
    // The found list's commands act on what is shown.
    EXPECT_EQ(window.FoundPathsShown(), (std::vector<std::string>{tree.Path("report-2024.odt")}));
    NameEdit()->setText("");
    EXPECT_EQ(window.FoundList().rowCount(), 3);

    // Filtering the shown list gives what a fresh walk with the same text finds.
    NameEdit()->setText("*.odt");
    const Names filtered = ShownNames();
    window.SB_runClick();
    EXPECT_EQ(ShownNames(), filtered);
}

TEST_F(EverydayFixture, TypingDoesNotFilterRowsOfOtherStartPathsOrALoadedList)
{
    tree.File("one/a.txt");
    tree.File("two/b.txt");
    window.SetStartPaths({tree.Path("one")}, 0);
    window.SB_runClick();
    window.SetStartPaths({tree.Path("two")}, 0);
    NameEdit()->setText("nothing-matches");
    EXPECT_EQ(window.FoundList().rowCount(), 1);
}

TEST_F(EverydayFixture, TheHistoryKeepsTheNewestTwentyTextsOnce)
{
    window.SetStartPaths({}, -1);
    for (int i = 0; i < 25; ++i) {
        NameEdit()->setText(QString("t%1").arg(i));
        window.SB_runClick();
    }
    NameEdit()->setText("t22");
    window.SB_runClick();
    const Names history = window.NameHistory();
    ASSERT_EQ(history.size(), 20u);
    EXPECT_EQ(history[0], "t22");
    EXPECT_EQ(history[1], "t24");
    EXPECT_EQ(history[2], "t23");
    EXPECT_EQ(history.back(), "t5");  // t22 moved to the front, so t5 stays
    EXPECT_EQ(NameEdit()->text(), "t22");
}

TEST_F(EverydayFixture, WhyNotFoundNamesTheNameBox)
{
    tree.File("notes.txt");
    window.SetStartPaths({tree.Root()}, 0);
    NameEdit()->setText("*.pdf");
    EXPECT_EQ(window.WhyNotFoundText(tree.Path("notes.txt")),
              "\"" + tree.Path("notes.txt") + "\" is refused by the name box: its name does not match \"*.pdf\".");
}

// A timer of the window keeps ticking through a long run, whether the walk's workers are ahead
// of it or it reads every directory itself: the window never waits for the run to end.
TEST_F(EverydayFixture, TheEventLoopRunsThroughoutALongRun)
{
    for (int d = 0; d < 40; ++d)
        for (int f = 0; f < 300; ++f)
            tree.File("d" + std::to_string(d) + "/f" + std::to_string(f));
    window.SetStartPaths({tree.Root()}, 0);
    for (const unsigned workers : {0u, TSearchWalk::DefaultWorkers()}) {
        window.Walk().Workers = workers;
        window.Walk().LookAhead = TSearchWalk::TLookAhead::AtOnce;
        std::vector<std::int64_t> examinedAtTicks;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { examinedAtTicks.push_back(window.TotalCount()); });
        ticker.start(1);
        window.SB_runClick();
        ticker.stop();
        const std::int64_t total = window.TotalCount();
        EXPECT_EQ(window.FoundList().rowCount(), 40 * 300);
        EXPECT_TRUE(std::any_of(examinedAtTicks.begin(), examinedAtTicks.end(),
                                [&](std::int64_t examined) { return examined > 0 && examined < total; }))
            << workers << " workers: " << examinedAtTicks.size() << " ticks";
    }
}

} // namespace

namespace {

struct RunFixture : EverydayFixture {
    RunFixture()
    {
        for (int i = 0; i < 30; ++i)
            tree.File("f" + std::to_string(i) + ".txt");
        SwitchOnProbe();
        window.SetStartPaths({tree.Root()}, 0);
    }

    // Lets the refresh timer tick at least once, as a run that takes its time would.
    static void WaitForATick()
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 300)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
};

TEST_F(RunFixture, RowsAppearInTheListWhileTheRunGoesOn)
{
    int shownMeanwhile = -1;
    QString titleMeanwhile;
    int tested = 0;
    probe.test = [&](const std::string&) {
        if (++tested == 10) {
            WaitForATick();
            shownMeanwhile = window.FoundList().rowCount();
            titleMeanwhile = window.windowTitle();
        }
        return true;
    };
    window.SB_runClick();
    EXPECT_GE(shownMeanwhile, 9);
    EXPECT_TRUE(titleMeanwhile.startsWith("FileKreller - ")) << titleMeanwhile.toStdString();
    EXPECT_TRUE(titleMeanwhile.endsWith("files found...")) << titleMeanwhile.toStdString();
    EXPECT_EQ(window.FoundList().rowCount(), 30);
    EXPECT_TRUE(window.windowTitle().startsWith("FileKreller - 30 files found in "));
    EXPECT_TRUE(window.StatusText().startsWith("30 files found in "));
    EXPECT_EQ(window.findChild<QLabel*>("Label_found_stat")->text(), "");

    // Off, the list shows nothing until the end.
    window.LiveResults = false;
    bool paintedMeanwhile = true;
    probe.test = [&](const std::string&) {
        paintedMeanwhile = window.findChild<QWidget*>("LV_found")->updatesEnabled();
        return true;
    };
    window.SB_runClick();
    EXPECT_FALSE(paintedMeanwhile);
    EXPECT_TRUE(window.findChild<QWidget*>("LV_found")->updatesEnabled());
}

struct StopWay {
    const char* name;
    std::function<void(TFmain&)> stop;
};

class StopWays : public RunFixture, public ::testing::WithParamInterface<StopWay> {};

TEST_P(StopWays, StopEndsTheRunAtOnceKeepingTheRowsFound)
{
    int tested = 0;
    probe.test = [&](const std::string&) {
        if (++tested == 10)
            GetParam().stop(window);
        return true;
    };
    window.SB_runClick();
    EXPECT_EQ(tested, 10);
    EXPECT_EQ(window.FoundList().rowCount(), 10);
    EXPECT_TRUE(window.StopRequested());
    EXPECT_TRUE(window.StatusText().startsWith("stopped after ")) << window.StatusText().toStdString();
    EXPECT_TRUE(window.StatusText().endsWith(": 10 files found")) << window.StatusText().toStdString();
    EXPECT_EQ(window.findChild<QLabel*>("Label_found_stat")->text(), "stopped");
    EXPECT_FALSE(window.Searching);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, StopWays,
    ::testing::Values(
        StopWay{"StopButton", [](TFmain& w) { w.findChild<QAbstractButton*>("SB_run")->click(); }},
        StopWay{"EscapeInTheWindow", [](TFmain& w) { emit w.findChild<QShortcut*>("Shortcut_stop")->activated(); }},
        StopWay{"EscapeInTheProgressWindow", [](TFmain& w) { PressKey(w.ProgressDialog(), Qt::Key_Escape); }}),
    [](const ::testing::TestParamInfo<StopWay>& info) { return std::string(info.param.name); });

TEST(RunStatus, TellsHowTheRunEnded)
{
    using namespace std::chrono_literals;
    TKrellerFunnel funnel;
    funnel.Stages.push_back({nullptr, "File mask condition", false, 40, 40, 40, {}});
    funnel.FirstErrorKreller = "File mask condition";
    funnel.FirstError = "Invalid mask";
    const struct {
        TRunStatus status;
        std::string text;
        std::string title;
        TIndicatorState indicator;
    } cases[] = {
        {TRunStatus{}, "", "FileKreller", TIndicatorState::Normal},
        {TRunStatus::Ended(1, false, 250ms, {}), "1 file found in 0.25 s", "FileKreller - 1 file found in 0.25 s",
         TIndicatorState::Normal},
        {TRunStatus::Ended(12, true, 12s, {}), "stopped after 12.0 s: 12 files found",
         "FileKreller - stopped after 12.0 s: 12 files found", TIndicatorState::Stopped},
        {TRunStatus::Ended(0, false, 1s, funnel),
         "0 files found in 1.00 s; 40 files refused because of an error in File mask condition: Invalid mask",
         "FileKreller - 0 files found in 1.00 s, ended with errors: see summary", TIndicatorState::Warning},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunStatusText(c.status), c.text);
        EXPECT_EQ(RunTitleText(c.status), c.title);
        EXPECT_EQ(IndicatorState(c.status), c.indicator) << c.text;
    }
}

} // namespace

#include <QHeaderView>
#include <QListWidget>
#include <QSplitter>
#include <QTreeView>

#include "tagged/settings_store.h"

namespace {

TEST(RememberedWindow, WhatTheUserLeftComesBackAtTheNextStart)
{
    TempTree tree;
    const std::string file = tree.Path("FileKreller.set");
    const std::vector<std::string> paths{tree.Dir("one") , tree.Dir("two")};
    {
        TSettingsStore store(file);
        store.Load();
        StoredSettings settings(store);
        TFmain window;
        window.AttachSettings(&settings);
        window.SetStartPaths(paths, 1);
        window.SetNameHistory({"*.pdf", "copyright"});
        window.SetNameBoxText("report");
        window.StartPathBox().SetRecentPaths({paths[1], paths[0]});
        window.findChild<QTreeView*>("LV_found")->header()->resizeSection(0, 211);
        window.findChild<QTreeView*>("LV_found")->header()->setSortIndicator(2, Qt::DescendingOrder);
        window.LiveResults = false;
        window.ShowPreview(true);
        window.findChild<QSplitter*>("Splitter_preview")->setSizes({500, 300});
        window.KeepRememberedState();
        ASSERT_TRUE(store.Save());
    }
    TSettingsStore store(file);
    store.Load();
    StoredSettings settings(store);
    TFmain window;
    window.AttachSettings(&settings);
    EXPECT_EQ(window.StartPaths(), paths);
    EXPECT_EQ(window.findChild<QListWidget*>("LB_paths")->currentRow(), 1);
    EXPECT_EQ(window.NameHistory(), (std::vector<std::string>{"*.pdf", "copyright"}));
    EXPECT_EQ(window.NameBoxText(), "report");
    EXPECT_EQ(window.RecentStartPaths(), (std::vector<std::string>{paths[1], paths[0]}));
    EXPECT_EQ(window.findChild<QTreeView*>("LV_found")->header()->sectionSize(0), 211);
    EXPECT_EQ(window.FoundList().Sorting(), (TFoundSort{true, TFoundColumn::Size, true}));
    EXPECT_FALSE(window.LiveResults);
    EXPECT_TRUE(window.PreviewShown());
    const QList<int> paneSizes = window.findChild<QSplitter*>("Splitter_preview")->sizes();
    ASSERT_EQ(paneSizes.size(), 2);
    EXPECT_GT(paneSizes[1], 0);

    // Without "Remember start paths" the next start has the default path.
    window.RememberPaths = false;
    window.KeepRememberedState();
    TFmain next;
    next.AttachSettings(&settings);
    EXPECT_EQ(next.StartPaths(), (std::vector<std::string>{store.DefaultPath()}));
    EXPECT_FALSE(next.RememberPaths);
}

} // namespace

namespace {

TEST_F(EverydayFixture, DelInTheStartPathsListRemovesTheSelectedPath)
{
    window.SetStartPaths({tree.Dir("a"), tree.Dir("b")}, 0);
    PressKey(window.findChild<QListWidget*>("LB_paths"), Qt::Key_Delete);
    EXPECT_EQ(window.StartPaths(), (std::vector<std::string>{tree.Path("b")}));
}

} // namespace
