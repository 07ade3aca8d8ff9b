#include "core/FoundList.h"

#include <algorithm>
#include <chrono>

#include <QApplication>
#include <QLocale>
#include <QPainter>

#include <QMimeData>
#include <set>

#include "core/found_columns.h"
#include "core/found_transfer.h"
#include "platform/Dates.h"
#include "platform/Icons.h"

TFoundListModel::TFoundListModel(QObject* parent)
    : QAbstractTableModel(parent), collator_(platform::TNameCollator::ForUserLocale())
{
    rows_.SetCollator(collator_.get());
    factsTimer_.setInterval(0);
    connect(&factsTimer_, &QTimer::timeout, this, &TFoundListModel::FillFactsSlice);
}

// A slice short enough for the window to keep answering, whatever a stat costs (a network mount).
void TFoundListModel::FillFactsSlice()
{
    constexpr auto kSlice = std::chrono::milliseconds(8);
    constexpr std::size_t kRowsBetweenClockReads = 8;
    const auto end = std::chrono::steady_clock::now() + kSlice;
    while (rows_.FillFacts(kRowsBetweenClockReads)) {
        if (std::chrono::steady_clock::now() >= end)
            return;
    }
    factsTimer_.stop();
    emit FactsFilled();
}

void TFoundListModel::Append(const FileEntry& entry, const std::string& path)
{
    rows_.Append(entry, path);
}

void TFoundListModel::Flush()
{
    const int count = Count();
    if (count == shown_)
        return;
    beginInsertRows({}, shown_, count - 1);
    shown_ = count;
    endInsertRows();
    emit Changed();
}

void TFoundListModel::Clear()
{
    factsTimer_.stop();
    beginResetModel();
    rows_.Clear();
    shown_ = 0;
    endResetModel();
    emit Changed();
}

void TFoundListModel::SetQuickFilter(const std::string& text)
{
    if (text == rows_.QuickFilter())
        return;
    Flush();
    beginResetModel();
    rows_.SetQuickFilter(text);
    shown_ = rows_.Count();
    endResetModel();
    emit Changed();
}

void TFoundListModel::RemoveShown(std::vector<int> positions)
{
    Flush();
    std::sort(positions.begin(), positions.end(), std::greater<>());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    std::erase_if(positions, [this](int position) { return position < 0 || position >= shown_; });
    // A run of neighbouring rows at a time, from the bottom, so positions above stay valid.
    for (std::size_t start = 0; start < positions.size();) {
        std::size_t end = start + 1;
        while (end < positions.size() && positions[end] == positions[end - 1] - 1)
            ++end;
        const int first = positions[end - 1];
        const int last = positions[start];
        beginRemoveRows({}, first, last);
        std::vector<std::uint32_t> rowIndexes;
        for (int position = first; position <= last; ++position)
            rowIndexes.push_back(rows_.RowIndex(position));
        rows_.Remove(std::move(rowIndexes));
        shown_ = rows_.Count();
        endRemoveRows();
        start = end;
    }
    emit Changed();
}

void TFoundListModel::RenameShown(int position, const std::string& newPath)
{
    if (position < 0 || position >= Count())
        return;
    Flush();
    const std::uint32_t rowIndex = rows_.RowIndex(position);
    TFoundRow renamed = rows_.At(position);
    renamed.Path = newPath;
    renamed.NameOffset = static_cast<std::uint32_t>(newPath.rfind('/') + 1);
    if (!rows_.Passes(renamed)) {
        beginRemoveRows({}, position, position);
        rows_.Rename(rowIndex, newPath);
        rows_.ApplySort();
        shown_ = rows_.Count();
        endRemoveRows();
        emit Changed();
        return;
    }
    rows_.Rename(rowIndex, newPath);
    emit dataChanged(index(position, 0), index(position, ColumnCount - 1));
    if (rows_.Sort().Active)
        ApplyOrder();
}

std::string TFoundListModel::CellBytes(int position, TFoundColumn column) const
{
    const TFoundRow& row = Row(position);
    switch (column) {
    case TFoundColumn::Size: return SizeText(row.Size).toStdString();
    case TFoundColumn::Date: return DateText(row.CreationTime).toStdString();
    default: return FoundCellText(row, column);
    }
}

void TFoundListModel::HoldOrder(bool held)
{
    if (held)
        return;
    ApplyOrder();
    if (rows_.FactsMissing())
        factsTimer_.start();
}

void TFoundListModel::sort(int column, Qt::SortOrder order)
{
    TFoundSort sort;
    sort.Active = column >= 0 && column < ColumnCount;
    if (sort.Active)
        sort.Column = static_cast<TFoundColumn>(column);
    sort.Descending = order == Qt::DescendingOrder;
    rows_.SetSort(sort);
    // During a run too: the rows so far take the order at once, those found later follow them
    // until the run ends and the whole list is sorted.
    ApplyOrder();
}

