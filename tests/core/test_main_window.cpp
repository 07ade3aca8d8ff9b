#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QHeaderView>
#include <QTreeView>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QComboBox>
#include <QSpinBox>
#include <map>

#include "ModalDriver.h"
#include "RunEvents.h"
#include "TempTree.h"
#include "TestPlugins.h"
#include "core/FoundList.h"
#include "core/command_row.h"
#include "core/main.h"
#include "core/msg.h"
#include "core/sure.h"
#include "krellers/kreller.h"
#include "krellers/kreller_list_view.h"
#include "krellers/kreller_size.h"
#include "platform/Dates.h"
#include "window_fixture.h"

namespace {

struct MainWindowFixture : WindowTest {
    ProbeKreller probe;
    TD_kreller_size sizeKreller;

    void Activate(TD_kreller* fileKreller)
    {
        TNativeKrellers natives;
        natives.FileSize = fileKreller;
        window.AttachNativeKrellers(natives);
        window.FormActivate();
    }

    // Gives the first kreller row a condition and checks it.
    void SwitchOnFirstRow(TConditionStrings strings)
    {
        TKrellerRow& row = window.Krellers().Krellers().Row(0);
        row.Strings = std::move(strings);
        row.Checked = true;
        window.Krellers().Refresh();
    }

    bool Enabled(const char* name) const
    {
        if (auto* button = window.findChild<QAbstractButton*>(name))
            return button->isEnabled();
        return window.findChild<QAction*>(name)->isEnabled();
    }

