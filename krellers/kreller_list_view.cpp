#include "krellers/kreller_list_view.h"

#include "krellers/kreller.h"
#include "platform/DialogManners.h"
#include "platform/EmptyViewHint.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>
#include <QPixmap>
#include <optional>

namespace {

constexpr int kImageRole = Qt::UserRole;

// A funnel: bright when the kreller takes part in the search, grey when not; a custom kreller's funnel
// carries a plug so plug-ins stand out from the built-in krellers.
QIcon DrawKrellerIcon(bool checked, bool custom)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor fill = checked ? (custom ? QColor(0xE0, 0x8A, 0x00) : QColor(0x1E, 0x90, 0x3C)) : QColor(0xB0, 0xB0, 0xB0);
    QPainterPath funnel;
    funnel.moveTo(1, 2);
    funnel.lineTo(15, 2);
    funnel.lineTo(9.5, 8);
    funnel.lineTo(9.5, 14);
    funnel.lineTo(6.5, 12.5);
    funnel.lineTo(6.5, 8);
    funnel.closeSubpath();
    painter.setPen(QPen(fill.darker(160), 1));
    painter.setBrush(fill);
    painter.drawPath(funnel);
    if (custom) {
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(11, 10, 4, 4));
    }
    return QIcon(pixmap);
}

} // namespace

TKrellerListView::TKrellerListView(TKrellerList& list, QWidget* parent)
    : QTreeWidget(parent), list_(list),
      images_{DrawKrellerIcon(true, false), DrawKrellerIcon(false, false), DrawKrellerIcon(true, true),
              DrawKrellerIcon(false, true)}
{
    setObjectName("LV_krellers");
    setColumnCount(2);
    setHeaderHidden(true);
    header()->setStretchLastSection(false);
    setColumnWidth(0, 300);
    // A condition's description is shown whole, with a scroll bar when it is wider than the list.
    header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    setRootIsDecorated(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The selected row stays marked while the focus is elsewhere, e.g. on the "Edit kreller" button.
    QPalette keepSelection = palette();
    keepSelection.setColor(QPalette::Inactive, QPalette::Highlight, keepSelection.color(QPalette::Active, QPalette::Highlight));
    keepSelection.setColor(QPalette::Inactive, QPalette::HighlightedText,
                           keepSelection.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(keepSelection);
    new platform::TEmptyViewHint(this, "No krellers in use: switch them on in File > Settings, page \"Krellers\"");

    editKreller_ = new QAction("Edit kreller", this);
    editKreller_->setObjectName("a_edit_kreller");
    connect(editKreller_, &QAction::triggered, this, &TKrellerListView::a_edit_kreller);
    BuildPopupMenu();

    connect(this, &QTreeWidget::itemChanged, this, &TKrellerListView::LV_krellersChange);
    // Removing rows moves the selection; that is the view rebuilding itself, not a click, and a
    // refresh inside the rebuild would delete the rows it is still taking away.
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!showing_)
            LV_krellersClick();
    });
    connect(this, &QTreeWidget::itemDoubleClicked, this, &TKrellerListView::a_edit_kreller);
    UpdateOwnCommands();
}

QAction* TKrellerListView::AddPopupAction(QMenu* menu, const QString& text, const QString& objectName)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(objectName);
    return action;
}

void TKrellerListView::BuildPopupMenu()
{
    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName("PopupMenu_krellers");
    editCurrentKreller_ = AddPopupAction(popupMenu_, "Edit current kreller", "N_edit_current_kreller");
    run_ = AddPopupAction(popupMenu_, "Run", "N_run");
    QMenu* plugins = popupMenu_->addMenu("Plugins");
    plugins->setObjectName("N_plugins");
    QAction* cartridges = AddPopupAction(plugins, "Context cartridges", "N_context_cartridges");
    QAction* customKrellers = AddPopupAction(plugins, "Custom krellers", "N_custom_krellers");

    connect(editCurrentKreller_, &QAction::triggered, this, &TKrellerListView::a_edit_kreller);
    connect(run_, &QAction::triggered, this, &TKrellerListView::RunRequested);
    connect(cartridges, &QAction::triggered, this, &TKrellerListView::ContextCartridgesRequested);
    connect(customKrellers, &QAction::triggered, this, &TKrellerListView::CustomKrellersRequested);

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &TKrellerListView::ShowPopupMenu);
}

