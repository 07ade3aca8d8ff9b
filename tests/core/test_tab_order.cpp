#include <gtest/gtest.h>

#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QApplication>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/sure.h"
#include "core/tab_order.h"

namespace {

// The object names of the controls Tab visits, once round, from the first control of the layout.
QStringList TabSequence(QWidget* window)
{
    QStringList names;
    for (QWidget* at = window->nextInFocusChain(); at != window && names.size() < 50; at = at->nextInFocusChain())
        // A tab bar's scroll buttons are its own business.
        if ((at->focusPolicy() & Qt::TabFocus) && !at->focusProxy() && !qobject_cast<QTabBar*>(at->parentWidget()))
            names << at->objectName();
    const std::vector<QWidget*> controls = ControlsInLayoutOrder(window);
    const qsizetype first = controls.empty() ? 0 : names.indexOf(controls.front()->objectName());
    return first <= 0 ? names : names.mid(first) + names.mid(0, first);
}

QPushButton* Button(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(name, parent);
    button->setObjectName(name);
    return button;
}

// Controls are created in reverse so that creation order and layout order differ everywhere.
TEST(TabOrder, FollowsBoxGridFormAndTabLayoutsNotCreationOrder)
{
    QDialog dialog;
    auto* tabs = new QTabWidget(&dialog);
    auto* page2 = new QWidget;
    auto* p2 = Button(page2, "page2_button");
    (new QVBoxLayout(page2))->addWidget(p2);
    auto* page1 = new QWidget;
    auto* field = new QLineEdit(page1);
    field->setObjectName("form_field");
    auto* form = new QFormLayout(page1);
    form->addRow("Field:", field);
    tabs->addTab(page1, "one");
    tabs->addTab(page2, "two");
    tabs->tabBar()->setObjectName("tab_bar");

    auto* d = Button(&dialog, "grid_r1c1");
    auto* c = Button(&dialog, "grid_r1c0");
    auto* b = Button(&dialog, "grid_r0c1");
    auto* a = Button(&dialog, "grid_r0c0");
    auto* grid = new QGridLayout;
    grid->addWidget(d, 1, 1);
    grid->addWidget(b, 0, 1);
    grid->addWidget(c, 1, 0);
    grid->addWidget(a, 0, 0);

    auto* right = Button(&dialog, "row_right");
    auto* left = Button(&dialog, "row_left");
    auto* reversed = new QBoxLayout(QBoxLayout::RightToLeft);
    reversed->addWidget(right);
    reversed->addWidget(left);

    auto* top = new QVBoxLayout(&dialog);
    top->addLayout(grid);
    top->addWidget(tabs);
    top->addLayout(reversed);

    SetTabOrderFromLayout(&dialog);
    EXPECT_EQ(TabSequence(&dialog), (QStringList{"grid_r0c0", "grid_r0c1", "grid_r1c0", "grid_r1c1", "tab_bar",
                                                 "form_field", "page2_button", "row_left", "row_right"}));
}

TEST(TabOrder, BreakDialogGoesAlongItsButtonRow)
{
    TFbreak_scanning breakDialog;
    SetTabOrderFromLayout(&breakDialog);
    EXPECT_EQ(TabSequence(&breakDialog), (QStringList{"btn_yes", "btn_ignore", "btn_no"}));
}

TEST(TabOrder, InstalledFilterOrdersEachWindowWhenShown)
{
    TLayoutTabOrder keeper;
    qApp->installEventFilter(&keeper);
    QDialog dialog;
    auto* third = Button(&dialog, "third");
    auto* second = Button(&dialog, "second");
    auto* first = Button(&dialog, "first");
    auto* layout = new QVBoxLayout(&dialog);
    for (QWidget* button : {first, second, third})
        layout->addWidget(button);
    EXPECT_EQ(TabSequence(&dialog), (QStringList{"first", "third", "second"}));
    dialog.show();
    EXPECT_EQ(TabSequence(&dialog), (QStringList{"first", "second", "third"}));
    qApp->removeEventFilter(&keeper);
}

} // namespace