    std::vector<std::string> FoundPaths()
    {
        std::vector<std::string> paths;
        for (int i = 0; i < window.FoundList().Count(); ++i)
            paths.push_back(window.FoundList().Row(i).Path);
        std::sort(paths.begin(), paths.end());
        return paths;
    }
};

TEST_F(MainWindowFixture, FirstActivationMakesPluginDirectoriesAndBuildsTheList)
{
    Activate(&probe);
    EXPECT_TRUE(platform::DirectoryExists(work.Path("context_crtrs")));
    EXPECT_TRUE(platform::DirectoryExists(work.Path("custom_krellers")));
    EXPECT_EQ(platform::CurrentDirectory() + "/", work.Path("bin/"));
    EXPECT_FALSE(window.FirstActivation);
    EXPECT_TRUE(window.StatusText().isEmpty());
    ASSERT_EQ(window.Krellers().Krellers().Count(), 1u);
    EXPECT_EQ(window.Krellers().Krellers().Row(0).Caption, "File size condition");
}

// Settings that fail when the kreller list is built from them.
class FailingSettings : public TMainSettings {
public:
    TBuiltInKrellers BuiltInKrellers() override { throw std::runtime_error("settings unreadable"); }
    std::string DefaultPath() override { return "/"; }
    void SetDefaultPath(const std::string&) override {}
    std::string LastVisit() override { return {}; }
    void SetLastVisit(const std::string&) override {}
    bool ShowSettings(TSettingsUserPage) override { return false; }
};

TEST_F(MainWindowFixture, AFailingFirstActivationStillRestoresTheWorkingDirectoryAndStatus)
{
    FailingSettings failing;
    window.AttachSettings(&failing);
    QString shown;
    ClickInNextModal("", [&](QWidget* box) { shown = box->findChild<QLabel*>("qt_msgbox_label")->text(); });
    window.FormActivate();
    EXPECT_EQ(shown, "settings unreadable");
    EXPECT_EQ(platform::CurrentDirectory() + "/", work.Path("bin/"));
    EXPECT_TRUE(window.StatusText().isEmpty());
    EXPECT_FALSE(window.FirstActivation);
    window.AttachSettings(nullptr);
}

TEST_F(MainWindowFixture, CommandsWhileIdleFollowTheSelections)
{
    Activate(&probe);
    EXPECT_TRUE(Enabled("SB_add_path"));
    EXPECT_TRUE(Enabled("SB_del_path"));  // the default path starts selected
    EXPECT_TRUE(Enabled("SB_run"));
    EXPECT_TRUE(Enabled("N_Loadfoundfileslist"));
    EXPECT_FALSE(Enabled("SB_open"));
    EXPECT_FALSE(Enabled("SB_findinfound"));
    EXPECT_FALSE(Enabled("N_Savefoundfileslist"));
    EXPECT_FALSE(Enabled("SB_view_plugin"));

    tree.File("one.txt");
    window.SetStartPaths({tree.Root()}, -1);
    window.UpdateCommands();
    EXPECT_FALSE(Enabled("SB_del_path"));
    EXPECT_FALSE(Enabled("SB_save_path"));
    window.SB_runClick();
    EXPECT_TRUE(Enabled("SB_findinfound"));
    EXPECT_TRUE(Enabled("N_Savefoundfileslist"));
    EXPECT_FALSE(Enabled("SB_open"));
    window.SelectFoundRow(0);
    EXPECT_TRUE(Enabled("SB_open"));
    EXPECT_TRUE(Enabled("SB_view"));
}

TEST_F(MainWindowFixture, EverythingIsDisabledWhileSearching)
{
    tree.File("one.txt");
    Activate(&probe);
    SwitchOnFirstRow({"probe"});
    window.SetStartPaths({tree.Root()}, 0);
    std::map<std::string, bool> during;
    probe.test = [&](const std::string&) {
        for (const char* name : {"SB_add_path", "SB_del_path", "SB_save_path", "SB_kreller", "SB_view",
                                 "SB_view_plugin", "SB_open", "SB_exit", "SB_findinfound", "N_Savefoundfileslist",
                                 "N_Loadfoundfileslist", "N_Settings", "N_Startsearch"})
            during[name] = Enabled(name);
        during["LV_krellers"] = window.Krellers().isEnabled();
        return true;
    };
    QString runText;
    probe.test = [&, record = probe.test](const std::string& path) {
        runText = window.findChild<QAbstractButton*>("SB_run")->text();
        during["SB_run"] = !Enabled("SB_run");  // the Run button stays at hand as "Stop"
        return record(path);
    };
    window.SB_runClick();
    ASSERT_FALSE(during.empty());
    for (const auto& [name, enabled] : during)
        EXPECT_FALSE(enabled) << name;
    EXPECT_EQ(runText, "Stop");
    EXPECT_TRUE(Enabled("SB_run"));
    EXPECT_EQ(window.findChild<QAbstractButton*>("SB_run")->text(), "Run (F9)");
    EXPECT_TRUE(window.Krellers().isEnabled());
}

TEST_F(MainWindowFixture, EmptyStartListEndsAtOnceAndTwiceListedPathIsScannedTwice)
{
    tree.File("a.txt");
    Activate(&probe);
    window.SetStartPaths({}, -1);
    window.SB_runClick();
    EXPECT_EQ(window.FoundList().Count(), 0);
    EXPECT_EQ(window.TotalCount(), 0);

    window.SetStartPaths({tree.Root(), tree.Root()}, 0);
    window.SB_runClick();
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{tree.Path("a.txt"), tree.Path("a.txt")}));
    EXPECT_EQ(window.TotalCount(), 6);
}

TEST_F(MainWindowFixture, StopSkipsRemainingStartPathsAndTheSummarySaysSo)
{
    tree.File("first/a.txt");
    tree.File("second/b.txt");
    Activate(&probe);
    SwitchOnFirstRow({"probe"});
    window.SetStartPaths({tree.Path("first"), tree.Path("second")}, 0);
    probe.test = [&](const std::string&) {
        window.StopSearch();
        return true;
    };
    window.SB_runClick();
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{tree.Path("first/a.txt")}));
    // The funnel of the run follows below the count and the interruption.
    EXPECT_TRUE(window.SearchResultText().starts_with(
        "File(s) passed through all the krellers:1\nSearch process has been interrupted by user.\n\n"));

    probe.test = [](const std::string&) { return true; };
    window.SB_runClick();
    EXPECT_TRUE(window.SearchResultText().starts_with("File(s) passed through all the krellers:2\n\nEntries examined:"));
}

