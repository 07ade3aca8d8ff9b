#include "krellers/kreller.h"
#include "krellers/kreller_list_view.h"
#include "krellers/kreller_size.h"
#include "platform/FileSystem.h"
#include "support/DialogDriver.h"
#include "support/ModalDriver.h"
#include "support/TempTree.h"

#include <QLabel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <stdexcept>

namespace {

// Counts the emissions of a signal, like a spy.
template <typename Sender, typename Signal>
std::shared_ptr<int> CountEmissions(Sender* sender, Signal signal)
{
    auto count = std::make_shared<int>(0);
    QObject::connect(sender, signal, sender, [count] { ++*count; });
    return count;
}

// ---- the base dialog ----

class KrellerWithHelp : public TD_kreller {
public:
    KrellerWithHelp() { AddHelpButton("kreller_date"); }
};

TEST(KrellerDialog, HelpButtonOpensItsTopicThroughTheWindow)
{
    KrellerWithHelp kreller;
    std::vector<std::string> topics;
    Child<QPushButton>(kreller, "btn_help")->click(); // no handler yet: nothing happens
    TKrellerServices services;
    services.ShowHelpTopic = [&topics](const std::string& topic) { topics.push_back(topic); };
    kreller.SetServices(services);
    Child<QPushButton>(kreller, "btn_help")->click();
    EXPECT_EQ(topics, (std::vector<std::string>{"kreller_date"}));
}

TEST(KrellerDialog, ButtonsDecideTheEditOutcome)
{
    const TConditionStrings condition = {"Described", "line"};
    const struct {
        const char* button;
        bool result, accepted, reset;
        TConditionStrings after;
    } cases[] = {
        {"btn_ok", true, true, false, condition},
        {"btn_cancel", false, false, false, condition},
        {"btn_reset", true, false, true, {}},
    };
    for (const auto& c : cases) {
        TD_kreller kreller;
        TConditionStrings strings = condition;
        ClickWhenShown(kreller, c.button);
        EXPECT_EQ(kreller.EditCondition(strings), c.result) << c.button;
        EXPECT_EQ(kreller.Accepted(), c.accepted) << c.button;
        EXPECT_EQ(kreller.ResetRequested(), c.reset) << c.button;
        EXPECT_EQ(strings, c.after) << c.button;
        EXPECT_FALSE(kreller.isVisible());
    }
}

// ---- the File size dialog ----

struct SizeControls {
    explicit SizeControls(QWidget& dialog)
        : greater(Child<QCheckBox>(dialog, "CB_greater")), greaterValue(Child<QSpinBox>(dialog, "SE_greater")),
          greaterUnit(Child<QComboBox>(dialog, "CMB_greater")), less(Child<QCheckBox>(dialog, "CB_less")),
          lessValue(Child<QSpinBox>(dialog, "SE_less")), lessUnit(Child<QComboBox>(dialog, "CMB_less"))
    {
    }
    QCheckBox* greater;
    QSpinBox* greaterValue;
    QComboBox* greaterUnit;
    QCheckBox* less;
    QSpinBox* lessValue;
    QComboBox* lessUnit;
};

TEST(SizeKrellerDialog, StartsWithDefaultsAndNoHelp)
{
    TD_kreller_size kreller;
    SizeControls c(kreller);
    EXPECT_EQ(kreller.windowTitle(), "Kreller \"File Size\"");
    EXPECT_FALSE(c.greater->isChecked());
    EXPECT_FALSE(c.less->isChecked());
    EXPECT_EQ(c.greaterValue->value(), 10);
    EXPECT_EQ(c.lessValue->value(), 50);
    EXPECT_EQ(c.greaterUnit->currentText(), "KB");
    EXPECT_EQ(c.lessUnit->currentText(), "KB");
    EXPECT_EQ(c.greaterValue->minimum(), std::numeric_limits<int>::min());
    EXPECT_EQ(c.lessValue->maximum(), std::numeric_limits<int>::max());
    EXPECT_EQ(kreller.findChild<QPushButton*>("btn_help"), nullptr);
}

TEST(SizeKrellerDialog, CheckBoxEnablesItsBoundWithWindowColour)
{
    TD_kreller_size kreller;
    SizeControls c(kreller);
    const QColor window = QApplication::palette().color(QPalette::Base);
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    EXPECT_FALSE(c.greaterValue->isEnabled());
    EXPECT_FALSE(c.lessUnit->isEnabled());
    EXPECT_EQ(c.greaterValue->palette().color(QPalette::Base), buttonFace);

    c.greater->setChecked(true);
    EXPECT_TRUE(c.greaterValue->isEnabled());
    EXPECT_TRUE(c.greaterUnit->isEnabled());
    EXPECT_EQ(c.greaterValue->palette().color(QPalette::Base), window);
    EXPECT_FALSE(c.lessValue->isEnabled());
}

TEST(SizeKrellerDialog, LoadingShowsTheConditionAndKeepsFieldForBadValue)
{
    TD_kreller_size kreller;
    SizeControls c(kreller);
    TConditionStrings strings = {"Size limitation", "SIZE_MAX=3", "SIZE_MAX_UNIT=MB"};
    kreller.LoadCondition(&strings);
    EXPECT_FALSE(c.greater->isChecked());
    EXPECT_TRUE(c.less->isChecked());
    EXPECT_TRUE(c.lessValue->isEnabled());
    EXPECT_EQ(c.lessValue->value(), 3);
    EXPECT_EQ(c.lessUnit->currentText(), "MB");

    c.greaterValue->setValue(33);
    c.greaterUnit->setCurrentIndex(1);
    strings = {"Size limitation", "SIZE_MIN=abc"};
    kreller.LoadCondition(&strings);
    EXPECT_TRUE(c.greater->isChecked());
    EXPECT_EQ(c.greaterValue->value(), 33);
    EXPECT_EQ(c.greaterUnit->currentText(), "KB");
    EXPECT_FALSE(c.less->isChecked());
    EXPECT_TRUE(kreller.TestFile(FileEntry{"f", 33000}, "/f"));
    EXPECT_FALSE(kreller.TestFile(FileEntry{"f", 32999}, "/f"));
}

TEST(SizeKrellerDialog, FilesAbove2GiBCompareByTheirFullSize)
{
    TempTree tree;
    const std::string path = tree.SizedFile("big.bin", 3000000001LL);
    const auto entry = platform::LookupEntry(path);
    ASSERT_TRUE(entry.has_value());
    ASSERT_EQ(entry->Size, 3000000001LL);

    const struct {
        TConditionStrings strings;
        bool passes;
    } cases[] = {
        {{"Size limitation", "SIZE_MIN=3000", "SIZE_MIN_UNIT=MB"}, true},
        {{"Size limitation", "SIZE_MAX=3000", "SIZE_MAX_UNIT=MB"}, false},
        {{"Size limitation", "SIZE_MAX=2", "SIZE_MAX_UNIT=KB"}, false},
        {{"Size limitation", "SIZE_MAX=3000001", "SIZE_MAX_UNIT=KB"}, true},
    };
    TD_kreller_size kreller;
    for (auto c : cases) {
        kreller.LoadCondition(&c.strings);
        EXPECT_EQ(kreller.TestFile(*entry, path), c.passes) << c.strings[1];
    }
}

// ---- a row edited through the list, with the File size dialog as its kreller ----

class SizeRowTest : public ::testing::Test {
protected:
    SizeRowTest()
        : controls(kreller)
    {
        view.AppendNativeRow("File size condition", &kreller);
        view.LV_krellersClick();
        view.setCurrentItem(view.topLevelItem(0));
    }

