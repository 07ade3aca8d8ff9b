#include "settings_ui/settings_user.h"

#include "core/main.h"
#include "core/tab_order.h"
#include "platform/FileSystem.h"

#include "TempTree.h"
#include "TestPlugins.h"
#include "plugins/dll_loader.h"
#include "dialog_driver.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

const std::string kRestartQuestion = "The set of \"native\" krelles has been edited.\n"
                                     "To apply the changes program needs restart.\n"
                                     "Close the program now?";

class SettingsUser : public ::testing::Test {
protected:
    SettingsUser() { tree.Dir("bin"); }

    std::unique_ptr<TD_settings_user> Open()
    {
        TSettingsUserServices services;
        services.Ask = [this](const std::string& question) {
            questions.push_back(question);
            return answer;
        };
        services.CloseMainWindow = [this] { ++closeRequests; };
        services.Plugins = plugins;
        services.BrowseFolder = [this](const std::string& title, const std::string& start) {
            browseTitles.push_back(title);
            browseStarts.push_back(start);
            return picked;
        };
        return std::make_unique<TD_settings_user>(TSettingsPlace{tree.Path("bin/FileKreller"), "", nullptr},
                                                  services);
    }

    // Shows the dialog on page, lets act drive it and, unless it closed itself, confirms it.
    static void Run(TD_settings_user& dialog, TSettingsUserPage page, std::function<void(QDialog&)> act)
    {
        OnNextModal("TD_settings_user", [act](QDialog& shown) {
            act(shown);
            if (shown.isVisible())
                Named<QPushButton>(shown, "btn_ok").click();
        });
        dialog.ShowOnPage(page);
    }

    std::string SettingsFile() const { return tree.Read("bin/FileKreller.set"); }

    TempTree tree;
    std::vector<std::string> questions;
    std::vector<std::string> browseTitles;
    std::vector<std::string> browseStarts;
    std::optional<std::string> picked;
    bool answer = false;
    int closeRequests = 0;
    const TPluginHost* plugins = nullptr;
};

std::vector<std::string> ChildNames(const TNoxPigger& node)
{
    std::vector<std::string> names;
    for (int i = 0; i < node.ChildCount(); ++i)
        names.push_back(node.Child(i)->Name());
    return names;
}

TEST_F(SettingsUser, FirstStartStoresTheDefaultPathAndCreatesTheEmptyLists)
{
    auto dialog = Open();
    const std::string home = platform::DefaultStartPath();
    EXPECT_EQ(dialog->Edit_DSP->text().toStdString(), home);
    EXPECT_EQ(dialog->DefaultPath(), home);
    EXPECT_EQ(dialog->Document().GetAttr("DEFAULT_PATH"), home);
    EXPECT_EQ(ChildNames(dialog->Document()), (std::vector<std::string>{"DONT_SEARCH_IN", "MAIN_KRELLERS", "FILE_GROUPS"}));
    EXPECT_EQ(dialog->BuiltInKrellers(), TBuiltInKrellers{});
    dialog.reset();
    EXPECT_NE(SettingsFile().find("DEFAULT_PATH=\""), std::string::npos);
}

TEST_F(SettingsUser, PathFieldStoresTrimmedTextAndChangeAddsTheSlash)
{
    auto dialog = Open();
    dialog->SetDefaultPath(" /srv/data/ ");
    EXPECT_EQ(dialog->Document().GetAttr("DEFAULT_PATH"), "/srv/data/");
    picked = "/srv/Picked";
    Run(*dialog, TSettingsUserPage::Directories, [](QDialog& d) { Named<QPushButton>(d, "btn_change").click(); });
    EXPECT_EQ(browseTitles, (std::vector<std::string>{"Select default search path:"}));
    EXPECT_EQ(dialog->DefaultPath(), "/srv/Picked/");
    EXPECT_EQ(dialog->Document().GetAttr("DEFAULT_PATH"), "/srv/Picked/");
}

