// The keyboard and window conventions of the desktop: mnemonics, shortcuts, help keys, tab order,
// small dialogs and where windows open.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QRegularExpression>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

#include "core/desktop_keys.h"
#include "core/menu_mnemonics.h"
#include "core/msg.h"
#include "core/progress.h"
#include "core/sure.h"
#include "core/tab_order.h"
#include "core/window_placement.h"
#include "platform/DialogManners.h"
#include "window_fixture.h"

namespace {

void Press(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(widget, &press);
}

QString Shown(QString text)
{
    return text.remove(QRegularExpression("&(?!&)")).replace("&&", "&");
}

TEST(Mnemonics, EachTextGetsAFreeCharacterAndKeepsWhatItShows)
{
    struct Case { std::vector<QString> texts; std::vector<QString> marked; };
    const Case cases[] = {
        {{"File", "Search", "Found list", "Help"}, {"&File", "&Search", "Found &list", "&Help"}},
        // A mark already there is kept and its letter is taken first.
        {{"Open file", "&Options"}, {"Open &file", "&Options"}},
        // Word starts first, then any letter; digits count.
        {{"Run", "Run", "Run", "Rnu"}, {"&Run", "R&un", "Ru&n", "Rnu"}},
        {{"1 level", "Level"}, {"&1 level", "&Level"}},
        // A literal ampersand stays one; a shortcut after a tab is not looked at.
        {{"Save & close", "Copy\tCtrl+C"}, {"&Save && close", "&Copy\tCtrl+C"}},
        {{"...", ""}, {"...", ""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WithMnemonics(c.texts), c.marked) << c.texts.front().toStdString();
        for (std::size_t i = 0; i < c.texts.size(); ++i) {
            if (!c.texts[i].contains('&')) {
                EXPECT_EQ(Shown(WithMnemonics(c.texts)[i]), c.texts[i]);
            }
        }
    }
}

// Every entry of every menu (and the menu bar) marks a letter of its own, and shows its text as before.
void ExpectMnemonics(QWidget* menu, QStringList& texts)
{
    QSet<QChar> letters;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        EXPECT_TRUE(HasMnemonic(action->text())) << action->text().toStdString();
        const qsizetype at = action->text().indexOf(QRegularExpression("&[^&]"));
        if (at >= 0) {
            EXPECT_FALSE(letters.contains(action->text()[at + 1].toLower())) << action->text().toStdString();
            letters.insert(action->text()[at + 1].toLower());
        }
        texts << Shown(action->text());
        if (action->menu())
            ExpectMnemonics(action->menu(), texts);
    }
}

TEST_F(WindowTest, EveryMenuAndEntryHasItsOwnMnemonicAndTheStandardShortcuts)
{
    QStringList texts;
    ExpectMnemonics(window.menuBar(), texts);
    ExpectMnemonics(window.findChild<QMenu*>("PopupMenu_found"), texts);
    for (const char* fixed : {"File", "Load found files list", "Save found files list as...", "Cuctom krellers",
                              "Delete directory from starth paths list", "Search in WEB", "Found list", "Help..."})
        EXPECT_TRUE(texts.contains(fixed)) << fixed;

    const auto keys = [this](const char* action) { return window.findChild<QAction*>(action)->shortcuts(); };
    EXPECT_EQ(keys("N_Exit"), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Q)});
    EXPECT_EQ(keys("N_Searchinfoundfilenames"), (QList<QKeySequence>{QKeySequence(Qt::Key_F7), QKeySequence(Qt::CTRL | Qt::Key_F)}));
    EXPECT_EQ(keys("N_Savefoundfileslist"), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_S)});
    EXPECT_EQ(keys("N_Loadfoundfileslist"), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_O)});
    EXPECT_EQ(keys("N_Startsearch"), QList<QKeySequence>{QKeySequence(Qt::Key_F9)});
    EXPECT_EQ(keys("N_Viewfile"), QList<QKeySequence>{QKeySequence(Qt::Key_F3)});

    const auto tip = [this](const char* button) { return window.findChild<QToolButton*>(button)->toolTip(); };
    EXPECT_TRUE(tip("SB_run").contains("F9"));
    EXPECT_TRUE(tip("SB_findinfound").contains("F7") && tip("SB_findinfound").contains("Ctrl+F"));
    EXPECT_TRUE(tip("SB_view").contains("F3"));
    EXPECT_TRUE(tip("SB_exit").contains("Ctrl+Q"));
    EXPECT_TRUE(tip("SB_open").contains("Enter"));
}

TEST(Mnemonics, AMenuShownWithTheKeysInstalledGetsThem)
{
    TDesktopKeys keys({});
    qApp->installEventFilter(&keys);
    QMenu menu;
    menu.addAction("Edit current kreller");
    menu.addAction("Run");
    menu.addMenu("Plugins")->addAction("Context cartridges");
    menu.popup({0, 0});
    EXPECT_EQ(menu.actions().at(0)->text(), "&Edit current kreller");
    EXPECT_EQ(menu.actions().at(1)->text(), "&Run");
    EXPECT_EQ(menu.actions().at(2)->text(), "&Plugins");
    EXPECT_EQ(menu.actions().at(2)->menu()->actions().at(0)->text(), "&Context cartridges");
    menu.hide();
    qApp->removeEventFilter(&keys);
}

