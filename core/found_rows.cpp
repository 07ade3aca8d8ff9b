#include "core/found_rows.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <numeric>
#include <optional>
#include <system_error>

#include "core/found_columns.h"
#include "platform/Collation.h"
#include "platform/Text.h"
#include "platform/WorkerThread.h"

#include <unordered_map>

namespace {

bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

std::size_t DigitRunEnd(std::string_view text, std::size_t start)
{
    while (start < text.size() && IsDigit(static_cast<unsigned char>(text[start])))
        ++start;
    return start;
}

// Two runs of digits by their value; leading zeros do not count.
int CompareDigitRuns(std::string_view a, std::string_view b)
{
    const auto significant = [](std::string_view run) {
        const std::size_t first = run.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view() : run.substr(first);
    };
    a = significant(a);
    b = significant(b);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

// One character of text at start, upper-cased by the locale rule into folded; its length in bytes.
std::size_t FoldedCharacter(std::string_view text, std::size_t start, unsigned char (&folded)[4])
{
    const std::size_t available = std::min<std::size_t>(4, text.size() - start);
    char buffer[4] = {};
    std::memcpy(buffer, text.data() + start, available);
    const std::size_t length = platform::UpperCaseCharacterInPlace(buffer, available);
    std::memcpy(folded, buffer, 4);
    return length;
}

int CompareFromStart(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(static_cast<unsigned char>(a[i])) && IsDigit(static_cast<unsigned char>(b[j]))) {
            const std::size_t endA = DigitRunEnd(a, i);
            const std::size_t endB = DigitRunEnd(b, j);
            if (const int order = CompareDigitRuns(a.substr(i, endA - i), b.substr(j, endB - j)))
                return order;
            i = endA;
            j = endB;
            continue;
        }
        unsigned char foldedA[4];
        unsigned char foldedB[4];
        const std::size_t lengthA = FoldedCharacter(a, i, foldedA);
        const std::size_t lengthB = FoldedCharacter(b, j, foldedB);
        if (std::lexicographical_compare(foldedA, foldedA + lengthA, foldedB, foldedB + lengthB))
            return -1;
        if (std::lexicographical_compare(foldedB, foldedB + lengthB, foldedA, foldedA + lengthA))
            return 1;
        i += lengthA;
        j += lengthB;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

// Where a comparison may start after a shared prefix of length common: right after an ASCII
// byte that is not a digit, so that both texts are cut into the same pieces there (a run of
// digits or a character of several bytes may go on differently in each).
std::size_t SafeStart(std::string_view text, std::size_t common)
{
    while (common > 0) {
        const auto c = static_cast<unsigned char>(text[common - 1]);
        if (!IsDigit(c) && c < 0x80)
            break;
        --common;
    }
    return common;
}

std::size_t CommonPrefixLength(std::string_view a, std::string_view b)
{
    const auto mismatch = std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(std::min(a.size(), b.size())), b.begin());
    return static_cast<std::size_t>(mismatch.first - a.begin());
}

// The start of a text as a few numbers whose order agrees with CompareNaturally wherever two
// of them differ; equal keys leave the decision to the full comparison. Each piece of the text
// becomes bytes: an ASCII character upper-cased; a run of digits the marker '0', the count of
// its significant digits and those digits (so a longer number is a larger one); a character beyond
// ASCII its upper-cased bytes; a byte that starts no character itself, which ends the key, as does a
// run too long to count in a byte.
class TSortKey {
public:
    static constexpr std::size_t kWords = 4;

    explicit TSortKey(std::string_view text)
    {
        for (std::size_t i = 0; i < text.size() && !Full();) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c >= 0x80) {
                // A whole character goes in upper-cased, as the comparison takes it; a byte that
                // starts no character goes in as it is and ends the key, so that a character
                // beginning with the same byte still decides by the comparison.
                unsigned char folded[4];
                const std::size_t length = FoldedCharacter(text, i, folded);
                if (length < 2) {
                    Put(c);
                    return;
                }
                for (std::size_t k = 0; k < length; ++k)
                    Put(folded[k]);
                i += length;
                continue;
            }
            if (!IsDigit(c)) {
                Put(c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c);
                ++i;
                continue;
            }
            const std::size_t end = DigitRunEnd(text, i);
            while (i < end && text[i] == '0')
                ++i;
            const std::size_t digits = end - i;
            Put('0');
            if (digits > 0xFF) {
                Put(0xFF);
                return;
            }
            Put(static_cast<unsigned char>(digits));
            for (; i < end && !Full(); ++i)
                Put(static_cast<unsigned char>(text[i]));
        }
    }

    // The start of the collator's own key for text.
    TSortKey(const platform::TNameCollator& collator, std::string_view text)
    {
        unsigned char bytes[kWords * 8];
        collator.KeyStart(text, bytes, sizeof bytes);
        for (const unsigned char byte : bytes)
            Put(byte);
    }

    bool operator==(const TSortKey& other) const { return words_ == other.words_; }
    bool operator<(const TSortKey& other) const { return words_ < other.words_; }

