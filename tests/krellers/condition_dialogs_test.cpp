// The Directories, File mask and File date dialogs: thin views over their conditions.
#include "krellers/kreller_date.h"
#include "krellers/kreller_dirs.h"
#include "krellers/kreller_mask.h"
#include "settings_ui/file_groups.h"
#include "support/DialogDriver.h"
#include "support/TempTree.h"
#include "tagged/settings_store.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

using Strings = TConditionStrings;

// Services that answer every question as told and remember what was asked.
struct AnsweringServices {
    bool answer = true;
    std::vector<std::string> questions;
    std::optional<std::string> browsed;
    std::vector<std::pair<std::string, std::string>> browses;  // title, selected
    TKrellerServices Make(TSettingsStore* store)
    {
        TKrellerServices services;
        services.Settings = store;
        services.Ask = [this](const std::string& question) {
            questions.push_back(question);
            return answer;
        };
        services.BrowseFolder = [this](const std::string& title, const std::string& selected) {
            browses.emplace_back(title, selected);
            return browsed;
        };
        return services;
    }
};

std::vector<std::string> ListTexts(QListWidget& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i)
        texts.push_back(list.item(i)->text().toStdString());
    return texts;
}

// ---- Directories ----

struct DirsDialog : ::testing::Test {
    TempTree tree;
    TSettingsStore store{tree.Path("FileKreller.set")};
    AnsweringServices answers;
    TD_kreller_dirs kreller;
    QListWidget* list = Child<QListWidget>(kreller, "LB_dirs");

    DirsDialog() { kreller.SetServices(answers.Make(&store)); }
    bool Enabled(const char* button) { return Child<QPushButton>(kreller, button)->isEnabled(); }
    void Click(const char* button) { Child<QPushButton>(kreller, button)->click(); }
};

TEST_F(DirsDialog, AddsEachDirectoryOnceAndButtonsFollowTheList)
{
    EXPECT_EQ(kreller.windowTitle(), "Kreller \"Directories\"");
    EXPECT_TRUE(Child<QPushButton>(kreller, "btn_reset")->isHidden());
    Strings row;
    kreller.LoadCondition(&row);
    EXPECT_FALSE(Enabled("btn_delete"));
    EXPECT_FALSE(Enabled("btn_save"));
    EXPECT_FALSE(Enabled("btn_clear"));

    for (const char* picked : {"/data/tmp", "/data/Tmp/", "/data/tmp/"}) {
        answers.browsed = picked;
        Click("btn_add");
    }
    EXPECT_EQ(ListTexts(*list), (std::vector<std::string>{"/data/tmp/", "/data/Tmp/"}));
    EXPECT_EQ(list->currentRow(), 0);  // the one listed already is selected
    EXPECT_TRUE(Enabled("btn_delete"));
    EXPECT_TRUE(Enabled("btn_save"));

    answers.browsed.reset();  // the browser cancelled
    Click("btn_add");
    // The browser's caption is its title, and it opens at the selected directory.
    using Browse = std::pair<std::string, std::string>;
    EXPECT_EQ(answers.browses.front(), (Browse{"Select directory to add to the list", ""}));
    EXPECT_EQ(answers.browses.back(), (Browse{"Select directory to add to the list", "/data/tmp/"}));
    Click("btn_delete");
    EXPECT_EQ(ListTexts(*list), (std::vector<std::string>{"/data/Tmp/"}));
    EXPECT_FALSE(Enabled("btn_delete"));

    kreller.StoreCondition();  // as "Ok" does
    EXPECT_EQ(row, (Strings{"Excluded directories", "/data/Tmp/"}));
    EXPECT_FALSE(kreller.TestFile({}, "/data/Tmp"));
    EXPECT_TRUE(kreller.TestFile({}, "/data/tmp"));
}