    TKrellerRow& Row() { return view.Krellers().Row(0); }
    QTreeWidgetItem* Item() { return view.topLevelItem(0); }

    void Edit(const char* button, std::function<void()> before = {})
    {
        ClickWhenShown(kreller, button, std::move(before));
        view.a_edit_kreller();
    }

    TD_kreller_size kreller;
    SizeControls controls;
    TKrellerList list;
    TKrellerListView view{list};
};

TEST_F(SizeRowTest, OkWithOnlyAnUpperBoundStoresItAndSwitchesTheRowOn)
{
    Edit("btn_ok", [this] {
        controls.less->setChecked(true);
        controls.lessValue->setValue(1);
        controls.lessUnit->setCurrentIndex(1);
    });
    EXPECT_EQ(Row().Strings, (TConditionStrings{"Size limitation", "SIZE_MIN_UNIT=KB", "SIZE_MAX=1", "SIZE_MAX_UNIT=MB"}));
    EXPECT_TRUE(Row().Checked);
    EXPECT_EQ(Item()->checkState(0), Qt::Checked);
    EXPECT_EQ(Item()->text(1), "Size limitation");
    EXPECT_EQ(Item()->data(0, Qt::UserRole).toInt(), kiNativeChecked);
    EXPECT_TRUE(kreller.TestFile(FileEntry{"f", 1000000}, "/f"));
    EXPECT_FALSE(kreller.TestFile(FileEntry{"f", 1000001}, "/f"));
}

TEST_F(SizeRowTest, ResetEmptiesTheRowAndUnchecksTheBoxesKeepingValues)
{
    Edit("btn_ok", [this] {
        controls.greater->setChecked(true);
        controls.greaterValue->setValue(7);
    });
    ASSERT_TRUE(Row().Checked);

    Edit("btn_reset");
    EXPECT_TRUE(Row().Strings.empty());
    EXPECT_FALSE(Row().Checked);
    EXPECT_EQ(Item()->text(1), "");
    EXPECT_FALSE(controls.greater->isChecked());
    EXPECT_EQ(controls.greaterValue->value(), 7);
}

TEST_F(SizeRowTest, CancelChangesNothingEvenOnAnUncheckedRowWithCondition)
{
    Row().Strings = {"Size limitation", "SIZE_MIN=5", "SIZE_MIN_UNIT=KB", "SIZE_MAX_UNIT=KB"};
    view.Refresh();
    Edit("btn_cancel", [this] { controls.greaterValue->setValue(99); });
    EXPECT_EQ(Row().Strings, (TConditionStrings{"Size limitation", "SIZE_MIN=5", "SIZE_MIN_UNIT=KB", "SIZE_MAX_UNIT=KB"}));
    EXPECT_FALSE(Row().Checked);
}

TEST_F(SizeRowTest, OkWithBothBoxesUncheckedClearsTheCondition)
{
    Row().Strings = {"Size limitation", "SIZE_MIN=5"};
    Row().Checked = true;
    view.LV_krellersClick();
    Edit("btn_ok", [this] { controls.greater->setChecked(false); });
    EXPECT_EQ(Row().Strings, (TConditionStrings{""}));
    EXPECT_FALSE(Row().Checked);
}

TEST_F(SizeRowTest, UserChecksOnlyARowWithConditionAndUncheckingKeepsIt)
{
    Item()->setCheckState(0, Qt::Checked);
    EXPECT_EQ(Item()->checkState(0), Qt::Unchecked);
    EXPECT_FALSE(Row().Checked);

    Row().Strings = {"Size limitation", "SIZE_MIN=5"};
    view.Refresh();
    Item()->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(Row().Checked);
    Item()->setCheckState(0, Qt::Unchecked);
    EXPECT_FALSE(Row().Checked);
    EXPECT_EQ(Item()->text(1), "Size limitation");
    EXPECT_EQ(Item()->data(0, Qt::UserRole).toInt(), kiNativeUnchecked);
}

TEST_F(SizeRowTest, DoubleClickAndEditActionEditTheSelectedRow)
{
    const auto changed = CountEmissions(&view, &TKrellerListView::KrellersChanged);
    Edit("btn_ok", [this] { controls.greater->setChecked(true); });
    EXPECT_TRUE(Row().Checked);
    EXPECT_GE(*changed, 1);

    ClickWhenShown(kreller, "btn_reset");
    emit view.itemDoubleClicked(Item(), 0);
    EXPECT_FALSE(Row().Checked);

    ClickWhenShown(kreller, "btn_ok", [this] { controls.less->setChecked(true); });
    view.EditKrellerAction()->trigger();
    EXPECT_TRUE(Row().Checked);

    view.clearSelection();
    EXPECT_FALSE(view.EditKrellerAction()->isEnabled());
    view.a_edit_kreller(); // nothing selected: no dialog (a modal loop would hang the test)
}

// ---- the list widget ----

class UnreadableKreller : public TD_kreller {
public:
    void LoadCondition(TConditionStrings*) override { throw std::runtime_error("condition unreadable"); }
};

TEST(KrellerListView, AnEditThatFailsIsReportedAndLeavesTheRowAlone)
{
    UnreadableKreller kreller;
    TKrellerList list;
    TKrellerListView view(list);
    TKrellerRow& row = view.AppendNativeRow("Context condition", &kreller);
    row.Strings = {"Context condition", "<broken"};
    row.Checked = true;
    view.Refresh();
    view.setCurrentItem(view.topLevelItem(0));

    QString reported;
    ClickInNextModal("no such button", [&reported](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            reported = box->text();
            box->buttons().constFirst()->click();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        }
    });
    view.a_edit_kreller();
    EXPECT_EQ(reported, "condition unreadable");
    EXPECT_EQ(row.Strings, (TConditionStrings{"Context condition", "<broken"}));
    EXPECT_TRUE(row.Checked);
    EXPECT_EQ(view.topLevelItem(0)->checkState(0), Qt::Checked);
}