private:
    bool Full() const { return used_ == kWords * 8; }
    void Put(unsigned char byte)
    {
        if (Full())
            return;
        words_[used_ / 8] |= static_cast<std::uint64_t>(byte) << (56 - 8 * (used_ % 8));
        ++used_;
    }

    std::array<std::uint64_t, kWords> words_{};
    std::size_t used_ = 0;
};

// The position of a row the name filter hides.
constexpr std::uint32_t kHidden = UINT32_MAX;

struct TKeyedIndex {
    TSortKey Key;
    std::uint32_t Index;
};

struct TNumberedIndex {
    std::uint64_t Key;
    std::uint32_t Index;
};

std::string_view SortText(const TFoundRow& row, TFoundColumn column)
{
    return column == TFoundColumn::Name ? row.Name() : std::string_view(row.Path);
}

// Where a collator may start after a shared prefix: right after a '/', which no locale joins
// with the letters around it (as it may join "c" and "h").
std::size_t SafeCollatorStart(std::string_view text, std::size_t common)
{
    const auto slash = text.substr(0, common).rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// The part every row's text shares is skipped: paths of one search start alike, and keys made
// from that part would never tell two rows apart.
std::size_t SharedStart(const std::vector<TFoundRow>& rows, TFoundColumn column, bool collated)
{
    if (rows.empty())
        return 0;
    const std::string_view first = SortText(rows.front(), column);
    std::size_t common = first.size();
    for (const TFoundRow& row : rows)
        common = std::min(common, CommonPrefixLength(first, SortText(row, column)));
    return collated ? SafeCollatorStart(first, common) : SafeStart(first, common);
}

std::vector<std::uint32_t> SortedByText(const std::vector<TFoundRow>& rows, const TFoundSort& sort,
                                        const platform::TNameCollator* collator)
{
    const std::size_t skip = SharedStart(rows, sort.Column, collator != nullptr);
    const auto text = [&](std::uint32_t index) { return SortText(rows[index], sort.Column).substr(skip); };
    std::vector<TKeyedIndex> keyed;
    keyed.reserve(rows.size());
    for (std::uint32_t i = 0; i < rows.size(); ++i)
        keyed.push_back({collator ? TSortKey(*collator, text(i)) : TSortKey(text(i)), i});
    const auto fullCompare = [&](std::string_view a, std::string_view b) {
        return collator ? collator->Compare(a, b) : CompareNaturally(a, b);
    };
    const auto compare = [&](const TKeyedIndex& a, const TKeyedIndex& b) {
        int order = a.Key == b.Key ? fullCompare(text(a.Index), text(b.Index)) : (a.Key < b.Key ? -1 : 1);
        if (sort.Descending)
            order = -order;
        return order != 0 ? order < 0 : a.Index < b.Index;
    };
    std::sort(keyed.begin(), keyed.end(), compare);
    std::vector<std::uint32_t> order(keyed.size());
    std::transform(keyed.begin(), keyed.end(), order.begin(), [](const TKeyedIndex& k) { return k.Index; });
    return order;
}

std::uint64_t NumberKey(const TFoundRow& row, TFoundColumn column)
{
    switch (column) {
    case TFoundColumn::Date: return row.CreationTime;
    case TFoundColumn::Modified: return row.LastWriteTime;
    case TFoundColumn::Accessed: return row.LastAccessTime;
    default: break;
    }
    // Sizes are never negative; the shift keeps the order of any signed value anyway.
    return static_cast<std::uint64_t>(row.Size) ^ (std::uint64_t{1} << 63);
}

std::vector<std::uint32_t> SortedByNumber(const std::vector<TFoundRow>& rows, const TFoundSort& sort)
{
    std::vector<TNumberedIndex> keyed(rows.size());
    for (std::uint32_t i = 0; i < keyed.size(); ++i)
        keyed[i] = {NumberKey(rows[i], sort.Column), i};
    std::sort(keyed.begin(), keyed.end(), [&](const TNumberedIndex& a, const TNumberedIndex& b) {
        if (a.Key != b.Key)
            return sort.Descending ? a.Key > b.Key : a.Key < b.Key;
        return a.Index < b.Index;
    });
    std::vector<std::uint32_t> order(keyed.size());
    std::transform(keyed.begin(), keyed.end(), order.begin(), [](const TNumberedIndex& k) { return k.Index; });
    return order;
}

// Texts the row does not hold (type, owner, ...) are made once per row, and once per extension or
// owner where they depend on nothing else.
std::vector<std::string> DerivedTexts(const std::vector<TFoundRow>& rows, TFoundColumn column)
{
    std::unordered_map<std::string, std::string> byKey;
    std::vector<std::string> texts;
    texts.reserve(rows.size());
    for (const TFoundRow& row : rows) {
        std::string key;
        if (column == TFoundColumn::Type)
            key = (row.IsDirectory ? "/" : ".") + std::string(ExtensionOf(row.Name()));
        else if (column == TFoundColumn::Owner)
            key = std::to_string(row.OwnerId);
        if (key.empty()) {
            texts.push_back(FoundCellText(row, column));
            continue;
        }
        auto found = byKey.find(key);
        if (found == byKey.end())
            found = byKey.emplace(key, FoundCellText(row, column)).first;
        texts.push_back(found->second);
    }
    return texts;
}

std::vector<std::uint32_t> SortedByDerivedText(const std::vector<TFoundRow>& rows, const TFoundSort& sort)
{
    const std::vector<std::string> texts = DerivedTexts(rows, sort.Column);
    std::vector<std::uint32_t> order(rows.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const int compared = CompareNaturally(texts[a], texts[b]);
        return sort.Descending ? compared > 0 : compared < 0;
    });
    return order;
}

