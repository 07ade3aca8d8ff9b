#pragma once
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/found_rows.h"
#include "platform/Collation.h"
#include "platform/FileSystem.h"

// The found list's model. Rows appended during a run wait until Flush, so a million rows cost a
// million appends to a vector and a handful of view updates, not a redraw each.
class TFoundListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColName, ColPath, ColSize, ColDate, ColumnCount = FoundColumnCount };

    // Names and paths sort in the order of the user's locale.
    explicit TFoundListModel(QObject* parent = nullptr);

    void Append(const FileEntry& entry, const std::string& path);
    void Flush();  // shows the rows appended since the last flush
    void Clear();

    int Count() const { return rows_.Count(); }  // rows shown, pending rows included
    int Total() const { return rows_.Total(); }  // every row kept, those the filters hide included
    // The row shown at position, in the order the user sees.
    const TFoundRow& Row(int position) const { return rows_.At(position); }

    // While held (during a run) rows found are appended in the order they are found; the chosen
    // order is applied to the whole list when the hold ends, and the facts of rows listed without
    // them are looked up a slice at a time while the window is idle (rows painted get theirs at once).
    void HoldOrder(bool held);
    bool FactsMissing() const { return rows_.FactsMissing(); }
    // Every row's facts at once, for a command about to read all of them.
    void FillAllFacts() { rows_.FillAllFacts(); }
    bool SortNeedsFacts() const { return rows_.SortNeedsFacts(); }
    const TFoundSort& Sorting() const { return rows_.Sort(); }
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // Shows every row, in the chosen order.
    void ApplyOrder();
    // Shows only the rows whose names the filter passes, in the chosen order; every row kept
    // stays, so a wider filter shows them again. Emptying the list drops the filter.
    void SetNameFilter(TNameFilter filter);
    const TNameFilter& NameFilter() const { return rows_.NameFilter(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Dragging rows out: file URLs for file managers and mail clients, the paths for editors.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

    // The quick filter: only rows whose full path holds text are shown.
    void SetQuickFilter(const std::string& text);
    const std::string& QuickFilter() const { return rows_.QuickFilter(); }

    // Drops the rows shown at those positions (files that went away); the others keep their
    // places, and the view's selection stays on them.
    void RemoveShown(std::vector<int> positions);
    // Gives the row shown at position a new full path. The row moves to where the chosen order
    // puts it, the selection with it; a filter that refuses the new name hides it.
    void RenameShown(int position, const std::string& newPath);

    // A cell's text as exported: names and paths as their exact bytes, the rest as shown.
    std::string CellBytes(int position, TFoundColumn column) const;

    // The cell texts, as shown.
    static QString SizeText(std::int64_t bytes);
    // The size text of the largest file listed whose size is known: the widest the Size column has
    // to show, until FactsFilled tells of more.
    QString WidestSizeText() const;
    static QString DateText(std::uint64_t fileTime);
    // A date of each month, with a two-digit day: the widest of them is the widest a date shows.
    static QStringList SampleDateTexts();

signals:
    void Changed();  // rows were added or the list was emptied
    void FactsFilled();  // every row has its size, times, owner and mode now

private:
    void FillFactsSlice();

    QTimer factsTimer_;  // fills facts while the event loop is idle
    std::unique_ptr<platform::TNameCollator> collator_;
    TFoundRows rows_;
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