TEST_F(DirsDialog, ListButtonsAskFirstAndActOnYes)
{
    store.SetExcludedDirectories({"/proc/", "/sys/"});
    const Strings condition = {"Excluded directories", "/a/"};
    const struct {
        const char* button;
        bool answer;
        std::vector<std::string> defaults;
        std::vector<std::string> question;
        std::vector<std::string> shown;
    } cases[] = {
        {"btn_load_default", false, {"/proc/", "/sys/"}, {}, {"/proc/", "/sys/"}},
        {"btn_load_default", false, {}, {"No default list deffined in the program settings.\nSet empty list?"}, {"/a/"}},
        {"btn_load_default", true, {}, {"No default list deffined in the program settings.\nSet empty list?"}, {}},
        {"btn_clear", false, {"/x/"}, {"Clear list?"}, {"/a/"}},
        {"btn_clear", true, {"/x/"}, {"Clear list?"}, {}},
    };
    for (const auto& c : cases) {
        store.SetExcludedDirectories(c.defaults);
        Strings row = condition;
        kreller.LoadCondition(&row);
        answers.answer = c.answer;
        answers.questions.clear();
        Click(c.button);
        EXPECT_EQ(answers.questions, c.question) << c.button << " " << c.answer;
        EXPECT_EQ(ListTexts(*list), c.shown) << c.button << " " << c.answer;
    }
}

TEST_F(DirsDialog, SaveMakesTheListTheDefaultInTheFileAndOkWithNoListClearsTheRow)
{
    Strings row = {"Excluded directories", "/home/u/.cache/", "/tmp/"};
    kreller.LoadCondition(&row);
    answers.answer = false;
    Click("btn_save");
    EXPECT_TRUE(store.ExcludedDirectories().empty());
    answers.answer = true;
    Click("btn_save");
    EXPECT_EQ(answers.questions.back(), "Save current list as default list?");
    EXPECT_EQ(store.ExcludedDirectories(), (std::vector<std::string>{"/home/u/.cache/", "/tmp/"}));
    TSettingsStore reread(store.FileName());
    reread.Load();
    EXPECT_EQ(reread.ExcludedDirectories(), store.ExcludedDirectories());

    ClickWhenShown(kreller, "btn_ok", [this] { Click("btn_clear"); });
    EXPECT_TRUE(kreller.EditCondition(row));
    EXPECT_TRUE(row.empty());
    EXPECT_TRUE(kreller.TestFile({}, "/tmp"));
}

TEST_F(DirsDialog, CancelKeepsTheLoadedConditionForTheWalk)
{
    Strings row = {"Excluded directories", "/tmp/"};
    ClickWhenShown(kreller, "btn_cancel", [this] { Click("btn_clear"); });
    EXPECT_FALSE(kreller.EditCondition(row));
    EXPECT_EQ(row, (Strings{"Excluded directories", "/tmp/"}));
    EXPECT_FALSE(kreller.TestFile({}, "/tmp"));
}

// ---- File mask ----

struct MaskDialog : ::testing::Test {
    TempTree tree;
    TSettingsStore store{tree.Path("FileKreller.set")};
    AnsweringServices answers;
    TD_kreller_mask kreller;
    QLineEdit* name = Child<QLineEdit>(kreller, "Edit_filename");
    QLineEdit* ext = Child<QLineEdit>(kreller, "Edit_fileext");
    TO_file_groups* groups = Child<TO_file_groups>(kreller, "O_fg1");
    QLabel* maskError = Child<QLabel>(kreller, "LBL_mask_error");

    MaskDialog()
    {
        store.FileGroups().Assign({{"Docs", "doc;txt"}, {"Pictures", "bmp;jpg"}, {"*", "gz"}});
        kreller.SetServices(answers.Make(&store));
    }
    void ChooseMode(int mode) { Child<QRadioButton>(kreller, QString("RG1_%1").arg(mode).toUtf8())->click(); }
    std::vector<bool> Checks()
    {
        std::vector<bool> checks;
        for (int i = 0; i < groups->ItemCount(); ++i)
            checks.push_back(groups->CheckedAt(i));
        return checks;
    }
    // Edits the row with the dialog, letting act() play the user before "Ok".
    Strings EditWithOk(Strings row, std::function<void()> act)
    {
        ClickWhenShown(kreller, "btn_ok", std::move(act));
        kreller.EditCondition(row);
        return row;
    }
};

