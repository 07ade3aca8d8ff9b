#include "platform/EmptyViewHint.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QPainter>

namespace platform {

TEmptyViewHint::TEmptyViewHint(QAbstractItemView* view, const QString& text)
    : QObject(view), view_(view), viewport_(view->viewport()), text_(text)
{
    setObjectName("EmptyViewHint");
    viewport_->installEventFilter(this);
}

QAbstractItemView* TEmptyViewHint::LiveView() const
{
    // While the view is being destroyed its events still come here, but it is no view any more.
    return qobject_cast<QAbstractItemView*>(view_);
}

bool TEmptyViewHint::Showing() const
{
    const QAbstractItemView* view = LiveView();
    const QAbstractItemModel* model = view ? view->model() : nullptr;
    return view && (!model || model->rowCount(view->rootIndex()) == 0);
}

bool TEmptyViewHint::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == viewport_ && type == QEvent::Paint && Showing()) {
        // An empty view has nothing of its own to paint; its background is already drawn.
        Paint();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TEmptyViewHint::Paint()
{
    QPainter painter(viewport_);
    painter.setPen(viewport_->palette().color(QPalette::PlaceholderText));
    painter.drawText(viewport_->rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, text_);
}

} // namespace platform
