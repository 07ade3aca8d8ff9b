#include "core/desktop_keys.h"

#include "core/menu_mnemonics.h"
#include "platform/DialogManners.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

void AssignMenuMnemonics(QWidget* menuOrBar)
{
    std::vector<QAction*> entries;
    std::vector<QString> texts;
    for (QAction* action : menuOrBar->actions()) {
        if (action->isSeparator())
            continue;
        entries.push_back(action);
        texts.push_back(action->text());
        if (QMenu* submenu = action->menu())
            AssignMenuMnemonics(submenu);
    }
    const std::vector<QString> marked = WithMnemonics(texts);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (marked[i] != texts[i])
            entries[i]->setText(marked[i]);
    }
}

TDesktopKeys::TDesktopKeys(std::function<void(const std::string&)> showHelp, QObject* parent)
    : QObject(parent), showHelp_(std::move(showHelp))
{
}

bool TDesktopKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && (qobject_cast<QMenu*>(watched) || qobject_cast<QMenuBar*>(watched)))
        AssignMenuMnemonics(static_cast<QWidget*>(watched));
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::HelpContents) && showHelp_) {
        // Key events travel up from the focus widget; the first to see it answers for the window.
        showHelp_(platform::HelpTopicOf(static_cast<QWidget*>(watched)));
        return true;
    }
    return QObject::eventFilter(watched, event);
}
