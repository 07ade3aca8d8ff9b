#include "core/FoundList.h"

#include <QApplication>
#include <QLocale>
#include <QPainter>

#include "platform/Dates.h"
#include "platform/Icons.h"

void TFoundListModel::Append(const FileEntry& entry, const std::string& path)
{
    TFoundRow row;
    row.Path = path;
    const auto slash = path.rfind('/');
    row.NameOffset = slash == std::string::npos ? 0 : static_cast<std::uint32_t>(slash + 1);
    row.Size = entry.Size;
    row.CreationTime = entry.CreationTime;
    row.IsDirectory = entry.IsDirectory();
    rows_.push_back(std::move(row));
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
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    shown_ = 0;
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

QString TFoundListModel::SizeText(std::int64_t bytes)
{
    // Kilobytes of 1000 bytes, as the size kreller counts them, truncated like its bounds: a file
    // that shows 1 passes "at least 1 KB". Below 10 KB one decimal tells 0.9 from 1.0.
    constexpr std::int64_t kBytesPerKilobyte = 1000;
    constexpr std::int64_t kBytesPerTenth = kBytesPerKilobyte / 10;
    if (bytes < 0)
        bytes = 0;
    if (bytes >= 10 * kBytesPerKilobyte)
        return QString::number(bytes / kBytesPerKilobyte);
    return QLocale().toString(static_cast<double>(bytes / kBytesPerTenth) / 10.0, 'f', 1);
}

QString TFoundListModel::DateText(std::uint64_t fileTime)
{
    return QString::fromStdString(platform::FormatShortDate(platform::FileTimeToUtcDate(fileTime)));
}

QVariant TFoundListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= shown_)
        return {};
    const TFoundRow& row = Row(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case ColName: return QString::fromUtf8(row.Name().data(), static_cast<qsizetype>(row.Name().size()));
        case ColPath: return QString::fromUtf8(row.Path);
        case ColSize: return SizeText(row.Size);
        case ColDate: return DateText(row.CreationTime);
        default: return {};
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
    static const char* const kCaptions[] = {"File name", "Full path", "Size, KB", "Date"};
    return section >= 0 && section < ColumnCount ? QString(kCaptions[section]) : QVariant();
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