TEST_F(MainWindowFixture, AFailingKrellerTestRefusesTheFileAndTheSummaryOpensByItself)
{
    tree.File("a.txt");
    tree.File("b.txt");
    Activate(&probe);
    SwitchOnFirstRow({"probe"});
    window.SetStartPaths({tree.Root()}, 0);
    probe.test = [&](const std::string& path) -> bool {
        if (path.ends_with("a.txt"))
            throw std::runtime_error("unreadable");
        return true;
    };
    QString summary;
    ClickInNextModal("btn_ok", [&](QWidget* box) { summary = box->findChild<QLabel*>("Label_text")->text(); });
    window.SB_runClick();
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{tree.Path("b.txt")}));
    EXPECT_TRUE(summary.contains("First error: File size condition: unreadable")) << summary.toStdString();
    const QString status = window.StatusText();
    EXPECT_TRUE(status.startsWith("1 file found in ")) << status.toStdString();
    EXPECT_TRUE(status.endsWith(" s; 1 file refused because of an error in File size condition: unreadable"))
        << status.toStdString();
    EXPECT_EQ(window.findChild<QLabel*>("Label_found_stat")->text(), "errors");
    EXPECT_TRUE(window.findChild<QWidget*>("SB_found_stat")->toolTip().contains("unreadable"));
}

TEST_F(MainWindowFixture, ProgressDialogShowsOnlyForRunsLongerThanOneTick)
{
    tree.File("a.txt");
    Activate(&probe);
    SwitchOnFirstRow({"probe"});
    window.SetStartPaths({tree.Root()}, 0);
    bool shown = false;
    probe.test = [&](const std::string&) {
        shown = shown || window.ProgressDialog()->ShownFlag;
        return true;
    };
    window.SB_runClick();
    EXPECT_FALSE(shown);

    probe.test = [&](const std::string&) {
        shown = RunEventsUntil([&] { return window.ProgressDialog()->ShownFlag; }, 400);
        return true;
    };
    window.SB_runClick();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(window.ProgressDialog()->ShownFlag);  // the end of the run closes it
    EXPECT_TRUE(window.ProgressDialog()->ContinueFlag);
}

struct BreakOutcome {
    const char* button;
    bool stop;
    bool ignore;
};

class BreakDialogOutcomes : public MainWindowFixture, public ::testing::WithParamInterface<BreakOutcome> {};

TEST_P(BreakDialogOutcomes, StopLinkActsOnTheChoice)
{
    Activate(&probe);
    ClickInNextModal(GetParam().button);
    window.ProgressDialog()->StopLinkClick();
    EXPECT_EQ(window.StopRequested(), GetParam().stop);
    EXPECT_EQ(window.IgnoreCurrent(), GetParam().ignore);
    EXPECT_EQ(window.ProgressDialog()->ContinueFlag, !GetParam().stop);
}

INSTANTIATE_TEST_SUITE_P(Choices, BreakDialogOutcomes,
                         ::testing::Values(BreakOutcome{"btn_yes", true, false}, BreakOutcome{"btn_ignore", false, true},
                                           BreakOutcome{"btn_no", false, false}));

TEST(LastVisitLabel, HighlightedAfterThirtyDaysOrWhenUnknown)
{
    const platform::CalendarDate today{2026, 3, 31};
    const auto daysAgo = [&](int days) {
        const std::uint64_t day = 864000000000ULL;
        return platform::FormatShortDate(platform::FileTimeToUtcDate(platform::UtcDateToFileTime(today) - days * day));
    };
    EXPECT_FALSE(LastVisitLabelFor(daysAgo(30), today).Highlighted);
    EXPECT_TRUE(LastVisitLabelFor(daysAgo(31), today).Highlighted);
    EXPECT_FALSE(LastVisitLabelFor(daysAgo(0), today).Highlighted);
    EXPECT_EQ(LastVisitLabelFor(daysAgo(3), today).Text, "Last visit date:" + daysAgo(3));
    for (const char* unreadable : {"", "yesterday", "99/99/9999"}) {
        EXPECT_EQ(LastVisitLabelFor(unreadable, today).Text, "Last visit date:Unknown");
        EXPECT_TRUE(LastVisitLabelFor(unreadable, today).Highlighted);
    }
}