TEST(HelpKey, F1OpensTheTopicOfTheNearestWindowThatNamesOne)
{
    std::vector<std::string> topics;
    TDesktopKeys keys([&topics](const std::string& topic) { topics.push_back(topic); });
    qApp->installEventFilter(&keys);
    QDialog settings;
    platform::SetHelpTopic(&settings, "start_dir");
    QDialog groups(&settings);
    auto* field = new QLineEdit(&groups);
    QDialog lone;
    Press(field, Qt::Key_F1);
    Press(&settings, Qt::Key_F1);
    Press(&lone, Qt::Key_F1);
    Press(&lone, Qt::Key_F2);
    EXPECT_EQ(topics, (std::vector<std::string>{"start_dir", "start_dir", "index"}));
    qApp->removeEventFilter(&keys);
}

TEST_F(WindowTest, TabGoesThroughTheMainWindowInTheOrderOfItsLayout)
{
    QStringList order;
    for (QWidget* control : ControlsInLayoutOrder(&window))
        order << control->objectName();
    const QStringList expected{"LB_paths",  "SB_add_path",    "SB_del_path", "SB_save_path", "SB_kreller",
                               "SB_run",    "SB_findinfound", "SB_view_plugin", "SB_view",   "SB_open",
                               "SB_exit",   "LV_krellers",    "LV_found"};
    // Others may stand between them; these keep their order.
    qsizetype at = -1;
    for (const QString& name : expected) {
        const qsizetype next = order.indexOf(name, at + 1);
        EXPECT_GT(next, at) << name.toStdString() << " in " << order.join(' ').toStdString();
        at = std::max(at, next);
    }
}

TEST(SmallDialogs, ConfirmationAndMessageKeepTheSizeOfTheirContentsAndShowIcons)
{
    TFsure sure;
    TFbreak_scanning breakDialog;
    TFsure_checked sureChecked;
    TDmsg msg;
    for (QDialog* dialog : std::initializer_list<QDialog*>{&sure, &breakDialog, &sureChecked, &msg}) {
        EXPECT_EQ(dialog->layout()->sizeConstraint(), QLayout::SetFixedSize) << dialog->objectName().toStdString();
        EXPECT_FALSE(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            EXPECT_FALSE(button->icon().isNull()) << dialog->objectName().toStdString() << " " << button->text().toStdString();
    }
}

TEST(WindowPlacement, CentredOnItsOwnerAndBesideWithoutCovering)
{
    const QRect screen(0, 0, 1600, 1000);
    struct Centred { QRect owner; QSize size; QPoint at; };
    for (const Centred& c : {Centred{{100, 100, 800, 600}, {200, 100}, {399, 349}},
                             Centred{{1400, 900, 200, 100}, {400, 300}, {1200, 700}},   // kept on screen
                             Centred{{-300, -300, 400, 400}, {200, 200}, {0, 0}}}) {
        EXPECT_EQ(CentredOn(c.owner, c.size, screen), c.at);
    }
    struct Beside { QRect owner; QSize size; QPoint at; };
    for (const Beside& c : {Beside{{100, 100, 800, 600}, {300, 120}, {904, 100}},      // right
                            Beside{{700, 100, 800, 600}, {300, 120}, {396, 100}},      // left
                            Beside{{100, 50, 1400, 600}, {300, 120}, {100, 654}},      // below
                            Beside{{100, 300, 1400, 690}, {300, 120}, {100, 176}},     // above
                            Beside{{0, 0, 1600, 1000}, {300, 120}, {1300, 880}}}) {    // nowhere: the corner
        EXPECT_EQ(BesideOf(c.owner, c.size, screen), c.at) << c.owner.x() << "," << c.owner.y();
    }
}

struct ProgressHost : TProgressHost {
    int stops = 0;
    void IgnoreCurrentFile() override {}
    void StopSearch() override { ++stops; }
    void SearchInWeb() override {}
    std::string ReadLastVisit() override { return {}; }
    void WriteLastVisit(const std::string&) override {}
};

TEST(ProgressWindow, OpensCentredOnItsWindowAtOnceAndEscapeStopsTheSearch)
{
    QWidget owner;
    owner.setGeometry(100, 80, 1000, 700);
    owner.show();
    TFbreak_scanning breakDialog;
    ProgressHost host;
    TD_progress_user progress(host, breakDialog, &owner);
    progress.ReportProgress(1, 10);
    ASSERT_TRUE(progress.isVisible());
    EXPECT_LE((progress.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 2);
    EXPECT_GE(progress.width(), progress.sizeHint().width()) << "centred by its real size";

    Press(&progress, Qt::Key_Escape);
    EXPECT_EQ(host.stops, 1);
    EXPECT_FALSE(progress.ContinueFlag);
    EXPECT_FALSE(progress.isVisible());
}

} // namespace
