// Saved searches, export, optional columns and the quick filter, as the main window offers them.
#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTreeView>

#include "ModalDriver.h"
#include "TestPlugins.h"
#include "core/FoundList.h"
#include "core/main.h"
#include "core/msg.h"
#include "krellers/kreller_list_view.h"
#include "krellers/kreller_size.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"
#include "tagged/settings_store.h"
#include "window_fixture.h"

namespace {

// Settings held in a store of a temporary file, as the running program holds them.
class StoreSettings : public TMainSettings {
public:
    explicit StoreSettings(const std::string& file) : store_(file) { store_.Load(); }
    TSettingsStore* Store() override { return &store_; }
    TBuiltInKrellers BuiltInKrellers() override { return store_.BuiltInKrellers(); }
    std::string DefaultPath() override { return "/nonexistent/"; }
    void SetDefaultPath(const std::string&) override {}
    std::string LastVisit() override { return {}; }
    void SetLastVisit(const std::string&) override {}
    bool ShowSettings(TSettingsUserPage) override { return false; }

private:
    TSettingsStore store_;
};

struct FoundTools : ProbedWindowTest {
    TKrellerList& Chain() { return window.Krellers().Krellers(); }
    QTreeView* View() { return window.findChild<QTreeView*>("LV_found"); }
    QLineEdit* Filter() { return window.findChild<QLineEdit*>("Edit_filter"); }


    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (const std::string& path : window.FoundPathsShown())
            names.push_back(platform::FileNamePart(path));
        return names;
    }
};

TEST_F(FoundTools, ASavedSearchSetsUpPathsAndEveryRowAgainAndKeepsAMissingPlugIn)
{
    InstallTestPlugin(work, "custom_krellers", "kreller");
    Activate();
    ASSERT_EQ(Chain().Count(), 3u);
    ASSERT_EQ(Chain().Row(2).Caption, "Test kreller");
    window.SetStartPaths({tree.Root(), "/srv/caf\xE9/"}, 0);
    Chain().Row(0).Strings = {"probe", "x"};
    Chain().Row(0).Checked = true;
    Chain().Row(2).Strings = {"Names with keep", "keep"};
    Chain().Row(2).Checked = true;
    window.SetNameBoxText("report *.pdf");
    const std::string file = tree.Path("one.fks");
    ASSERT_TRUE(window.SaveSearchTo(file));

    // Everything changes, then the file brings it back.
    window.SetStartPaths({"/tmp/"}, 0);
    window.SetNameBoxText("");
    Chain().Row(0).Strings.clear();
    Chain().Row(0).Checked = false;
    Chain().Row(1).Strings = {"1 KB", "MIN=1000"};
    Chain().Row(1).Checked = true;
    Chain().Row(2).Strings.clear();
    EXPECT_EQ(MessageOf([&] { EXPECT_TRUE(window.OpenSearchFrom(file)); }), "");
    EXPECT_EQ(window.StartPaths(), (std::vector<std::string>{tree.Root(), "/srv/caf\xE9/"}));
    EXPECT_EQ(window.NameBoxText(), "report *.pdf");
    EXPECT_EQ(Chain().Row(0).Strings, (TConditionStrings{"probe", "x"}));
    EXPECT_TRUE(Chain().Row(0).Checked);
    EXPECT_TRUE(Chain().Row(1).Strings.empty());
    EXPECT_FALSE(Chain().Row(1).Checked);
    EXPECT_EQ(Chain().Row(2).Strings, (TConditionStrings{"Names with keep", "keep"}));
    EXPECT_EQ(window.Krellers().topLevelItem(2)->checkState(0), Qt::Checked);
    EXPECT_EQ(window.RecentSearches(), (std::vector<std::string>{file}));

    // A search made where another plug-in was loaded: its row is kept, named, and saved again.
    TSavedSearch other = window.CurrentSearch();
    other.Krellers.push_back({"Portraits only", true, true, {"Portraits only", "kind=portrait"}});
    const std::string otherFile = tree.Path("other.fks");
    SaveSearchFile(otherFile, other);
    const std::string told = MessageOf([&] { window.OpenSearchFrom(otherFile); });
    EXPECT_NE(told.find("the plug-in \"Portraits only\" is missing"), std::string::npos) << told;
    ASSERT_TRUE(window.SaveSearchTo(file));
    EXPECT_EQ(LoadSearchFile(file).Krellers.back().Caption, "Portraits only");
    EXPECT_EQ(window.RecentSearches(), (std::vector<std::string>{file, otherFile}));
}

