// The keyboard and window conventions of the desktop: mnemonics, shortcuts, help keys, tab order,
// small dialogs and where windows open.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QTabBar>
#include <QTreeWidget>
#include <QRegularExpression>
#include <QDialog>
#include <QTimer>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <map>
#include <memory>

#include "RunEvents.h"
#include "TempTree.h"
#include "conditions/LCEdit.h"
#include "core/about.h"
#include "core/desktop_keys.h"
#include "core/find_dialog.h"
#include "core/text_view.h"
#include "core/why_dialog.h"
#include "krellers/kreller_context.h"
#include "krellers/kreller_date.h"
#include "krellers/kreller_dirs.h"
#include "platform/Icons.h"
#include "krellers/kreller_mask.h"
#include "krellers/kreller_size.h"
#include "platform/EmptyViewHint.h"
#include "platform/FocusFrame.h"
#include "settings_ui/crtr_lists.h"
#include "settings_ui/file_groups.h"
#include "settings_ui/settings_user.h"
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
    EXPECT_TRUE(tip("SB_del_path").contains("(Del)"));
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

TEST_F(WindowTest, TheRoundResultIndicatorShowsWhenItHasTheFocus)
{
    window.show();
    window.activateWindow();
    QCoreApplication::processEvents();
    auto* indicator = window.findChild<QToolButton*>("SB_found_stat");
    const auto look = [indicator](QWidget* focus) {
        focus->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        return indicator->grab().toImage();
    };
    const QImage unfocused = look(window.findChild<QWidget*>("LV_found"));
    const QImage focused = look(indicator);
    ASSERT_TRUE(indicator->hasFocus());
    EXPECT_NE(focused, unfocused);
}

// An icon theme whose start and stop icons are drawn in greys, as some themes draw them.
void InstallGreyIconTheme(TempTree& tree)
{
    tree.File("icons/grey/index.theme",
              "[Icon Theme]\nName=grey\nDirectories=32x32/actions\n\n[32x32/actions]\nSize=32\nType=Fixed\n");
    QImage grey(32, 32, QImage::Format_ARGB32);
    grey.fill(QColor(150, 150, 150));
    tree.Dir("icons/grey/32x32/actions");
    for (const char* name : {"media-playback-start", "media-playback-stop"})
        grey.save(QString::fromStdString(tree.Path("icons/grey/32x32/actions/")) + name + ".png");
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QString::fromStdString(tree.Path("icons")));
    QIcon::setThemeName("grey");
}

TEST_F(WindowTest, TheRunButtonKeepsItsIconInColourAfterARun)
{
    const QString savedTheme = QIcon::themeName();
    InstallGreyIconTheme(work);
    ASSERT_TRUE(platform::LooksColourless(QIcon::fromTheme("media-playback-start").pixmap(32, 32).toImage()));
    TFmain fresh;  // lays its commands out with the grey theme in place
    fresh.FormActivate();
    fresh.SetStartPaths({work.Root()}, 0);
    auto* run = fresh.findChild<QToolButton*>("SB_run");
    const auto colourless = [run] { return platform::LooksColourless(run->icon().pixmap(32, 32).toImage()); };
    EXPECT_FALSE(colourless());
    fresh.SB_runClick();
    EXPECT_EQ(run->text(), "Run (F9)");
    EXPECT_FALSE(colourless());
    QIcon::setThemeName(savedTheme);
}