TEST_F(MaskDialog, ModesLayOutTheFieldsAndTheGroupList)
{
    EXPECT_EQ(kreller.windowTitle(), "Kreller \"mask\"");
    store.SetLastExtensionMask("txt");
    const struct {
        int mode;
        const char* ext;
        bool extEnabled, groupsShown, checkBoxes, struckOut;
    } cases[] = {
        {1, "*", false, true, true, false},
        {2, "*", false, true, true, true},
        {0, "txt", true, false, false, false},
    };
    Strings row;
    kreller.LoadCondition(&row);
    kreller.show();
    for (const auto& c : cases) {
        ChooseMode(c.mode);
        Child<QPushButton>(kreller, "btn_select_all")->click();
        EXPECT_EQ(ext->text(), c.ext) << c.mode;
        EXPECT_EQ(ext->isEnabled(), c.extEnabled) << c.mode;
        EXPECT_EQ(groups->isVisibleTo(&kreller), c.groupsShown) << c.mode;
        EXPECT_EQ(groups->isEnabled(), c.groupsShown) << c.mode;
        EXPECT_EQ(Child<QPushButton>(kreller, "btn_add_group")->isEnabled(), c.groupsShown) << c.mode;
        EXPECT_EQ(groups->CheckBoxes(), c.checkBoxes) << c.mode;
        EXPECT_EQ(groups->DrawnStruckOut(0), c.struckOut) << c.mode;
    }
    kreller.hide();
}

TEST_F(MaskDialog, LoadedChecksSurviveModeSwitchesAndOkStoresTheShownMarks)
{
    const Strings row = {"Pass selected groups", "*", "*", "pictures", "Gone"};
    const Strings stored = EditWithOk(row, [this] {
        EXPECT_EQ(Checks(), (std::vector<bool>{false, true, false}));
        ChooseMode(0);
        ChooseMode(2);
        EXPECT_EQ(Checks(), (std::vector<bool>{false, true, false}));
        Child<QPushButton>(kreller, "btn_invert")->click();
    });
    // The vanished group drops out; the group named "*" was never checked by its mask lines.
    EXPECT_EQ(stored, (Strings{"Restrict selected groups", "*", "*", "Docs", "*"}));
    EXPECT_FALSE(kreller.TestFile({}, "/d/a.txt"));
    EXPECT_TRUE(kreller.TestFile({}, "/d/a.bmp"));
}

TEST_F(MaskDialog, OkInMaskModeKeepsTheExtensionForNextTimeAndResetShowsIt)
{
    Strings stored = EditWithOk({}, [this] {
        name->setText("rep*");
        ext->setText("TXT");
    });
    EXPECT_EQ(stored, (Strings{"Use file mask", "rep*", "TXT"}));
    EXPECT_EQ(store.LastExtensionMask(), "TXT");
    EXPECT_TRUE(kreller.TestFile({}, "/d/report.txt"));
    EXPECT_FALSE(kreller.TestFile({}, "/d/report"));

    stored = EditWithOk(stored, [this] { ext->clear(); });
    EXPECT_EQ(store.LastExtensionMask(), "*");  // an empty field removes the key
    ClickWhenShown(kreller, "btn_reset");
    EXPECT_TRUE(kreller.EditCondition(stored));
    EXPECT_TRUE(stored.empty());
    EXPECT_EQ(name->text(), "*");
    EXPECT_EQ(ext->text(), "*");
}

TEST_F(MaskDialog, AMistypedMaskShowsItsErrorWhileTyping)
{
    Strings row;
    kreller.LoadCondition(&row);
    kreller.show();
    const struct {
        const char* name;
        const char* ext;
        const char* error;
    } cases[] = {
        {"X[", "*", "'X[.*' is an invalid mask at (5)"},
        {"*", "[]", "'*.[]' is an invalid mask at (4)"},
        {"[a-c]*", "txt", ""},
    };
    for (const auto& c : cases) {
        name->setText(c.name);
        ext->setText(c.ext);
        EXPECT_EQ(maskError->text().toStdString(), c.error) << c.name << "." << c.ext;
        EXPECT_EQ(maskError->isVisible(), *c.error != '\0') << c.name << "." << c.ext;
    }
    EXPECT_NE(maskError->palette().color(QPalette::WindowText), QApplication::palette().color(QPalette::WindowText));
    kreller.hide();

    // "Ok" takes the mask as typed; every file then fails.
    const Strings stored = EditWithOk(row, [this] { name->setText("X["); });
    EXPECT_EQ(stored[1], "X[");
    EXPECT_THROW(kreller.TestFile({}, "/d/X.TXT"), std::exception);
}

