#pragma once
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

// One row of the found list; the texts on screen are made only for the rows being painted.
struct TFoundRow {
    std::string Path;             // full path, exact bytes
    std::uint32_t NameOffset = 0; // where the file name starts in Path
    std::int64_t Size = 0;
    std::uint64_t CreationTime = 0;
    bool IsDirectory = false;

    std::string_view Name() const { return std::string_view(Path).substr(NameOffset); }
};

// The found list's model. Rows appended during a run wait until Flush, so a million rows cost a
// million appends to a vector and a handful of view updates, not a redraw each.
class TFoundListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColName, ColPath, ColSize, ColDate, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void Append(const FileEntry& entry, const std::string& path);
    void Flush();  // shows the rows appended since the last flush
    void Clear();

    int Count() const { return static_cast<int>(rows_.size()); }  // pending rows included
    const TFoundRow& Row(int index) const { return rows_[static_cast<std::size_t>(index)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The cell texts, as shown.
    static QString SizeText(std::int64_t bytes);
    static QString DateText(std::uint64_t fileTime);

signals:
    void Changed();  // rows were added or the list was emptied

private:
    std::vector<TFoundRow> rows_;
    int shown_ = 0;  // rows the view knows of
};

// Paints the right-aligned size with room on its right, so it does not run into the date.
class TSizeCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int Gap = 8;  // pixels kept clear at the cell's right edge
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