bool IsNumberColumn(TFoundColumn column)
{
    return column == TFoundColumn::Size || column == TFoundColumn::Date || column == TFoundColumn::Modified ||
           column == TFoundColumn::Accessed;
}

} // namespace

int CompareNaturally(std::string_view a, std::string_view b)
{
    // Equal bytes are equal characters: the shared start is skipped up to a place where both
    // texts are cut into the same pieces.
    const std::size_t start = SafeStart(a, CommonPrefixLength(a, b));
    return CompareFromStart(a.substr(start), b.substr(start));
}

std::vector<std::uint32_t> SortedOrder(const std::vector<TFoundRow>& rows, const TFoundSort& sort,
                                       const platform::TNameCollator* collator)
{
    if (!sort.Active) {
        std::vector<std::uint32_t> order(rows.size());
        std::iota(order.begin(), order.end(), 0u);
        return order;
    }
    if (sort.Column == TFoundColumn::Name || sort.Column == TFoundColumn::Path)
        return SortedByText(rows, sort, collator);
    if (IsNumberColumn(sort.Column))
        return SortedByNumber(rows, sort);
    return SortedByDerivedText(rows, sort);
}

namespace {

unsigned char Folded(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

} // namespace

TFoldedNeedle::TFoldedNeedle(std::string_view needle)
{
    needle_.reserve(needle.size());
    for (const char c : needle)
        needle_ += static_cast<char>(Folded(c));
}

bool TFoldedNeedle::IsIn(std::string_view text) const
{
    const std::size_t length = needle_.size();
    if (length == 0)
        return true;
    if (length > text.size())
        return false;
    const auto first = static_cast<unsigned char>(needle_[0]);
    const std::size_t last = text.size() - length;
    for (std::size_t i = 0; i <= last; ++i) {
        if (Folded(text[i]) != first)
            continue;
        std::size_t j = 1;
        while (j < length && Folded(text[i + j]) == static_cast<unsigned char>(needle_[j]))
            ++j;
        if (j == length)
            return true;
    }
    return false;

}

namespace {

void SetPath(TFoundRow& row, const std::string& path)
{
    row.Path = path;
    const auto slash = path.rfind('/');
    row.NameOffset = slash == std::string::npos ? 0 : static_cast<std::uint32_t>(slash + 1);
}

// What a stat tells of the file, as the row keeps it.
void CopyFacts(TFoundRow& row, const FileEntry& entry)
{
    row.Size = entry.Size;
    row.CreationTime = entry.CreationTime;
    row.LastWriteTime = entry.LastWriteTime;
    row.LastAccessTime = entry.LastAccessTime;
    row.Mode = entry.Mode;
    row.OwnerId = entry.OwnerId;
}

} // namespace

void TFoundRows::Append(const FileEntry& entry, const std::string& path)
{
    const bool inOrder = Filtering() && orderedRows_ == rows_.size();
    TFoundRow row;
    SetPath(row, path);
    CopyFacts(row, entry);
    row.IsDirectory = entry.IsDirectory();
    row.FactsKnown = entry.FactsKnown;
    if (row.FactsKnown && factsCursor_ == rows_.size())
        ++factsCursor_;
    rows_.push_back(std::move(row));
    if (inOrder)
        AppendInOrder();
}

void TFoundRows::AppendInOrder()
{
    // While a filter is on, rows found later are filtered as they come and follow the shown ones.
    const auto row = static_cast<std::uint32_t>(rows_.size() - 1);
    if (Passes(rows_.back())) {
        positions_.push_back(static_cast<std::uint32_t>(order_.size()));
        order_.push_back(row);
    } else {
        positions_.push_back(kHidden);
    }
    orderedRows_ = rows_.size();
}

void TFoundRows::LookUpFacts(TFoundRow& row)
{
    if (const std::optional<FileEntry> entry = platform::LookupEntry(row.Path))
        CopyFacts(row, *entry);
    row.FactsKnown = true;
}

bool TFoundRows::FillFacts(std::size_t count)
{
    for (std::size_t looked = 0; factsCursor_ < rows_.size() && looked < count; ++factsCursor_) {
        if (!rows_[factsCursor_].FactsKnown) {
            LookUpFacts(rows_[factsCursor_]);
            ++looked;
        }
    }
    return FactsMissing();
}

void TFoundRows::FillAllFacts()
{
    std::vector<std::size_t> missing;
    for (; factsCursor_ < rows_.size(); ++factsCursor_) {
        if (!rows_[factsCursor_].FactsKnown)
            missing.push_back(factsCursor_);
    }
    constexpr std::size_t kRowsPerTake = 64;
    constexpr std::size_t kMostThreads = 16;
    std::atomic<std::size_t> next{0};
    const auto lookUp = [&] {
        for (std::size_t from; (from = next.fetch_add(kRowsPerTake)) < missing.size();) {
            for (std::size_t i = from; i < std::min(from + kRowsPerTake, missing.size()); ++i)
                LookUpFacts(rows_[missing[i]]);
        }
    };
    std::vector<platform::TWorkerThread> helpers;  // waited for when it goes
    const std::size_t threads = std::min(kMostThreads, missing.size() / (4 * kRowsPerTake) + 1);
    try {
        platform::StartWorkers(helpers, static_cast<unsigned>(threads - 1), lookUp);
    } catch (const std::system_error&) {
        // The system gives no thread: this one looks them all up.
    }
    lookUp();
}

bool TFoundRows::SortNeedsFacts() const
{
    if (!sort_.Active)
        return false;
    switch (sort_.Column) {
    case TFoundColumn::Name:
    case TFoundColumn::Path:
    case TFoundColumn::Type:
    case TFoundColumn::Extension: return false;
    default: return true;
    }
}

void TFoundRows::Clear()
{
    factsCursor_ = 0;
    rows_.clear();
    rows_.shrink_to_fit();
    sorted_.clear();
    sortedRows_ = 0;
    order_.clear();
    orderedRows_ = 0;
    positions_.clear();
    passed_.clear();
    filter_ = {};
}

void TFoundRows::SetNameFilter(TNameFilter filter)
{
    if (!(filter == filter_))
        passed_.clear();
    filter_ = std::move(filter);
}

void TFoundRows::SetSort(const TFoundSort& sort)
{
    if (sort != sort_)
        sorted_.clear();
    sort_ = sort;
}

void TFoundRows::SetQuickFilter(std::string_view text)
{
    quickFilter_ = TFoldedNeedle(text);
    ApplySort();
}

std::uint32_t TFoundRows::RowIndex(int position) const
{
    const auto at = static_cast<std::size_t>(position);
    // Rows appended after the order was applied follow in found order.
    return static_cast<std::uint32_t>(at < order_.size() ? order_[at] : orderedRows_ + (at - order_.size()));
}

int TFoundRows::PositionOf(std::uint32_t rowIndex) const
{
    if (rowIndex >= orderedRows_)
        return static_cast<int>(order_.size() + (rowIndex - orderedRows_));
    const std::uint32_t position = positions_[rowIndex];
    return position == kHidden ? -1 : static_cast<int>(position);
}

void TFoundRows::ApplySort()
{
    order_.clear();
    positions_.clear();
    orderedRows_ = 0;
    if (!sort_.Active && !Filtering())
        return;
    if (!sort_.Active) {
        sorted_.resize(rows_.size());
        std::iota(sorted_.begin(), sorted_.end(), 0u);
    } else if (sorted_.empty() || sortedRows_ != rows_.size()) {
        // Typing in the name box or the quick filter filters again and again; the rows are sorted once.
        if (SortNeedsFacts())
            FillAllFacts();
        sorted_ = SortedOrder(rows_, sort_, collator_);
    }
    sortedRows_ = rows_.size();
    orderedRows_ = rows_.size();
    if (!Filtering()) {
        order_ = sorted_;
    } else {
        // Tested in found order, then picked in the chosen one: walking a million rows out of
        // memory order costs several times more than the test itself.
        TestRows();
        order_.reserve(sorted_.size());
        for (const std::uint32_t row : sorted_) {
            if (passed_[row])
                order_.push_back(row);
        }
    }
    IndexPositions();
}

void TFoundRows::TestRows()
{
    const std::string& needle = quickFilter_.Text();
    const bool hiddenStayHidden = needle.find(passedNeedle_) != std::string::npos;
    const bool shownStayShown = passedNeedle_.find(needle) != std::string::npos;
    const std::size_t known = std::min(passed_.size(), rows_.size());
    passed_.resize(rows_.size());
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (row < known && (passed_[row] ? shownStayShown : hiddenStayHidden))
            continue;
        passed_[row] = Passes(rows_[row]) ? 1 : 0;
    }
    passedNeedle_ = needle;
}