TEST_F(WindowTest, AnEndAskedFromOutsideDismissesTheOpenDialogsThenClosesTheWindow)
{
    window.show();
    QDialog outer(&window);
    QDialog inner(&outer);
    int outerAnswer = -1;
    int innerAnswer = -1;
    QTimer::singleShot(0, &outer, [&] {
        QTimer::singleShot(0, &inner, [&] { CloseMainWindowFromOutside(&window); });
        innerAnswer = inner.exec();
    });
    outerAnswer = outer.exec();
    EXPECT_EQ(innerAnswer, QDialog::Rejected);
    EXPECT_EQ(outerAnswer, QDialog::Rejected);
    EXPECT_TRUE(RunEventsUntil([this] { return !window.isVisible(); }));
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

// Every dialog of the program, built as the program builds it, and whether the user may resize it.
struct ProgramDialog {
    std::unique_ptr<QDialog> dialog;
    bool resizable = false;
};

std::vector<ProgramDialog> EveryDialog(const TempTree& work)
{
    std::vector<ProgramDialog> dialogs;
    const auto add = [&dialogs](QDialog* dialog, bool resizable = false) {
        dialogs.push_back({std::unique_ptr<QDialog>(dialog), resizable});
    };
    add(new TFsure);
    add(new TFsure_checked);
    add(new TFbreak_scanning);
    add(new TDmsg);
    add(new TF_about);
    add(new TD_find);
    add(new TD_why_not_found);
    add(new TFLCEdit);
    add(new TFabout_crtr);
    add(new TFabout_ckrellers);
    add(new TD_kreller_dirs);
    add(new TD_kreller_mask);
    add(new TD_kreller_size);
    add(new TD_kreller_date);
    add(new TD_kreller_context);
    add(new TD_file_group_exts([](const std::string&) { return true; }), true);
    add(new TF_text_view([](const std::string&) {}), true);
    add(new TD_settings_user(TSettingsPlace{work.Path("bin/FileKreller"), "", nullptr}, {}), true);
    return dialogs;
}

// What the title bar offers, whatever else the flags say.
Qt::WindowFlags TitleButtons(const QWidget* window)
{
    return window->windowFlags() & (Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                    Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint |
                                    Qt::WindowContextHelpButtonHint);
}

TEST(EveryDialog, OffersCloseOnItsTitleAndMaximiseOnlyWhenItCanBeResized)
{
    TempTree work;
    work.Dir("bin");
    // Qt adds the window menu to a title with buttons.
    const Qt::WindowFlags closeOnly =
        Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    for (const ProgramDialog& d : EveryDialog(work)) {
        const std::string name = d.dialog->objectName().toStdString();
        EXPECT_EQ(d.dialog->windowType(), Qt::Dialog) << name;
        EXPECT_EQ(TitleButtons(d.dialog.get()), d.resizable ? closeOnly | Qt::WindowMaximizeButtonHint : closeOnly) << name;
        const QLayout* layout = d.dialog->layout();
        const bool keepsItsSize = (layout && layout->sizeConstraint() == QLayout::SetFixedSize) ||
                                  d.dialog->minimumSize() == d.dialog->maximumSize();
        EXPECT_NE(keepsItsSize, d.resizable) << name;
    }
}

TEST(EveryDialog, ProgressWindowStaysOnTopWithOnlyClose)
{
    TD_progress progress;
    EXPECT_TRUE(progress.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(progress.windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint));
}

// The marked character of a caption, lower-cased; null when it marks none.
QChar Marked(const QString& caption)
{
    const QRegularExpressionMatch match = QRegularExpression("&([^&])").match(QString(caption).replace("&&", ""));
    return match.hasMatch() ? match.captured(1).at(0).toLower() : QChar();
}

// The captions Alt reaches in a dialog, by the tab page they are on (null: on none): its buttons,
// check boxes, group boxes, tabs and field labels.
std::map<QWidget*, QStringList> Captions(QDialog* dialog)
{
    std::map<QWidget*, QStringList> captions;
    for (QWidget* control : dialog->findChildren<QWidget*>()) {
        if (control->window() != dialog)
            continue;
        QStringList& on = captions[TabPageOf(control, dialog)];
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            on << button->text();
        else if (auto* group = qobject_cast<QGroupBox*>(control))
            on << group->title();
        else if (auto* label = qobject_cast<QLabel*>(control); label && label->buddy())
            on << label->text();
        else if (auto* tabs = qobject_cast<QTabBar*>(control))
            for (int i = 0; i < tabs->count(); ++i)
                on << tabs->tabText(i);
    }
    return captions;
}

TEST(EveryDialog, EachCaptionedControlGetsAnAltLetterNoControlShownWithItHas)
{
    TempTree work;
    work.Dir("bin");
    for (const ProgramDialog& d : EveryDialog(work)) {
        const std::string name = d.dialog->objectName().toStdString() + " " + d.dialog->windowTitle().toStdString();
        const std::map<QWidget*, QStringList> before = Captions(d.dialog.get());
        AssignDialogMnemonics(d.dialog.get());
        const std::map<QWidget*, QStringList> after = Captions(d.dialog.get());
        ASSERT_EQ(after.size(), before.size()) << name;
        for (const auto& [page, captions] : after) {
            // What is shown together: the controls outside the pages and those of one page.
            const QStringList shown = page ? after.at(nullptr) + captions : captions;
            QSet<QChar> letters;
            QStringList unmarked;
            for (const QString& caption : shown) {
                const QChar letter = Marked(caption);
                if (letter.isNull() && caption.contains(QRegularExpression("\\w")))
                    unmarked << caption;
                EXPECT_TRUE(letter.isNull() || !letters.contains(letter)) << name << ": " << caption.toStdString();
                letters.insert(letter);
            }
            EXPECT_TRUE(unmarked.isEmpty()) << name << ": " << unmarked.join(" | ").toStdString();
            for (qsizetype i = 0; i < captions.size(); ++i)
                EXPECT_EQ(Shown(captions[i]), Shown(before.at(page)[i])) << name << ": the caption shows as before";
        }
    }
}

TEST(EveryDialog, TheShownDialogGetsItsLettersAndANestedDialogKeepsItsOwn)
{
    TDesktopKeys keys({});
    qApp->installEventFilter(&keys);
    TF_text_view view([](const std::string&) {});
    view.show();
    EXPECT_EQ(view.findChild<QPushButton*>("btn_find")->text(), "&Find");
    EXPECT_EQ(view.findChild<QPushButton*>("btn_close")->text(), "&Close");
    // The find box belongs to the text view but is a window of its own, lettered when it is shown.
    auto* find = view.findChild<TD_find*>();
    ASSERT_NE(find, nullptr);
    for (QAbstractButton* button : find->findChildren<QAbstractButton*>())
        EXPECT_FALSE(HasMnemonic(button->text())) << button->text().toStdString();
    view.hide();
    qApp->removeEventFilter(&keys);
}

// A window with a list and a field, shown and active, so the focus can move between them.
struct ListAndField {
    QWidget window;
    QTreeWidget* list = new QTreeWidget(&window);
    QLineEdit* field = new QLineEdit(&window);

    ListAndField()
    {
        list->setGeometry(0, 0, 300, 120);
        field->setGeometry(0, 130, 300, 24);
        window.show();
        window.activateWindow();
        QCoreApplication::processEvents();
    }
    // The list as it looks with the focus on focus.
    QImage LookWithFocusOn(QWidget* focus)
    {
        focus->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        return list->grab().toImage();
    }
};

TEST(EmptyViews, AnEmptyListSaysSoAndAListWithRowsShowsThem)
{
    ListAndField shown;
    const QImage blank = shown.list->grab().toImage();
    auto* hint = new platform::TEmptyViewHint(shown.list, "Nothing here");
    EXPECT_TRUE(hint->Showing());
    EXPECT_NE(shown.list->grab().toImage(), blank);
    shown.list->addTopLevelItem(new QTreeWidgetItem(QStringList{"row"}));
    EXPECT_FALSE(hint->Showing());
}

TEST(FocusFrame, AListShowsItHasTheFocusWhenEmptyAndWhenItsRowIsSelected)
{
    for (const bool withSelectedRow : {false, true}) {
        ListAndField shown;
        if (withSelectedRow) {
            shown.list->addTopLevelItem(new QTreeWidgetItem(QStringList{"/tmp/"}));
            shown.list->setCurrentItem(shown.list->topLevelItem(0));
        }
        platform::ShowFocusFrame(shown.list);
        platform::ShowFocusFrame(shown.list);  // one frame, however often asked
        EXPECT_EQ(shown.list->findChildren<QWidget*>(platform::FocusFrameName).size(), 1);
        const QImage unfocused = shown.LookWithFocusOn(shown.field);
        const QImage focused = shown.LookWithFocusOn(shown.list);
        ASSERT_TRUE(shown.list->hasFocus());
        EXPECT_NE(focused, unfocused) << withSelectedRow;
        EXPECT_EQ(shown.LookWithFocusOn(shown.field), unfocused) << "gone with the focus";
    }
}

TEST(LinkLabels, ATabStopOnALinkMarksTheLinkAtOnceEitherWay)
{
    TDesktopKeys keys({});
    qApp->installEventFilter(&keys);
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* before = new QPushButton("Before", &dialog);
    auto* link = new QLabel("<a href=\"#\">Click here</a>", &dialog);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    auto* after = new QPushButton("After", &dialog);
    for (QWidget* control : std::initializer_list<QWidget*>{before, link, after})
        layout->addWidget(control);
    dialog.show();
    dialog.activateWindow();
    QCoreApplication::processEvents();
    before->setFocus();
    const auto tab = [](QWidget* from, int key) {
        Press(from, key);
        QCoreApplication::processEvents();
    };
    tab(before, Qt::Key_Tab);
    EXPECT_TRUE(link->hasFocus());

    EXPECT_EQ(link->selectedText(), "Click here");
    tab(link, Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus()) << "one stop per link";
    tab(after, Qt::Key_Backtab);
    EXPECT_TRUE(link->hasFocus());
    EXPECT_EQ(link->selectedText(), "Click here");
    qApp->removeEventFilter(&keys);
}

TEST(SettingsDialog, ShowsEveryTabWhole)
{
    TempTree work;
    work.Dir("bin");
    TD_settings_user settings(TSettingsPlace{work.Path("bin/FileKreller"), "", nullptr}, {});
    settings.show();
    QCoreApplication::processEvents();
    auto* tabs = settings.findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_GE(tabs->width(), tabs->sizeHint().width());
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
