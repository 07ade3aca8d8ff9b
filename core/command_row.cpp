#include "core/command_row.h"

#include <QMenu>
#include <QToolButton>
#include <algorithm>

namespace {

constexpr int kSpacing = 4;

int WidthOf(const QToolButton* button)
{
    return button->sizeHint().width();
}

} // namespace

TCommandRow::TCommandRow(QWidget* parent) : QWidget(parent)
{
    setObjectName("Row_commands");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    SB_more_ = new QToolButton(this);
    SB_more_->setObjectName("SB_more");
    SB_more_->setText(QString::fromUtf8("\u00bb"));
    SB_more_->setToolTip("More commands");
    SB_more_->setPopupMode(QToolButton::InstantPopup);
    SB_more_->setStyleSheet("QToolButton::menu-indicator { image: none; }");  // "»" says it already
    overflowMenu_ = new QMenu(SB_more_);
    overflowMenu_->setObjectName("PopupMenu_more");
    SB_more_->setMenu(overflowMenu_);
    SB_more_->hide();
    connect(overflowMenu_, &QMenu::aboutToShow, this, &TCommandRow::FillOverflowMenu);
}

void TCommandRow::AddButton(QToolButton* button)
{
    button->setParent(this);
    buttons_.push_back(button);
    SB_more_->raise();
    updateGeometry();
}

void TCommandRow::PinRight(QToolButton* button)
{
    button->setParent(this);
    pinned_ = button;
    updateGeometry();
}

std::vector<QWidget*> TCommandRow::ButtonsInRowOrder() const
{
    std::vector<QWidget*> order(buttons_.begin(), buttons_.end());
    order.push_back(SB_more_);
    if (pinned_)
        order.push_back(pinned_);
    return order;
}

int TCommandRow::RowHeight() const
{
    int height = SB_more_->sizeHint().height();
    for (const QToolButton* button : buttons_)
        height = std::max(height, button->sizeHint().height());
    return pinned_ ? std::max(height, pinned_->sizeHint().height()) : height;
}

QSize TCommandRow::sizeHint() const
{
    int width = pinned_ ? WidthOf(pinned_) + kSpacing : 0;
    for (const QToolButton* button : buttons_)
        width += WidthOf(button) + kSpacing;
    return {width, RowHeight()};
}

QSize TCommandRow::minimumSizeHint() const
{
    return {(pinned_ ? WidthOf(pinned_) + kSpacing : 0) + WidthOf(SB_more_), RowHeight()};
}

void TCommandRow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Arrange();
}

void TCommandRow::Arrange()
{
    const int height = RowHeight();
    int right = width();
    if (pinned_) {
        right -= WidthOf(pinned_);
        pinned_->setGeometry(right, 0, WidthOf(pinned_), height);
        right -= kSpacing;
    }
    int needed = 0;
    for (const QToolButton* button : buttons_)
        needed += WidthOf(button) + kSpacing;
    const bool overflows = needed > right + kSpacing;
    if (overflows)
        right -= WidthOf(SB_more_) + kSpacing;

    int x = 0;
    bool fits = true;
    for (QToolButton* button : buttons_) {
        fits = fits && x + WidthOf(button) <= right;
        button->setVisible(fits);
        if (fits) {
            button->setGeometry(x, 0, WidthOf(button), height);
            x += WidthOf(button) + kSpacing;
        }
    }
    SB_more_->setVisible(overflows);
    if (overflows)
        SB_more_->setGeometry(right + kSpacing, 0, WidthOf(SB_more_), height);
}

std::vector<QToolButton*> TCommandRow::OverflowedButtons() const
{
    std::vector<QToolButton*> hidden;
    for (QToolButton* button : buttons_)
        if (button->isHidden())
            hidden.push_back(button);
    return hidden;
}

void TCommandRow::FillOverflowMenu()
{
    // Built when opened, so each entry shows its command's current text, icon and state.
    overflowMenu_->clear();
    for (QToolButton* button : OverflowedButtons()) {
        QAction* entry = overflowMenu_->addAction(button->icon(), button->text());
        entry->setObjectName("M_" + button->objectName());
        entry->setEnabled(button->isEnabled());
        connect(entry, &QAction::triggered, button, &QToolButton::click);
    }
}
