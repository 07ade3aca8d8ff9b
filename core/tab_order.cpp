#include "core/tab_order.h"

#include "core/command_row.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QScrollArea>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <tuple>

namespace {

void CollectFromWidget(QWidget* widget, QWidget* window, std::vector<QWidget*>& controls);

// The layout's items in the order they are placed on screen.
std::vector<QLayoutItem*> ItemsInPlacementOrder(QLayout* layout)
{
    struct Placed { int row; int column; int index; };
    std::vector<Placed> placed;
    for (int i = 0; i < layout->count(); ++i) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        } else if (auto* form = qobject_cast<QFormLayout*>(layout)) {
            QFormLayout::ItemRole role = QFormLayout::LabelRole;
            form->getItemPosition(i, &row, &role);
            column = role == QFormLayout::SpanningRole ? 0 : static_cast<int>(role);
        }
        placed.push_back({row, column, i});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return std::tie(a.row, a.column) < std::tie(b.row, b.column);
    });
    if (auto* box = qobject_cast<QBoxLayout*>(layout))
        if (box->direction() == QBoxLayout::RightToLeft || box->direction() == QBoxLayout::BottomToTop)
            std::reverse(placed.begin(), placed.end());
    std::vector<QLayoutItem*> items;
    for (const Placed& p : placed)
        items.push_back(layout->itemAt(p.index));
    return items;
}

void CollectFromLayout(QLayout* layout, QWidget* window, std::vector<QWidget*>& controls)
{
    for (QLayoutItem* item : ItemsInPlacementOrder(layout)) {
        if (QLayout* nested = item->layout())
            CollectFromLayout(nested, window, controls);
        else if (QWidget* widget = item->widget())
            CollectFromWidget(widget, window, controls);
    }
}

void CollectFromWidget(QWidget* widget, QWidget* window, std::vector<QWidget*>& controls)
{
    if (widget->window() != window)
        return;
    auto* tabs = qobject_cast<QTabWidget*>(widget);
    // A tab widget hands its focus to its tab bar, which is taken in its place.
    if (!tabs && (widget->focusPolicy() & Qt::TabFocus)
        && std::find(controls.begin(), controls.end(), widget) == controls.end())
        controls.push_back(widget);
    // Containers whose children are not placed by a layout of theirs.
    if (tabs) {
        CollectFromWidget(tabs->tabBar(), window, controls);
        for (int i = 0; i < tabs->count(); ++i)
            CollectFromWidget(tabs->widget(i), window, controls);
    } else if (auto* splitter = qobject_cast<QSplitter*>(widget)) {
        for (int i = 0; i < splitter->count(); ++i)
            CollectFromWidget(splitter->widget(i), window, controls);
    } else if (auto* row = qobject_cast<TCommandRow*>(widget)) {
        // The row places its buttons itself, without a layout.
        for (QWidget* button : row->ButtonsInRowOrder())
            CollectFromWidget(button, window, controls);
    } else if (auto* scroll = qobject_cast<QScrollArea*>(widget); scroll && scroll->widget()) {
        CollectFromWidget(scroll->widget(), window, controls);
    } else if (widget->layout()) {
        CollectFromLayout(widget->layout(), window, controls);
    }
}

} // namespace

std::vector<QWidget*> ControlsInLayoutOrder(QWidget* window)
{
    std::vector<QWidget*> controls;
    if (QLayout* layout = window->layout())
        CollectFromLayout(layout, window, controls);
    return controls;
}

void SetTabOrderFromLayout(QWidget* window)
{
    const std::vector<QWidget*> controls = ControlsInLayoutOrder(window);
    for (std::size_t i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

bool TLayoutTabOrder::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow())
            SetTabOrderFromLayout(widget);
    }
    return QObject::eventFilter(watched, event);
}