void TFoundRows::IndexPositions()
{
    positions_.assign(orderedRows_, kHidden);
    for (std::uint32_t position = 0; position < order_.size(); ++position)
        positions_[order_[position]] = position;
}

void TFoundRows::Remove(std::vector<std::uint32_t> rowIndexes)
{
    std::sort(rowIndexes.begin(), rowIndexes.end());
    rowIndexes.erase(std::unique(rowIndexes.begin(), rowIndexes.end()), rowIndexes.end());
    if (rowIndexes.empty())
        return;
    // Each kept row's new index: its old one less the dropped rows before it.
    std::vector<std::uint32_t> renumbered(rows_.size(), kHidden);
    std::size_t kept = 0;
    std::size_t next = 0;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (next < rowIndexes.size() && rowIndexes[next] == row) {
            ++next;
            continue;
        }
        renumbered[row] = static_cast<std::uint32_t>(kept);
        if (kept != row)
            rows_[kept] = std::move(rows_[row]);
        ++kept;
    }
    rows_.resize(kept);
    const auto dropsBelow = [&](std::size_t count) {
        return static_cast<std::size_t>(std::lower_bound(rowIndexes.begin(), rowIndexes.end(), count) - rowIndexes.begin());
    };
    const auto closeUp = [&](std::vector<std::uint32_t>& indexes) {
        std::erase_if(indexes, [&](std::uint32_t row) { return renumbered[row] == kHidden; });
        for (std::uint32_t& row : indexes)
            row = renumbered[row];
    };
    closeUp(sorted_);
    closeUp(order_);
    passed_.clear();
    sortedRows_ -= dropsBelow(sortedRows_);
    orderedRows_ -= dropsBelow(orderedRows_);
    factsCursor_ -= dropsBelow(factsCursor_);
    IndexPositions();
}

void TFoundRows::Rename(std::uint32_t rowIndex, const std::string& newPath)
{
    TFoundRow& row = rows_.at(rowIndex);
    SetPath(row, newPath);
    // The chosen order has to be made again with the new name in it, and the filters tested again.
    sorted_.clear();
    passed_.clear();
}

QString ShownText(std::string_view bytes)
{
    QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    for (QChar& c : text) {
        if (c == u'\n' || c == u'\r')
            c = QChar(LineBreakMark);
    }
    return text;
}
