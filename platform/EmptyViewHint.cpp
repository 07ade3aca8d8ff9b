#include "platform/EmptyViewHint.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace platform {

TEmptyViewHint::TEmptyViewHint(QAbstractItemView* view, const QString& text)
    : QObject(view), view_(view), viewport_(view->viewport()), text_(text)
{
    setObjectName("EmptyViewHint");
    view->installEventFilter(this);
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
    if (watched == view_ && (type == QEvent::FocusIn || type == QEvent::FocusOut) && Showing())
        viewport_->update();
    if (watched == viewport_ && type == QEvent::Paint && Showing()) {
        // An empty view has nothing of its own to paint; its background is already drawn.
        Paint();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TEmptyViewHint::Paint()
{
    QAbstractItemView* view = LiveView();
    QWidget* viewport = viewport_;
    QPainter painter(viewport);
    const QRect area = viewport->rect().adjusted(4, 4, -4, -4);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    const QRect textArea = painter.boundingRect(area, flags, text_).intersected(area);
    painter.setPen(viewport->palette().color(QPalette::PlaceholderText));
    painter.drawText(area, flags, text_);
    if (!view->hasFocus())
        return;
    QStyleOptionFocusRect focus;
    focus.initFrom(viewport);
    focus.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    focus.rect = textArea.adjusted(-3, -2, 3, 2);
    focus.backgroundColor = viewport->palette().color(QPalette::Base);
    view->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, view);
}

} // namespace platform