// The dialog grows for the error line and the group list, and shrinks back when they go.
TEST_F(MaskDialog, ShrinksBackOnceTheErrorLineOrTheGroupListIsGone)
{
    Strings row;
    kreller.LoadCondition(&row);
    kreller.show();
    const auto heightAfter = [this](const std::function<void()>& act) {
        act();
        QApplication::processEvents();  // the layout settles on its own event
        return kreller.height();
    };
    const int plain = heightAfter([] {});
    EXPECT_GT(heightAfter([this] { name->setText("X["); }), plain) << "room for the error line";
    EXPECT_EQ(heightAfter([this] { name->setText("*"); }), plain);
    EXPECT_GT(heightAfter([this] { ChooseMode(1); }), plain) << "room for the group list";
    EXPECT_EQ(heightAfter([this] { ChooseMode(0); }), plain);
    kreller.hide();
}

TEST_F(MaskDialog, GroupButtonsEditTheSharedGroups)
{
    TO_file_groups settingsView;  // another view of the same groups, as the settings dialog has
    TD_file_group_exts editor(nullptr);
    settingsView.Attach(&store.FileGroups(), &editor);
    const Strings stored = EditWithOk({"Pass selected groups", "*", "*", "Docs"}, [this] {
        groups->SelectIndex(0);
        answers.answer = false;
        Child<QPushButton>(kreller, "btn_del_group")->click();
        EXPECT_EQ(groups->ItemCount(), 3);
        answers.answer = true;
        Child<QPushButton>(kreller, "btn_del_group")->click();
    });
    EXPECT_EQ(answers.questions, (std::vector<std::string>{"Delete file group?", "Delete file group?"}));
    EXPECT_EQ(settingsView.ItemCount(), 2);
    EXPECT_EQ(settingsView.CaptionAt(0), "Pictures");
    EXPECT_EQ(ReadFileGroups(store.Document()).size(), 2u);
    EXPECT_EQ(stored, (Strings{"Pass selected groups", "*", "*"}));
    EXPECT_FALSE(kreller.TestFile({}, "/d/a.txt"));  // no group checked: mode 1 passes nothing
}

// ---- File date ----

struct DateDialog : ::testing::Test {
    TD_kreller_date kreller;
    QComboBox* action = Child<QComboBox>(kreller, "CB_file_action");
    QCheckBox* after = Child<QCheckBox>(kreller, "CB_after");
    QCheckBox* before = Child<QCheckBox>(kreller, "CB_before");
    QDateEdit* afterDate = Child<QDateEdit>(kreller, "DTP_after");
    QDateEdit* beforeDate = Child<QDateEdit>(kreller, "DTP_before");
    QPushButton* ok = Child<QPushButton>(kreller, "btn_ok");
};

QDate Shown(const platform::CalendarDate& date)
{
    return QDate(date.Year, date.Month, date.Day);
}

TEST_F(DateDialog, StartsEmptyAndOkNeedsAnActionAndABound)
{
    EXPECT_EQ(kreller.windowTitle(), "Kreller \"File Date\"");
    EXPECT_EQ(action->currentIndex(), -1);
    const platform::CalendarDate today = platform::Today();
    EXPECT_EQ(afterDate->date(), Shown(platform::AddDays(today, -30)));
    EXPECT_EQ(beforeDate->date(), Shown(platform::AddDays(today, 1)));
    EXPECT_TRUE(afterDate->calendarPopup());
    const struct {
        int action;
        bool after, before, ok;
    } cases[] = {
        {-1, true, true, false}, {0, false, false, false}, {1, true, false, true},
        {2, false, true, true},  {0, true, true, true},
    };
    for (const auto& c : cases) {
        action->setCurrentIndex(c.action);
        after->setChecked(c.after);
        before->setChecked(c.before);
        EXPECT_EQ(ok->isEnabled(), c.ok) << c.action << c.after << c.before;
        EXPECT_EQ(afterDate->isEnabled(), c.after);
        EXPECT_EQ(beforeDate->isEnabled(), c.before);
    }
}