TEST_F(MainWindowFixture, SearchWithTheSizeKrellerFindsFilesWithinTheBounds)
{
    tree.SizedFile("small.bin", 9999);
    tree.SizedFile("exact.bin", 10000);
    tree.SizedFile("sub/big.bin", 3LL * 1000 * 1000 * 1000);
    Activate(&sizeKreller);
    SwitchOnFirstRow({"Size limitation", "SIZE_MIN=10", "SIZE_MIN_UNIT=KB", "SIZE_MAX_UNIT=KB"});
    window.SetStartPaths({tree.Root()}, 0);
    window.SB_runClick();
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{tree.Path("exact.bin"), tree.Path("sub/big.bin")}));
    EXPECT_EQ(TFoundListModel::SizeText(3LL * 1000 * 1000 * 1000), "3000000");

    // "Edit kreller" with Ok on an upper bound of 2999 MB drops the 3 GB file.
    window.Krellers().setCurrentItem(window.Krellers().topLevelItem(0));
    ClickInNextModal("btn_ok", [](QWidget* dialog) {
        dialog->findChild<QAbstractButton*>("CB_less")->click();
        dialog->findChild<QSpinBox*>("SE_less")->setValue(2999);
        dialog->findChild<QComboBox*>("CMB_less")->setCurrentIndex(1);
    });
    window.Krellers().a_edit_kreller();
    window.SB_runClick();
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{tree.Path("exact.bin")}));
}

// A run whose krellers judge no stat lists files by name; their sizes come while the window is
// idle, and one with the size kreller checked has them as it ends.
TEST_F(MainWindowFixture, FilesListedByNameGetTheirSizesOnceTheRunHasEnded)
{
    for (int i = 1; i <= 8; ++i)
        tree.SizedFile("f" + std::to_string(i) + ".bin", 1000 * i);
    tree.SizedFile("sub/deeper.bin", 3LL * 1000 * 1000 * 1000);
    Activate(&sizeKreller);
    window.SetStartPaths({tree.Root()}, 0);
    int filled = 0;
    QObject::connect(&window.FoundList(), &TFoundListModel::FactsFilled, [&filled] { ++filled; });
    window.SB_runClick();
    const TFoundListModel& found = window.FoundList();
    ASSERT_EQ(found.Count(), 9);
    EXPECT_TRUE(found.FactsMissing());
    EXPECT_TRUE(RunEventsUntil([&] { return filled == 1; }));
    EXPECT_FALSE(found.FactsMissing());
    for (int i = 0; i < found.Count(); ++i) {
        const TFoundRow& row = found.Row(i);
        EXPECT_EQ(row.Size, row.Name() == "deeper.bin" ? 3LL * 1000 * 1000 * 1000 : std::stoll(row.Path.substr(row.NameOffset + 1)) * 1000)
            << row.Path;
    }
    // The Size column was fitted again, to the widest size now known.
    const int sizeWidth = window.findChild<QTreeView*>("LV_found")->header()->sectionSize(TFoundListModel::ColSize);
    EXPECT_GE(sizeWidth, window.findChild<QTreeView*>("LV_found")->fontMetrics().horizontalAdvance(
                             TFoundListModel::SizeText(3LL * 1000 * 1000 * 1000)));

    // Rows sorted by size need every size as the run ends: the walk stats them.
    window.FoundList().sort(TFoundListModel::ColSize);
    window.SB_runClick();
    EXPECT_FALSE(found.FactsMissing());
    window.FoundList().sort(TFoundListModel::ColName);

    SwitchOnFirstRow({"Size limitation", "SIZE_MIN_UNIT=KB", "SIZE_MAX_UNIT=KB"});
    window.SB_runClick();
    EXPECT_EQ(found.Count(), 9);
    EXPECT_FALSE(found.FactsMissing());
}

TEST_F(MainWindowFixture, CloseDuringASearchStopsTheRunFirst)
{
    for (int i = 0; i < 50; ++i)
        tree.File("f" + std::to_string(i));
    Activate(&probe);
    SwitchOnFirstRow({"probe"});
    window.SetStartPaths({tree.Root()}, 0);
    window.show();
    int testsAfterClose = 0;
    bool closeAsked = false;
    probe.test = [&](const std::string&) {
        if (closeAsked)
            ++testsAfterClose;
        if (!closeAsked) {
            closeAsked = true;
            window.close();
        }
        return true;
    };
    window.SB_runClick();
    EXPECT_EQ(testsAfterClose, 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowFixture, CloseRequestMessageClosesTheWindow)
{
    window.show();
    PostCloseRequest(&window);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
}

} // namespace