// Paths keep their bytes from the settings file through the dialog and back; the controls only
// show them.
TEST_F(SettingsUser, PathsThatAreNotUtf8KeepTheirBytesThroughTheDialog)
{
    const std::string start = tree.Dir("start\xFF") + "/";
    const std::string excluded = tree.Dir("skip\xFE") + "/";
    const std::string added = tree.Dir("more\xFD\xFC");
    {
        auto dialog = Open();
        dialog->SetDefaultPath(start);
        dialog->SetDefaultExcludedDirectories({excluded});
    }
    ASSERT_NE(SettingsFile().find("DEFAULT_PATH=\"" + start + "\""), std::string::npos);

    auto dialog = Open();
    picked = added;
    Run(*dialog, TSettingsUserPage::Directories, [](QDialog& d) {
        EXPECT_TRUE(Named<QLineEdit>(d, "Edit_DSP").text().contains(QChar::ReplacementCharacter));
        Named<QPushButton>(d, "btn_add_dir").click();
    });
    dialog.reset();
    dialog = Open();
    EXPECT_EQ(dialog->DefaultPath(), start);
    EXPECT_EQ(dialog->DefaultExcludedDirectories(), (std::vector<std::string>{excluded, added + "/"}));
}

// A value longer than a text field holds is never cut by showing it.
TEST_F(SettingsUser, AFiftyMegabyteDefaultPathSurvivesTheDialogUnchanged)
{
    const std::string huge = "/" + std::string(50'000'000, 'p') + "/";
    auto dialog = Open();
    dialog->SetDefaultPath(huge);
    Run(*dialog, TSettingsUserPage::Directories, [](QDialog&) {});
    EXPECT_EQ(dialog->Document().GetAttr("DEFAULT_PATH"), huge);
    dialog.reset();
    // Reading the file back is the tagged file's own test; here it only has to hold the whole value.
    EXPECT_NE(SettingsFile().find("DEFAULT_PATH=\"" + huge + "\""), std::string::npos);
}

struct SwitchCase {
    const char* box;
    const char* attr;
};

class SettingsUserSwitch : public SettingsUser, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(SettingsUserSwitch, ClickAsksForRestartAndTheSwitchSurvivesTheFile)
{
    const char* box = GetParam().box;
    auto dialog = Open();
    Run(*dialog, TSettingsUserPage::Krellers, [box](QDialog& d) { Named<QCheckBox>(d, box).click(); });
    EXPECT_EQ(questions, (std::vector<std::string>{kRestartQuestion}));
    EXPECT_FALSE(dialog->RestartRequested);
    EXPECT_EQ(closeRequests, 0);
    dialog.reset();

    auto reopened = Open();
    const TNoxPigger* node = reopened->Document().FindChild("MAIN_KRELLERS");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->AttrNames(), (std::vector<std::string>{GetParam().attr}));
    EXPECT_EQ(node->GetAttr(GetParam().attr), "N");
    for (const char* other : {"CB_filemask", "CB_dirs", "CB_filesize", "CB_filetime", "CB_context"})
        EXPECT_EQ(Named<QCheckBox>(*reopened, other).isChecked(), std::string(other) != box) << other;

    Run(*reopened, TSettingsUserPage::Krellers, [box](QDialog& d) { Named<QCheckBox>(d, box).click(); });
    EXPECT_TRUE(node->AttrNames().empty());
}

INSTANTIATE_TEST_SUITE_P(AllFive, SettingsUserSwitch,
                         ::testing::Values(SwitchCase{"CB_filemask", "FILEMASK"}, SwitchCase{"CB_dirs", "DIRS"},
                                           SwitchCase{"CB_filesize", "FILESIZE"},
                                           SwitchCase{"CB_filetime", "FILETIME"},
                                           SwitchCase{"CB_context", "CONTEXT"}));

TEST_F(SettingsUser, FlagsStartClearAtEveryShowing)
{
    auto dialog = Open();
    Run(*dialog, TSettingsUserPage::Krellers, [](QDialog& d) { Named<QCheckBox>(d, "CB_context").click(); });
    Run(*dialog, TSettingsUserPage::Krellers, [](QDialog&) {});
    EXPECT_EQ(questions.size(), 1u);
}