TEST_F(FoundTools, ADamagedSearchFileChangesNothingAndSaysWhy)
{
    Activate();
    Chain().Row(1).Strings = {"1 KB", "MIN=1000"};
    Chain().Row(1).Checked = true;
    const TSavedSearch before = window.CurrentSearch();
    const std::string file = tree.File("bad.fks", "<FILEKRELLER_SEARCH VERSION=\"1\"><KRELLERS>");
    const std::string told = MessageOf([&] { EXPECT_FALSE(window.OpenSearchFrom(file)); });
    EXPECT_FALSE(told.empty());
    EXPECT_EQ(window.CurrentSearch(), before);
    EXPECT_TRUE(window.RecentSearches().empty());
    EXPECT_FALSE(MessageOf([&] { window.OpenSearchFrom(tree.Path("missing.fks")); }).empty());
}

TEST_F(FoundTools, OptionalColumnsAreRememberedAndExportedAsShown)
{
    StoreSettings settings(work.Path("bin/FileKreller.set"));
    window.AttachSettings(&settings);
    Activate();
    QHeaderView* header = View()->header();
    EXPECT_TRUE(header->isSectionHidden(static_cast<int>(TFoundColumn::Owner)));
    window.ShowOptionalColumn(TFoundColumn::Owner, true);
    window.ShowOptionalColumn(TFoundColumn::Extension, true);
    window.ShowOptionalColumn(TFoundColumn::Owner, false);
    TRememberedState kept(settings.Store()->Document(), "MAIN_WINDOW");
    EXPECT_EQ(kept.Text("SHOWN_COLUMNS"), "Extension");
    kept.SetText("SHOWN_COLUMNS", "Permissions;Extension");
    window.AttachSettings(&settings);  // as at the next start
    window.SetStartPaths({tree.Root()}, 0);
    EXPECT_FALSE(header->isSectionHidden(static_cast<int>(TFoundColumn::Permissions)));
    EXPECT_TRUE(header->isSectionHidden(static_cast<int>(TFoundColumn::Owner)));

    tree.File("a,b.txt", "12345");
    tree.File("caf\xE9.md");
    window.SB_runClick();
    header->setSortIndicator(0, Qt::AscendingOrder);
    const std::string csv = tree.Path("out.csv");
    ASSERT_TRUE(window.ExportFoundListTo(csv, false));
    const std::string text = platform::ReadWholeFile(csv);
    const std::string firstLine = text.substr(0, text.find("\r\n"));
    EXPECT_EQ(firstLine, "File name,Full path,\"Size, KB\",Date,Extension,Permissions");
    EXPECT_NE(text.find("\"a,b.txt\",\"" + tree.Path("a,b.txt") + "\""), std::string::npos) << text;
    EXPECT_NE(text.find(",txt,-rw-"), std::string::npos) << text;
    EXPECT_NE(text.find("caf\\xE9.md"), std::string::npos) << text;

    const std::string nul = tree.Path("out.nul");
    ASSERT_TRUE(window.ExportFoundListTo(nul, true));
    EXPECT_EQ(platform::ReadWholeFile(nul), tree.Path("a,b.txt") + '\0' + tree.Path("caf\xE9.md") + '\0');
}

TEST_F(FoundTools, TheQuickFilterNarrowsWhatIsShownAndEveryCommandWorksOnIt)
{
    Activate();
    for (const char* name : {"report.txt", "photo.jpg", "sub/report.doc", "notes.txt"})
        tree.File(name);
    window.SB_runClick();
    View()->header()->setSortIndicator(0, Qt::AscendingOrder);
    auto* shown = window.findChild<QLabel*>("Label_shown");
    EXPECT_EQ(shown->text(), "");

    // Typing in the list goes into the filter.
    View()->setFocus();
    QKeyEvent r(QEvent::KeyPress, Qt::Key_R, Qt::NoModifier, "r");
    QKeyEvent e(QEvent::KeyPress, Qt::Key_E, Qt::NoModifier, "E");
    QCoreApplication::sendEvent(View(), &r);
    QCoreApplication::sendEvent(View(), &e);
    EXPECT_EQ(Filter()->text(), "rE");
    EXPECT_EQ(Names(), (std::vector<std::string>{"report.doc", "report.txt"}));
    EXPECT_EQ(shown->text(), "shown 2 of 4");

    // Find among names and the export see the shown rows only.
    window.FindIndex = -1;
    window.FindDialog1Find("txt", FindDirection::Down);
    EXPECT_EQ(window.SelectedFoundPath(), tree.Path("report.txt"));
    EXPECT_EQ(window.SearchResultText().find("File(s) passed through all the krellers:4"), 0u);

    // Escape in the field clears it and shows every row again.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(Filter(), &escape);
    EXPECT_EQ(Filter()->text(), "");
    EXPECT_EQ(window.FoundList().Count(), 4);
    EXPECT_EQ(shown->text(), "");

    // A run with the filter set shows only what passes it.
    window.SetQuickFilter("TXT");
    window.SB_runClick();
    EXPECT_EQ(Names(), (std::vector<std::string>{"notes.txt", "report.txt"}));
    EXPECT_EQ(shown->text(), "shown 2 of 4");
}

} // namespace