namespace {

const char* const kToolRowCommands[] = {"SB_kreller", "SB_run", "SB_findinfound", "SB_view_plugin", "SB_view", "SB_open", "SB_exit"};

// At the smallest size every command of the tool row is either shown whole or offered by the
// row's "»" menu, which runs it; at a usual screen width all are shown and the menu button is not.
TEST_F(MainWindowFixture, ToolRowCommandsStayReadableOrReachableAtTheMinimumSize)
{
    struct Size { int width; int height; bool allShown; };
    window.show();
    for (const Size size : {Size{717, 434, false}, Size{1600, 900, true}}) {
        SCOPED_TRACE(size.width);
        window.resize(size.width, size.height);
        QCoreApplication::processEvents();
        auto* row = window.findChild<TCommandRow*>("Row_commands");
        ASSERT_NE(row, nullptr);
        QToolButton* more = row->OverflowButton();
        more->menu()->aboutToShow();
        QStringList offered;
        for (QAction* entry : more->menu()->actions())
            offered << entry->text();
        int overflowed = 0;
        int previousRight = -1;
        for (const char* name : kToolRowCommands) {
            auto* button = window.findChild<QToolButton*>(name);
            if (!button->isVisible()) {
                ++overflowed;
                EXPECT_TRUE(offered.contains(button->text())) << name << " is neither shown nor offered";
                continue;
            }
            EXPECT_GE(button->width(), button->sizeHint().width()) << name << " is clipped";
            EXPECT_GT(button->geometry().left(), previousRight) << name << " overlaps its left neighbour";
            EXPECT_LE(button->geometry().right(), row->width() - 1) << name;
            previousRight = button->geometry().right();
        }
        EXPECT_EQ(offered.size(), overflowed);
        EXPECT_EQ(more->isVisible(), overflowed > 0);
        EXPECT_TRUE(window.findChild<QToolButton*>("SB_exit")->isVisible()) << "Exit keeps the right edge";
        if (size.allShown) {
            EXPECT_EQ(overflowed, 0);
        } else {
            EXPECT_GT(overflowed, 0) << "the minimum size is meant to need the menu";
        }
    }
}

// An entry of the "»" menu runs its command and is enabled exactly when the command is.
TEST(CommandRow, OverflowEntriesRunTheirCommandWithItsState)
{
    TCommandRow row;
    auto* wide = new QToolButton;
    wide->setObjectName("SB_wide");
    wide->setText("A command with a long caption");
    auto* narrow = new QToolButton;
    narrow->setObjectName("SB_narrow");
    narrow->setText("Next");
    narrow->setEnabled(false);
    int clicks = 0;
    QObject::connect(wide, &QToolButton::clicked, [&] { ++clicks; });
    row.AddButton(wide);
    row.AddButton(narrow);
    row.resize(row.OverflowButton()->sizeHint().width() + 4, 30);
    row.show();
    ASSERT_EQ(row.OverflowedButtons(), (std::vector<QToolButton*>{wide, narrow}));
    QMenu* menu = row.OverflowButton()->menu();
    menu->aboutToShow();
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_TRUE(menu->actions()[0]->isEnabled());
    EXPECT_FALSE(menu->actions()[1]->isEnabled());
    menu->actions()[0]->trigger();
    EXPECT_EQ(clicks, 1);
    row.resize(row.sizeHint());
    EXPECT_TRUE(row.OverflowedButtons().empty());
    EXPECT_FALSE(row.OverflowButton()->isVisibleTo(&row));
}

// The commands a user looks for by picture have one, from the theme or bundled, even when the
// icon theme has none of them.
TEST_F(MainWindowFixture, CommandsShowIconsEvenWithoutAnIconTheme)
{
    const QString savedTheme = QIcon::themeName();
    QIcon::setThemeName("no-such-icon-theme");
    TFmain fresh;
    for (const char* name : {"SB_run", "SB_findinfound", "SB_view", "SB_open", "SB_exit"})
        EXPECT_FALSE(fresh.findChild<QToolButton*>(name)->icon().isNull()) << name;
    for (const char* name : {"N_Startsearch", "N_Searchinfoundfilenames", "N_Viewfile", "N_Openfile", "N_Settings", "N_Exit"})
        EXPECT_FALSE(fresh.findChild<QAction*>(name)->icon().isNull()) << name;
    QIcon::setThemeName(savedTheme);
}

} // namespace