TEST(KrellerListView, ClearingTheListWithALaterRowSelectedRemovesEveryRow)
{
    TD_kreller first, second, third;
    TKrellerList list;
    TKrellerListView view(list);
    for (TD_kreller* kreller : {&first, &second, &third})
        view.AppendNativeRow("row", kreller);
    view.setCurrentItem(view.topLevelItem(2));
    view.ClearKrellerList();
    EXPECT_EQ(view.topLevelItemCount(), 0);
}

TEST(KrellerListView, PopupMenuAsksTheWindow)
{
    TKrellerList list;
    TKrellerListView view(list);
    EXPECT_EQ(view.objectName(), "LV_krellers");
    QMenu* menu = view.PopupMenu();
    EXPECT_EQ(menu->objectName(), "PopupMenu_krellers");
    QStringList entries;
    for (QAction* action : menu->actions())
        entries << action->text();
    EXPECT_EQ(entries, (QStringList{"Edit current kreller", "Run", "Plugins"}));
    QMenu* plugins = menu->actions().at(2)->menu();
    ASSERT_NE(plugins, nullptr);

    const auto run = CountEmissions(&view, &TKrellerListView::RunRequested);
    const auto cartridges = CountEmissions(&view, &TKrellerListView::ContextCartridgesRequested);
    const auto custom = CountEmissions(&view, &TKrellerListView::CustomKrellersRequested);
    menu->actions().at(1)->trigger();
    plugins->actions().at(0)->trigger();
    plugins->actions().at(1)->trigger();
    EXPECT_EQ(plugins->actions().at(0)->text(), "Context cartridges");
    EXPECT_EQ(plugins->actions().at(1)->text(), "Custom krellers");
    EXPECT_EQ(*run, 1);
    EXPECT_EQ(*cartridges, 1);
    EXPECT_EQ(*custom, 1);
}