TEST_F(SettingsUser, AgreeingToRestartClosesTheMainWindow)
{
    TFmain mainWindow;
    mainWindow.show();
    auto dialog = Open();
    dialog->SetServices({[](const std::string&) { return true; }, [&mainWindow] { PostCloseRequest(&mainWindow); },
                         {}, {}, {}});
    Run(*dialog, TSettingsUserPage::Krellers, [](QDialog& d) { Named<QCheckBox>(d, "CB_dirs").click(); });
    EXPECT_TRUE(dialog->RestartRequested);
    QCoreApplication::processEvents();
    EXPECT_FALSE(mainWindow.isVisible());
}

TEST(DirectoryList, AnotherSpellingOfAListedDirectoryIsNotAddedAgain)
{
    struct Case {
        std::vector<std::string> listed;
        std::string picked;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {{"/data/old/"}, "/data/old", {"/data/old/"}},
        {{"/data/old/"}, "/data/old//", {"/data/old/"}},
        {{"/data/old"}, "/data/old/", {"/data/old"}},
        {{"/data/old/"}, "/DATA/old", {"/data/old/", "/DATA/old/"}},
        {{}, "/", {"/"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> list = c.listed;
        AddDirectoryOnce(list, c.picked);
        EXPECT_EQ(list, c.after) << c.picked;
    }
}

TEST_F(SettingsUser, ExcludedDirectoriesAreAddedOnceRemovedOnYesAndStored)
{
    auto dialog = Open();
    answer = true;
    Run(*dialog, TSettingsUserPage::Directories, [this](QDialog& d) {
        auto& add = Named<QPushButton>(d, "btn_add_dir");
        for (const char* folder : {"/data/a", "/data/b", "/data/a/"}) {
            picked = folder;
            add.click();
        }
        auto& remove = Named<QPushButton>(d, "btn_remove_dir");
        EXPECT_FALSE(remove.isEnabled());
        Named<QListWidget>(d, "LB_prohibited").setCurrentRow(1);
        remove.click();
    });
    EXPECT_EQ(browseTitles.front(), "Select directory to add to the list");
    EXPECT_EQ(questions, (std::vector<std::string>{"Remove \"/data/b/\"\nfrom the list?"}));
    dialog.reset();
    auto reopened = Open();
    EXPECT_EQ(reopened->DefaultExcludedDirectories(), (std::vector<std::string>{"/data/a/"}));
}

// The folder browsers open where they help: at the selected path, else where the same button
// last picked a folder (also after a restart), else at home; never in the program's folder.
TEST_F(SettingsUser, FolderBrowsersOpenAtTheSelectionTheLastPickOrHome)
{
    const std::string home = platform::DefaultStartPath();
    const std::string data = tree.Dir("data");
    const std::string picks = tree.Dir("picks");
    {
        auto dialog = Open();
        dialog->SetDefaultPath(data + "/");
        Run(*dialog, TSettingsUserPage::Directories, [this, &picks](QDialog& d) {
            Named<QPushButton>(d, "btn_change").click();
            picked = picks;
            Named<QPushButton>(d, "btn_add_dir").click();  // nothing selected yet: home
        });
    }
    auto dialog = Open();
    picked.reset();
    Run(*dialog, TSettingsUserPage::Directories, [](QDialog& d) {
        Named<QPushButton>(d, "btn_add_dir").click();  // after a restart: the last pick
        Named<QListWidget>(d, "LB_prohibited").setCurrentRow(0);
        Named<QPushButton>(d, "btn_add_dir").click();  // the selected entry
    });
    EXPECT_EQ(browseStarts, (std::vector<std::string>{data + "/", home, picks, picks + "/"}));
}

// "Ok" writes the file with everything the dialog changed, not only at the next "Ok" or at exit.
TEST_F(SettingsUser, OkWritesTheExcludedDirectoriesAndSwitchesAtOnce)
{
    auto dialog = Open();
    Run(*dialog, TSettingsUserPage::Directories, [this](QDialog& d) {
        picked = "/data/skip";
        Named<QPushButton>(d, "btn_add_dir").click();
        Named<QCheckBox>(d, "CB_context").click();
    });
    const std::string written = SettingsFile();
    EXPECT_NE(written.find("VAL=\"/data/skip/\""), std::string::npos) << written;
    EXPECT_NE(written.find("CONTEXT=\"N\""), std::string::npos) << written;
    EXPECT_EQ(dialog->BuiltInKrellers().Context, false);
}

TEST_F(SettingsUser, LastVisitDateIsKept)
{
    Open()->SetLastVisit("01.02.2024");
    EXPECT_EQ(Open()->LastVisit(), "01.02.2024");
}

struct AboutCase {
    TSettingsUserPage page;
    const char* button;
    const char* dialog;
};

// Loads nothing: the folders alone are of interest.
class TLibraryLoaderThatFindsNothing : public TLibraryLoader {
public:
    std::vector<TLoadedCartridge> LoadCartridges(const std::string&) override { return {}; }
    std::vector<TLoadedCkreller> LoadCustomKrellers(const std::string&) override { return {}; }
};

class SettingsUserAbout : public SettingsUser, public ::testing::WithParamInterface<AboutCase> {};

TEST_P(SettingsUserAbout, TickedCloseBoxClosesSettingsAndProgramWithoutAsking)
{
    auto dialog = Open();
    bool stillShown = true;
    Run(*dialog, GetParam().page, [&stillShown](QDialog& d) {
        Named<QCheckBox>(d, "CB_filesize").click();
        OnNextModal(GetParam().dialog, [](QDialog& about) {
            Named<QCheckBox>(about, "CB_close").setChecked(true);
            about.close();
        });
        Named<QPushButton>(d, GetParam().button).click();
        stillShown = d.isVisible();
    });
    EXPECT_FALSE(stillShown);
    EXPECT_TRUE(dialog->RestartRequested);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_TRUE(questions.empty());
}

TEST_P(SettingsUserAbout, UntickedCloseBoxKeepsTheDialogOpen)
{
    auto dialog = Open();
    Run(*dialog, GetParam().page, [](QDialog& d) {
        OnNextModal(GetParam().dialog, [](QDialog& about) { Named<QPushButton>(about, "btn_ok").click(); });
        Named<QPushButton>(d, GetParam().button).click();
        EXPECT_TRUE(d.isVisible());
    });
    EXPECT_FALSE(dialog->RestartRequested);
    EXPECT_EQ(closeRequests, 0);
}

TEST_P(SettingsUserAbout, ShowsTheFullPathsOfThePluginFolders)
{
    TPluginHost host;
    TLibraryLoaderThatFindsNothing loader;
    host.LoadPlugins(loader, TPluginFolders{{tree.Path("context_crtrs"), "/home/u/.local/share/FileKreller/context_crtrs"},
                                            {tree.Path("custom_krellers"), "/home/u/.local/share/FileKreller/custom_krellers"}});
    plugins = &host;
    auto dialog = Open();
    const std::string kind = GetParam().dialog == std::string("TFabout_crtr") ? "context_crtrs" : "custom_krellers";
    QString shown;
    Run(*dialog, GetParam().page, [&shown](QDialog& d) {
        OnNextModal(GetParam().dialog, [&shown](QDialog& about) {
            shown = Named<QLabel>(about, "Label_folders").text();
            Named<QPushButton>(about, "btn_ok").click();
        });
        Named<QPushButton>(d, GetParam().button).click();
    });
    EXPECT_EQ(shown.toStdString(), "The folders, read in this order:\n    " + tree.Path(kind) +
                                       "\n    /home/u/.local/share/FileKreller/" + kind);
}

INSTANTIATE_TEST_SUITE_P(BothPluginPages, SettingsUserAbout,
                         ::testing::Values(AboutCase{TSettingsUserPage::ContextKreller, "btn_crtrs_add_remove",
                                                     "TFabout_crtr"},
                                           AboutCase{TSettingsUserPage::Krellers, "btn_ckrellers_add_remove",
                                                     "TFabout_ckrellers"}));

TEST(PluginInfoDialogs, TellAboutLibraryFiles)
{
    TFabout_crtr cartridges;
    TFabout_ckrellers krellers;
    EXPECT_EQ(cartridges.windowTitle(), "Cartridges");
    EXPECT_EQ(krellers.windowTitle(), "Custom krellers");
    for (QDialog* dialog : std::initializer_list<QDialog*>{&cartridges, &krellers}) {
        QStringList texts;
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            texts << label->text();
        EXPECT_TRUE(texts.join('\n').contains("library file")) << dialog->objectName().toStdString();
        EXPECT_FALSE(texts.join('\n').contains("dll", Qt::CaseInsensitive)) << dialog->objectName().toStdString();
    }
}

template <class TListed>
class FakeListed : public TListed {
public:
    std::string CallSetUp() override { ++setUps; return ""; }
    bool UnloadDll() override { ++unloads; return true; }
    std::string GetCrtrName() override { return "fake"; }
    int setUps = 0;
    int unloads = 0;
};

class FakeCartridge : public FakeListed<TListedCartridge> {
public:
    bool AcceptFile(const std::string&) override { return false; }
    std::string GetContext(const std::string&) override { return ""; }
};

class FakeKreller : public FakeListed<TListedCkreller> {
public:
    void SendCondition(const std::string&) override {}
    std::string ShowEdit() override { return ""; }
    bool FileMeets(const FileEntry&, const std::string&) override { return false; }
    bool CanShowFile(const std::string&) override { return false; }
    void ShowFile(const std::string&) override {}
};

TEST_F(SettingsUser, CartridgeSettingsNeedASelectedCartridge)
{
    auto dialog = Open();
    TPluginHost host;
    auto owned = std::make_unique<FakeCartridge>();
    FakeCartridge& cartridge = *owned;
    host.AddCartridge({"Cartridge", "libcartridge.so", std::move(owned)});
    dialog->O_crtrs_context1->ShowPlugins(host);
    auto& settings = Named<QPushButton>(*dialog, "btn_crtr_settings");
    EXPECT_EQ(dialog->O_crtrs_context1->LV1->headerItem()->text(1), "Library file");

    settings.click();
    EXPECT_EQ(cartridge.setUps, 0);
    dialog->O_crtrs_context1->SelectIndex(0);
    EXPECT_TRUE(settings.isEnabled());
    settings.click();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog->O_crtrs_context1->LV1, &enter);
    EXPECT_EQ(cartridge.setUps, 2);
    EXPECT_EQ(cartridge.unloads, 0);
}

TEST_F(SettingsUser, CustomKrellerListHandsOutItsKrellers)
{
    auto dialog = Open();
    TPluginHost host;
    auto owned = std::make_unique<FakeKreller>();
    TNoxCrtr_ckreller* kreller = owned.get();
    host.AddCustomKreller({"fake", "libfake.so", std::move(owned)});
    dialog->O_crtrs_ckreller1->ShowPlugins(host);
    EXPECT_EQ(dialog->O_crtrs_ckreller1->CaptionAt(0), "fake");
    EXPECT_EQ(dialog->O_crtrs_ckreller1->CrtrAt(0), kreller);
    EXPECT_EQ(dialog->O_crtrs_ckreller1->CrtrAt(1), nullptr);

    // A row put in through the base list has no wrapper; it must not be taken for one.
    dialog->O_crtrs_ckreller1->AddItem("plain", "libplain.so");
    EXPECT_EQ(dialog->O_crtrs_ckreller1->CrtrAt(1), nullptr);
    dialog->O_crtrs_ckreller1->SelectIndex(1);
    dialog->O_crtrs_ckreller1->SetUpSelected();
}

TEST_F(SettingsUser, PluginInfoDialogIsCentredOnTheScreenNotOnTheSettings)
{
    auto dialog = Open();
    QPoint aboutCentre, screenCentre;
    Run(*dialog, TSettingsUserPage::ContextKreller, [&](QDialog& d) {
        d.move(0, 0);
        OnNextModal("TFabout_crtr", [&](QDialog& about) {
            aboutCentre = about.frameGeometry().center();
            screenCentre = about.screen()->availableGeometry().center();
            about.accept();
        });
        Named<QPushButton>(d, "btn_crtrs_add_remove").click();
    });
    // A few pixels off: the layout settles the size only once the dialog is shown.
    EXPECT_LE((aboutCentre - screenCentre).manhattanLength(), 16);
}

TEST_F(SettingsUser, DoubleClickOnAGroupEditsIt)
{
    auto dialog = Open();
    dialog->Store().FileGroups().Add({"G", "doc"});
    dialog->O_fg1->SelectIndex(0);
    OnNextModal("TD_file_group_exts", [](QDialog& group) {
        Named<QLineEdit>(group, "Edit_name").setText("Documents");
        Named<QPushButton>(group, "btn_ok").click();
    });
    QTreeWidget* list = dialog->O_fg1->LV1;
    emit list->itemDoubleClicked(list->topLevelItem(0), 0);
    EXPECT_EQ(dialog->FileGroups(), (std::vector<TFileGroup>{{"Documents", "doc"}}));
}

TEST_F(SettingsUser, GroupButtonsFollowTheSelectionAndDeleteAsks)
{
    auto dialog = Open();
    dialog->Store().FileGroups().Add({"G", "doc"});
    auto& remove = Named<QPushButton>(*dialog, "btn_delete_group");
    EXPECT_FALSE(remove.isEnabled());
    dialog->O_fg1->SelectIndex(0);
    EXPECT_TRUE(remove.isEnabled() && Named<QPushButton>(*dialog, "btn_edit_group").isEnabled());
    remove.click();
    EXPECT_EQ(dialog->O_fg1->ItemCount(), 1);
    answer = true;
    remove.click();
    EXPECT_EQ(questions, (std::vector<std::string>{"Delete file group?", "Delete file group?"}));
    EXPECT_EQ(dialog->O_fg1->ItemCount(), 0);
}

} // namespace