using Lines = std::vector<std::string>;

namespace {

TEST_F(MainWindowFixture, CustomKrellerJoinsTheChainFiltersARunAndShutsDownAfterTheCartridgesOnClose)
{
    TestPluginLog log;
    InstallTestPlugin(work, "custom_krellers", "kreller");
    InstallTestPlugin(work, "context_crtrs", "cartridge");
    Activate(&probe);
    EXPECT_EQ(platform::CurrentDirectory() + "/", work.Path("bin/"));
    TKrellerList& chain = window.Krellers().Krellers();
    ASSERT_EQ(chain.Count(), 2u);
    EXPECT_EQ(chain.Row(1).Caption, "Test kreller");
    EXPECT_FALSE(chain.Row(1).Checked);
    EXPECT_EQ(chain.Row(1).ImageIndex, kiCustomUnchecked);

    chain.EditRow(1);  // the plug-in's editor answers "Names with keep" / "keep"
    EXPECT_EQ(chain.Row(1).Strings, (TConditionStrings{"Names with keep", "keep"}));
    EXPECT_TRUE(chain.Row(1).Checked);
    // The probe before it refuses keep_me.txt: the plug-in is never asked about that file.
    probe.test = [](const std::string& path) { return !path.ends_with("keep_me.txt"); };
    SwitchOnFirstRow({"probe", "x"});
    tree.File("a/keep_me.txt");
    tree.File("a/other.txt");
    tree.File("a/keep.acc");
    window.SetStartPaths({tree.Root()}, 0);
    window.SB_runClick();
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{tree.Path("a/keep.acc")}));
    Lines meets;
    for (const std::string& line : log.Lines("kreller"))
        if (line.starts_with("FILE_MEETS"))
            meets.push_back(line);
    std::sort(meets.begin(), meets.end());
    EXPECT_EQ(meets, (Lines{"FILE_MEETS keep.acc", "FILE_MEETS other.txt"}));

    window.Krellers().setCurrentItem(window.Krellers().topLevelItem(1));
    window.SelectFoundRow(0);
    window.UpdateCommands();
    EXPECT_TRUE(Enabled("SB_view_plugin"));
    window.SB_view_pluginClick();
    const Lines calls = log.Lines("kreller");
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.back(), "SHOW_FILE keep.acc");
    EXPECT_EQ(calls[calls.size() - 2], "LOAD_CONDITION Names with keep<>keep<>");

    // An empty edit leaves the row without condition and switched off.
    setenv("FK_TEST_PLUGIN_EDIT", "", 1);
    chain.EditRow(1);
    unsetenv("FK_TEST_PLUGIN_EDIT");
    EXPECT_FALSE(chain.Row(1).HasCondition());
    EXPECT_FALSE(chain.Row(1).Checked);

    window.close();
    const Lines all = log.Lines();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2], "cartridge SHUT_DOWN");
    EXPECT_EQ(all.back(), "kreller SHUT_DOWN");
    EXPECT_EQ(chain.Count(), 0u);
}

} // namespace

namespace {

// The size column's caption stays whole beside the sort arrow, before and after sorting by it.
TEST_F(MainWindowFixture, SizeCaptionIsNotClippedBySortArrow)
{
    auto* view = window.findChild<QTreeView*>("LV_found");
    ASSERT_NE(view, nullptr);
    QHeaderView* header = view->header();
    const int size = TFoundListModel::ColSize;
    EXPECT_GE(header->sectionSize(size), header->sectionSizeHint(size));
    header->setSortIndicator(size, Qt::DescendingOrder);
    EXPECT_GE(header->sectionSize(size), header->sectionSizeHint(size));
}

} // namespace