TEST(KrellerListView, SearchDisablesTheListAndItsCommands)
{
    TD_kreller kreller;
    TKrellerList list;
    TKrellerListView view(list);
    view.AppendNativeRow("File size condition", &kreller);
    view.setCurrentItem(view.topLevelItem(0));
    QAction* run = view.PopupMenu()->actions().at(1);
    EXPECT_TRUE(view.EditKrellerAction()->isEnabled());

    view.SetSearching(true);
    EXPECT_FALSE(view.isEnabled());
    EXPECT_FALSE(view.EditKrellerAction()->isEnabled());
    EXPECT_FALSE(view.EditCurrentKrellerAction()->isEnabled());
    EXPECT_FALSE(run->isEnabled());
    EXPECT_EQ(view.palette().color(QPalette::Base), QApplication::palette().color(QPalette::Button));
    view.a_edit_kreller(); // ignored while searching

    view.SetSearching(false);
    EXPECT_TRUE(view.isEnabled());
    EXPECT_TRUE(view.EditCurrentKrellerAction()->isEnabled());
    EXPECT_TRUE(run->isEnabled());
    EXPECT_EQ(view.palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
}

} // namespace

namespace {

// Bounds that no size meets are allowed but warned of, in either unit.
TEST(SizeKrellerDialog, WarnsOfBoundsThatNoSizeMeets)
{
    TD_kreller_size kreller;
    SizeControls c(kreller);
    auto* warning = Child<QLabel>(kreller, "LBL_warning");
    c.greater->setChecked(true);
    c.less->setChecked(true);
    c.greaterValue->setValue(5);
    c.lessValue->setValue(2);
    EXPECT_FALSE(warning->isHidden());
    EXPECT_EQ(warning->text(), "The lower bound is above the upper bound: no file can pass.");
    c.lessUnit->setCurrentIndex(1);  // 2 MB
    EXPECT_TRUE(warning->isHidden());
    c.lessUnit->setCurrentIndex(0);
    c.less->setChecked(false);
    EXPECT_TRUE(warning->isHidden());
}

} // namespace
