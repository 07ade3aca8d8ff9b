#include "platform/FocusFrame.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPainter>

namespace platform {

TFocusFrame::TFocusFrame(QAbstractScrollArea* area) : QWidget(area), area_(area)
{
    setObjectName(FocusFrameName);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(area->rect());
    area->installEventFilter(this);
    setVisible(area->hasFocus());
}

bool TFocusFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != area_)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Resize:
        setGeometry(area_->rect());
        break;
    case QEvent::FocusIn:
        // Raised each time: the list's own parts are laid out after the frame was made.
        setGeometry(area_->rect());
        raise();
        show();
        break;
    case QEvent::FocusOut:
        hide();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TFocusFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QPen pen(palette().color(QPalette::Active, QPalette::Highlight));
    pen.setWidth(2);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

void ShowFocusFrame(QAbstractScrollArea* area)
{
    if (!area->findChild<QWidget*>(FocusFrameName, Qt::FindDirectChildrenOnly))
        new TFocusFrame(area);
}

} // namespace platform
