#pragma once
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "krellers/name_filter.h"
#include "platform/FileSystem.h"

namespace platform {
class TNameCollator;
}

// One row of the found list; the texts on screen are made only for the rows being painted.
struct TFoundRow {
    std::string Path;             // full path, exact bytes
    std::uint32_t NameOffset = 0; // where the file name starts in Path
    std::int64_t Size = 0;
    std::uint64_t CreationTime = 0;
    std::uint64_t LastWriteTime = 0;
    std::uint64_t LastAccessTime = 0;
    std::uint32_t Mode = 0;
    std::uint32_t OwnerId = 0;
    bool IsDirectory = false;
    // False for a file listed without a stat: size, times, owner and mode are looked up when the
    // row is first read through TFoundRows::At (or sorted by them).
    bool FactsKnown = true;

    std::string_view Name() const { return std::string_view(Path).substr(NameOffset); }
};

// A name or path as the found list shows it: its bytes read as UTF-8, and every line break (LF or
// CR) shown as the mark LineBreakMark, so a name that holds one is seen whole on its one row.
QString ShownText(std::string_view bytes);
inline constexpr char16_t LineBreakMark = u'\u23CE';

// The columns of the found list, which are also the keys it sorts by. The first four are always
// there; the others are shown when the user picks them.
enum class TFoundColumn { Name, Path, Size, Date, Modified, Accessed, Type, Extension, Owner, Permissions };
inline constexpr int FoundColumnCount = 10;

// The order the user chose by clicking a column header; none keeps the order the rows were found in.
struct TFoundSort {
    bool Active = false;
    TFoundColumn Column = TFoundColumn::Name;
    bool Descending = false;

    bool operator==(const TFoundSort&) const = default;
};

// Natural order without regard to case: runs of digits compare by their value (file2 before
// file10), other characters after upper-casing by the locale rule. Negative, zero or positive.
int CompareNaturally(std::string_view a, std::string_view b);

// The positions of rows in the order sort asks for. The rows' strings are never copied: an index
// is sorted, and rows with equal keys keep the order they were found in, whichever the direction.
// Names and paths compare by the collator of the user's locale when there is one, otherwise
// by CompareNaturally.
std::vector<std::uint32_t> SortedOrder(const std::vector<TFoundRow>& rows, const TFoundSort& sort,
                                       const platform::TNameCollator* collator = nullptr);

// The quick filter's test: whether text holds needle, ASCII letters compared without regard to
// case, other bytes exactly. An empty needle is in every text.
class TFoldedNeedle {
public:
    explicit TFoldedNeedle(std::string_view needle);
    bool IsIn(std::string_view text) const;
    const std::string& Text() const { return needle_; }

private:
    std::string needle_;  // lower-cased
};

// The found rows with the order they are shown in. Rows appended keep the found order until the
// chosen order is applied (at the end of a run, or when the user picks an order). A name filter
// hides the rows it refuses without dropping them, so a wider filter shows them again.
class TFoundRows {
public:
    void Append(const FileEntry& entry, const std::string& path);
    // Drops every row; the name filter goes with them.
    void Clear();

    // The rows shown.
    int Count() const { return static_cast<int>(order_.size() + rows_.size() - orderedRows_); }
    // Every row kept, those the name and quick filters hide included.
    int Total() const { return static_cast<int>(rows_.size()); }
    // The row shown at position, with its facts; every command that walks the list goes through it.
    const TFoundRow& At(int position) const { return WithFacts(rows_[RowIndex(position)]); }

    // The row shown at position as listed, without looking up facts it was listed without.
    const TFoundRow& AsListed(int position) const { return rows_[RowIndex(position)]; }
    // Looks up the facts of at most count rows listed without them, in found order; true while
    // some are still missing. So they are filled a slice at a time once a run has ended.
    bool FillFacts(std::size_t count);
    bool FactsMissing() const { return factsCursor_ < rows_.size(); }
    // Looks up the facts of every row still without them, on several threads: a network mount
    // answers each request only after a round trip.
    void FillAllFacts();
    // Whether the chosen order is by a fact of the files (size, a time, owner, permissions).
    bool SortNeedsFacts() const;
    // The row that position shows, as an index into the rows in found order.
    std::uint32_t RowIndex(int position) const;
    // Where the row of found-order index rowIndex is shown; -1 when a filter hides it.
    int PositionOf(std::uint32_t rowIndex) const;

    // Drops the rows of those found-order indexes (files that left the disk); the others keep
    // their order and filters, and their indexes close up.
    void Remove(std::vector<std::uint32_t> rowIndexes);
    // Gives the row of that found-order index a new full path (a rename in its directory). It
    // keeps its place until the order or a filter is applied again.
    void Rename(std::uint32_t rowIndex, const std::string& newPath);

    // The quick filter: shows only the rows whose full path holds text (see TFoldedNeedle); an
    // empty text shows all. It outlives Clear, and rows appended later are filtered as they come.
    void SetQuickFilter(std::string_view text);
    const std::string& QuickFilter() const { return quickFilter_.Text(); }

    // The locale order names and paths sort in; none: CompareNaturally. Not owned.
    void SetCollator(const platform::TNameCollator* collator)
    {
        collator_ = collator;
        sorted_.clear();
    }

    const TFoundSort& Sort() const { return sort_; }
    void SetSort(const TFoundSort& sort);
    const TNameFilter& NameFilter() const { return filter_; }
    void SetNameFilter(TNameFilter filter);
    // Shows the rows both filters pass, in the chosen order (found order when none is chosen).
    void ApplySort();
    // Whether both filters pass the row.
    bool Passes(const TFoundRow& row) const
    {
        return filter_.Matches(row.Name()) && quickFilter_.IsIn(row.Path);
    }

private:
    // Gives the row the facts a stat finds now; a file gone meanwhile keeps them empty.
    static void LookUpFacts(TFoundRow& row);

    // Mutable: a row listed without its facts gets them when first read.
    mutable std::vector<TFoundRow> rows_;
    std::size_t factsCursor_ = 0;  // every row before it has its facts
    TFoundSort sort_;
    TNameFilter filter_;
    std::vector<std::uint32_t> sorted_;    // every row in the chosen order; empty until needed
    std::size_t sortedRows_ = 0;           // rows sorted_ was made from
    const platform::TNameCollator* collator_ = nullptr;
    std::vector<std::uint32_t> order_;     // position -> row; empty: found order
    std::size_t orderedRows_ = 0;          // rows that order_ was made from; those after follow it
    std::vector<std::uint32_t> positions_; // row -> position, made when first asked for
    TFoldedNeedle quickFilter_{""};
    // Whether each row (in found order) passed both filters when they were last applied, and the
    // quick filter text then: rows are tested in the order they lie in memory, and a text that
    // holds the last one only hides more, one held in it only shows more, so those rows the last
    // answer settles are not tested again. Emptied whenever rows or the name filter change.
    std::vector<std::uint8_t> passed_;
    std::string passedNeedle_;

    bool Filtering() const { return filter_.Active() || !quickFilter_.Text().empty(); }
    static const TFoundRow& WithFacts(TFoundRow& row)
    {
        if (!row.FactsKnown)
            LookUpFacts(row);
        return row;
    }
    void AppendInOrder();
    void TestRows();
    void IndexPositions();
};