void TFoundListModel::ApplyOrder()
{
    Flush();
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Selections and the current row follow their rows to their new places.
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> rowsBefore;
    rowsBefore.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before)
        rowsBefore.push_back(rows_.RowIndex(index.row()));
    rows_.ApplySort();
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(rows_.PositionOf(rowsBefore[static_cast<std::size_t>(i)]), before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TFoundListModel::SetNameFilter(TNameFilter filter)
{
    if (filter == rows_.NameFilter())
        return;
    beginResetModel();
    rows_.SetNameFilter(std::move(filter));
    rows_.ApplySort();
    shown_ = rows_.Count();
    endResetModel();
    emit Changed();
}

int TFoundListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shown_;
}

int TFoundListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString TFoundListModel::WidestSizeText() const
{
    std::int64_t largest = 0;
    for (int i = 0; i < Count(); ++i) {
        const TFoundRow& row = rows_.AsListed(i);
        if (row.FactsKnown)
            largest = std::max(largest, row.Size);
    }
    return SizeText(largest);
}

QString TFoundListModel::SizeText(std::int64_t bytes)
{
    // Kilobytes of 1000 bytes, as the size kreller counts them, truncated like its bounds: a file
    // that shows 1 passes "at least 1 KB". Below 1 KB the bytes show exactly (3 bytes: 0.003),
    // below 10 KB one decimal tells 0.9 from 1.0.
    constexpr std::int64_t kBytesPerKilobyte = 1000;
    constexpr std::int64_t kBytesPerTenth = kBytesPerKilobyte / 10;
    if (bytes <= 0)
        return QStringLiteral("0");
    if (bytes >= 10 * kBytesPerKilobyte)
        return QString::number(bytes / kBytesPerKilobyte);
    if (bytes < kBytesPerKilobyte)
        return QLocale().toString(static_cast<double>(bytes) / 1000.0, 'f', 3);
    return QLocale().toString(static_cast<double>(bytes / kBytesPerTenth) / 10.0, 'f', 1);
}

QString TFoundListModel::DateText(std::uint64_t fileTime)
{
    return QString::fromStdString(platform::FormatShortDate(platform::FileTimeToUtcDate(fileTime)));
}

QStringList TFoundListModel::SampleDateTexts()
{
    QStringList texts;
    for (int month = 1; month <= 12; ++month)
        texts << DateText(platform::UtcDateToFileTime({2000, month, 28}));
    return texts;
}

QVariant TFoundListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= shown_)
        return {};
    const TFoundRow& row = Row(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case ColName: return ShownText(row.Name());
        case ColPath: return ShownText(row.Path);
        case ColSize: return SizeText(row.Size);
        case ColDate: return DateText(row.CreationTime);
        default: return QString::fromStdString(FoundCellText(row, static_cast<TFoundColumn>(index.column())));
        }
    }
    if (role == Qt::DecorationRole && index.column() == ColName)
        return platform::FileIconForName(std::string(row.Name()), row.IsDirectory);
    if (role == Qt::TextAlignmentRole && index.column() == ColSize)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && index.column() == ColSize)
        return QString("%1 bytes").arg(row.Size);
    return {};
}

QVariant TFoundListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section >= 0 && section < ColumnCount
               ? QString::fromStdString(FoundColumnCaption(static_cast<TFoundColumn>(section)))
               : QVariant();
}

void TSizeCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget* widget = cell.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget).adjusted(0, 0, -Gap, 0);
    const QString text = cell.text;
    cell.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);  // background, selection, focus

    const bool selected = cell.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = cell.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    painter->save();
    painter->setFont(cell.font);
    painter->setPen(cell.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(textRect, static_cast<int>(cell.displayAlignment),
                      cell.fontMetrics.elidedText(text, Qt::ElideLeft, textRect.width()));
    painter->restore();
}

Qt::ItemFlags TFoundListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid())
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

QStringList TFoundListModel::mimeTypes() const
{
    return {FoundUriListMimeType, "text/plain"};
}

QMimeData* TFoundListModel::mimeData(const QModelIndexList& indexes) const
{
    // One entry per row, in the order shown, however many cells of it the drag holds.
    std::set<int> positions;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && index.row() < shown_)
            positions.insert(index.row());
    }
    std::vector<std::string> paths;
    for (const int position : positions)
        paths.push_back(Row(position).Path);
    auto* mime = new QMimeData;
    const std::string uriList = FileUriList(paths);
    mime->setData(FoundUriListMimeType, QByteArray(uriList.data(), static_cast<qsizetype>(uriList.size())));
    mime->setText(QString::fromUtf8(JoinedLines(paths)));
    return mime;
}

Qt::DropActions TFoundListModel::supportedDragActions() const
{
    return Qt::CopyAction;
}