TEST_F(DateDialog, LoadsStoresAndResetsThroughTheRow)
{
    const std::string feb1 = platform::FormatShortDate({2003, 2, 1});
    const std::string jun5 = platform::FormatShortDate({2003, 6, 5});
    Strings row = {"x", "OPENED", " ", jun5};
    ClickWhenShown(kreller, "btn_ok", [this] {
        EXPECT_EQ(action->currentText(), "opened");
        EXPECT_FALSE(after->isChecked());
        EXPECT_TRUE(before->isChecked());
        EXPECT_EQ(beforeDate->date(), QDate(2003, 6, 5));
        action->setCurrentIndex(0);
        after->setChecked(true);
        afterDate->setDate(QDate(2003, 2, 1));
    });
    EXPECT_TRUE(kreller.EditCondition(row));
    EXPECT_EQ(row, (Strings{"changed after date " + feb1 + " before or at date " + jun5, "changed", feb1, jun5}));

    // A date that cannot be read leaves its field; an unknown action leaves none chosen.
    Strings odd = {"x", "touched", "no date", " "};
    kreller.LoadCondition(&odd);
    EXPECT_EQ(action->currentIndex(), -1);
    EXPECT_TRUE(after->isChecked());
    EXPECT_EQ(afterDate->date(), QDate(2003, 2, 1));
    EXPECT_TRUE(kreller.TestFile({}, "/any"));

    ClickWhenShown(kreller, "btn_reset");
    EXPECT_TRUE(kreller.EditCondition(row));
    EXPECT_TRUE(row.empty());
    EXPECT_EQ(action->currentIndex(), -1);
    EXPECT_FALSE(after->isChecked());
    EXPECT_EQ(beforeDate->date(), Shown(platform::AddDays(platform::Today(), 1)));
}

TEST_F(DateDialog, TestsTheChosenTimeStampByWholeDays)
{
    const std::uint64_t day = platform::UtcDateToFileTime({2003, 2, 1});
    const std::uint64_t lastSecond = day + (24ull * 3600 - 1) * 10000000;
    const std::string d = platform::FormatShortDate({2003, 2, 1});
    FileEntry entry;
    entry.LastWriteTime = lastSecond;
    entry.LastAccessTime = platform::UtcDateToFileTime({2003, 2, 2});
    entry.CreationTime = day;
    const struct {
        Strings row;
        bool passes;
    } cases[] = {
        {{"x", "changed", " ", d}, true},   // 23:59:59 on D is at or before D
        {{"x", "created", d, " "}, true},   // 00:00:00 on D is after D
        {{"x", "opened", " ", d}, false},   // the access time, a day later
        {{"x", "opened", d, " "}, true},
    };
    for (auto c : cases) {
        kreller.LoadCondition(&c.row);
        EXPECT_EQ(kreller.TestFile(entry, "/f"), c.passes) << c.row[1] << " '" << c.row[2] << "' '" << c.row[3] << "'";
    }
}

} // namespace

namespace {

TEST_F(DateDialog, WarnsOfBoundsThatNoDayMeets)
{
    auto* warning = Child<QLabel>(kreller, "LBL_warning");
    action->setCurrentIndex(0);
    after->setChecked(true);
    before->setChecked(true);
    afterDate->setDate(QDate(2024, 3, 2));
    beforeDate->setDate(QDate(2024, 3, 1));
    EXPECT_FALSE(warning->isHidden());
    EXPECT_EQ(warning->text(), "The \"after\" date is later than the \"before\" date: no file can pass.");
    EXPECT_TRUE(ok->isEnabled()) << "Ok stays allowed";
    beforeDate->setDate(QDate(2024, 3, 2));
    EXPECT_TRUE(warning->isHidden());
}

} // namespace