void TKrellerListView::ShowPopupMenu(const QPoint& position)
{
    popupMenu_->popup(viewport()->mapToGlobal(position));
}

TKrellerRow& TKrellerListView::AppendNativeRow(const std::string& caption, TChainKreller* kreller)
{
    TKrellerRow& row = list_.AppendNativeRow(caption, kreller);
    Refresh();
    return row;
}

TKrellerRow& TKrellerListView::AppendCustomRow(TNoxCrtr_ckreller* wrapper)
{
    TKrellerRow& row = list_.AppendCustomRow(wrapper);
    Refresh();
    return row;
}

void TKrellerListView::ClearKrellerList()
{
    list_.Clear();
    Refresh();
}

void TKrellerListView::ShowRow(QTreeWidgetItem* item, const TKrellerRow& row)
{
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setText(0, QString::fromStdString(row.Caption));
    item->setText(1, row.Strings.empty() ? QString() : QString::fromStdString(row.Strings.front()));
    item->setCheckState(0, row.Checked ? Qt::Checked : Qt::Unchecked);
    item->setIcon(0, images_.at(static_cast<std::size_t>(row.ImageIndex)));
    item->setData(0, kImageRole, row.ImageIndex);
}

void TKrellerListView::Refresh()
{
    const bool wasShowing = showing_;
    showing_ = true;
    const int rowCount = static_cast<int>(list_.Count());
    {
        // Taking away a selected item changes the selection, whose handler would refresh again in
        // the middle of this loop; the commands are updated below anyway.
        const QSignalBlocker quiet(this);
        while (topLevelItemCount() > rowCount)
            delete takeTopLevelItem(topLevelItemCount() - 1);
    }
    while (topLevelItemCount() < rowCount)
        addTopLevelItem(new QTreeWidgetItem);
    for (int i = 0; i < rowCount; ++i)
        ShowRow(topLevelItem(i), list_.Row(static_cast<std::size_t>(i)));
    showing_ = wasShowing;
    UpdateOwnCommands();
}

int TKrellerListView::SelectedIndex() const
{
    const auto selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.front());
}

TKrellerRow* TKrellerListView::SelectedRow()
{
    const int index = SelectedIndex();
    return index < 0 ? nullptr : &list_.Row(static_cast<std::size_t>(index));
}

void TKrellerListView::LV_krellersChange(QTreeWidgetItem* item, int column)
{
    if (showing_ || column != 0)
        return;
    const int index = indexOfTopLevelItem(item);
    if (index < 0 || static_cast<std::size_t>(index) >= list_.Count())
        return;
    list_.Row(static_cast<std::size_t>(index)).Checked = item->checkState(0) == Qt::Checked;
    LV_krellersClick();
}

void TKrellerListView::LV_krellersClick()
{
    list_.ApplyCheckRules();
    Refresh();
    emit KrellersChanged();
}

void TKrellerListView::a_edit_kreller()
{
    const int index = SelectedIndex();
    if (searching_ || index < 0)
        return;
    // Reached straight from a button, a menu entry or a double click, outside the window's command
    // guard: a kreller that fails to load or store its condition must not throw into the event loop.
    std::optional<std::string> failure;
    try {
        list_.EditRow(static_cast<std::size_t>(index));
    } catch (const std::exception& error) {
        failure = error.what();
        list_.ApplyCheckRules();
    }
    Refresh();
    emit KrellersChanged();
    if (failure)
        platform::ShowErrorBox(this, QApplication::applicationName(), QString::fromUtf8(*failure));
}

void TKrellerListView::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        a_edit_kreller();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TKrellerListView::SetSearching(bool searching)
{
    searching_ = searching;
    EnableWithWindowColour(this, !searching);
    UpdateOwnCommands();
}

void TKrellerListView::UpdateOwnCommands()
{
    const bool canEdit = !searching_ && SelectedIndex() >= 0;
    editKreller_->setEnabled(canEdit);
    editCurrentKreller_->setEnabled(canEdit);
    run_->setEnabled(!searching_);
}