namespace {

// The directories page creates its list and "Remove" before "Change..." and "Add...": Tab still
// goes along the rows as they are laid out.
TEST_F(SettingsUser, TabGoesAlongTheDirectoriesPageAsLaidOut)
{
    auto dialog = Open();
    SetTabOrderFromLayout(dialog.get());
    const QStringList page = {"Edit_DSP", "btn_change", "LB_prohibited", "btn_add_dir", "btn_remove_dir"};
    QWidget* start = dialog->findChild<QWidget*>("Edit_DSP");
    ASSERT_NE(start, nullptr);
    QStringList visited;
    QWidget* at = start;
    do {
        if (page.contains(at->objectName()))
            visited << at->objectName();
        at = at->nextInFocusChain();
    } while (at != start);
    EXPECT_EQ(visited, page);
}

TEST_F(SettingsUser, PluginPagesListTheLoadedLibrariesAndSettingsCallsTheCartridgesSetUp)
{
    TestPluginLog log;
    InstallTestPlugin(tree, "context_crtrs", "cartridge");
    InstallTestPlugin(tree, "custom_krellers", "kreller");
    TPluginHost host;
    {
        platform::TWorkingDirectoryGuard restore;
        platform::SetCurrentDirectory(tree.Path("bin"));
        TDllLoader loader;
        host.LoadPlugins(loader, "../context_crtrs", "../custom_krellers");
    }
    plugins = &host;
    auto dialog = Open();
    const auto rowText = [](TO_crtrs& list) {
        const QTreeWidgetItem* row = list.LV1->topLevelItem(0);
        return row ? row->text(0) + " | " + row->text(1) : QString();
    };
    Run(*dialog, TSettingsUserPage::ContextKreller, [&](QDialog&) {
        EXPECT_EQ(rowText(*dialog->O_crtrs_context1), "Test cartridge | cartridge.so");
        EXPECT_EQ(rowText(*dialog->O_crtrs_ckreller1), "Test kreller | kreller.so");
        dialog->O_crtrs_context1->SelectIndex(0);
        QTreeWidget* list = dialog->O_crtrs_context1->LV1;
        emit list->itemDoubleClicked(list->topLevelItem(0), 0);
    });
    EXPECT_EQ(log.Lines("cartridge").back(), "SET_UP");
    EXPECT_TRUE(log.Lines("kreller").size() == 2u) << "a custom kreller is never set up";
}

} // namespace
