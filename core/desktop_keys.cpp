#include "core/desktop_keys.h"

#include "core/menu_mnemonics.h"
#include "platform/DialogManners.h"
#include "platform/FocusFrame.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QToolButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <algorithm>
#include <functional>

namespace {

// A caption that Alt can reach, read and written through the control that shows it.
struct TCaption {
    std::function<QString()> get;
    std::function<void(const QString&)> set;
};

// Marks a letter in each caption that neither the others nor taken (captions already marked, shown
// at the same time) use.
void MarkCaptions(const std::vector<TCaption>& captions, const std::vector<QString>& taken = {})
{
    std::vector<QString> texts = taken;
    for (const TCaption& caption : captions)
        texts.push_back(caption.get());
    const std::vector<QString> marked = WithMnemonics(texts);
    for (std::size_t i = 0; i < captions.size(); ++i) {
        const std::size_t at = taken.size() + i;
        if (marked[at] != texts[at])
            captions[i].set(marked[at]);
    }
}

bool ShowsText(const QAbstractButton* button)
{
    const auto* tool = qobject_cast<const QToolButton*>(button);
    return !tool || tool->toolButtonStyle() != Qt::ToolButtonIconOnly || tool->icon().isNull();
}

void AddCaption(std::vector<TCaption>& captions, QWidget* control)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control); button && ShowsText(button)) {
        captions.push_back({[button] { return button->text(); }, [button](const QString& t) { button->setText(t); }});
    } else if (auto* label = qobject_cast<QLabel*>(control); label && label->buddy() && label->textFormat() != Qt::RichText) {
        captions.push_back({[label] { return label->text(); }, [label](const QString& t) { label->setText(t); }});
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        captions.push_back({[group] { return group->title(); }, [group](const QString& t) { group->setTitle(t); }});
    } else if (auto* tabs = qobject_cast<QTabBar*>(control)) {
        for (int i = 0; i < tabs->count(); ++i)
            captions.push_back({[tabs, i] { return tabs->tabText(i); }, [tabs, i](const QString& t) { tabs->setTabText(i, t); }});
    }
}

// The captions of one part of a dialog, its push buttons first: the commands get the first pick.
struct TDialogPart {
    std::vector<TCaption> captions;
    std::size_t buttons = 0;

    void Add(QWidget* control)
    {
        if (qobject_cast<QPushButton*>(control)) {
            std::vector<TCaption> one;
            AddCaption(one, control);
            captions.insert(captions.begin() + static_cast<std::ptrdiff_t>(buttons++), one.begin(), one.end());
        } else {
            AddCaption(captions, control);
        }
    }
    std::vector<QString> Texts() const
    {
        std::vector<QString> texts;
        for (const TCaption& caption : captions)
            texts.push_back(caption.get());
        return texts;
    }
};

} // namespace

QWidget* TabPageOf(QWidget* control, QWidget* window)
{
    for (QWidget* at = control; at && at != window; at = at->parentWidget()) {
        QWidget* stack = at->parentWidget();
        if (qobject_cast<QStackedWidget*>(stack) && qobject_cast<QTabWidget*>(stack->parentWidget()))
            return at;
    }
    return nullptr;
}

void AssignMenuMnemonics(QWidget* menuOrBar)
{
    std::vector<TCaption> entries;
    for (QAction* action : menuOrBar->actions()) {
        if (action->isSeparator())
            continue;
        entries.push_back({[action] { return action->text(); }, [action](const QString& t) { action->setText(t); }});
        if (QMenu* submenu = action->menu())
            AssignMenuMnemonics(submenu);
    }
    MarkCaptions(entries);
}

void AssignDialogMnemonics(QWidget* dialog)
{
    // Only the controls shown together must differ: those outside the tab pages and one page.
    TDialogPart always;
    std::vector<std::pair<QWidget*, TDialogPart>> pages;
    for (QWidget* control : dialog->findChildren<QWidget*>()) {
        if (control->window() != dialog)
            continue;
        QWidget* page = TabPageOf(control, dialog);
        if (!page) {
            always.Add(control);
            continue;
        }
        auto at = std::find_if(pages.begin(), pages.end(), [page](const auto& p) { return p.first == page; });
        if (at == pages.end())
            at = pages.insert(pages.end(), {page, TDialogPart{}});
        at->second.Add(control);
    }
    MarkCaptions(always.captions);
    const std::vector<QString> taken = always.Texts();
    for (const auto& [page, part] : pages)
        MarkCaptions(part.captions, taken);
}

void MarkLinkReachedByTab(QObject* control, Qt::FocusReason reason)
{
    auto* label = qobject_cast<QLabel*>(control);
    if (!label || !(label->textInteractionFlags() & Qt::LinksAccessibleByKeyboard) ||
        (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason))
        return;
    // Qt hands a link label the focus without marking a link, so one Tab stop would show nothing;
    // the same key once more inside the label marks its first (or, going back, its last) link.
    const int key = reason == Qt::TabFocusReason ? Qt::Key_Tab : Qt::Key_Backtab;
    QCoreApplication::postEvent(label, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
}

TDesktopKeys::TDesktopKeys(std::function<void(const std::string&)> showHelp, QObject* parent)
    : QObject(parent), showHelp_(std::move(showHelp))
{
}

bool TDesktopKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && (qobject_cast<QMenu*>(watched) || qobject_cast<QMenuBar*>(watched)))
        AssignMenuMnemonics(static_cast<QWidget*>(watched));
    if (event->type() == QEvent::Show && qobject_cast<QDialog*>(watched))
        AssignDialogMnemonics(static_cast<QWidget*>(watched));
    // A list shows that it has the focus even when it is empty or its row is selected; the lists
    // of popups (a combo box's, a completer's) have the keyboard only while they are open.
    if (auto* view = qobject_cast<QAbstractItemView*>(watched);
        view && event->type() == QEvent::Show && view->window()->windowType() != Qt::Popup)
        platform::ShowFocusFrame(view);
    if (event->type() == QEvent::FocusIn)
        MarkLinkReachedByTab(watched, static_cast<QFocusEvent*>(event)->reason());
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::HelpContents) && showHelp_) {
        // Key events travel up from the focus widget; the first to see it answers for the window.
        showHelp_(platform::HelpTopicOf(static_cast<QWidget*>(watched)));
        return true;
    }
    return QObject::eventFilter(watched, event);
}
