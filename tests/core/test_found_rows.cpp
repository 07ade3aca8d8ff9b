#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include <random>
#include <sys/stat.h>

#include "ChildProcess.h"
#include "TempTree.h"
#include "core/found_rows.h"
#include "core/found_transfer.h"
#include "platform/Collation.h"
#include "platform/Text.h"

namespace {

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

TEST(NaturalOrder, PairsCompareAsPeopleRead)
{
    const struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"file2", "file10", -1},
        {"file10", "file9", 1},
        {"File2.txt", "file10.TXT", -1},
        {"a.txt", "B.txt", -1},           // case does not count
        {"ABC", "abc", 0},
        {"x007", "x7", 0},                // leading zeros do not count
        {"x7y", "x007z", -1},
        {"file", "file.txt", -1},         // the shorter first
        {"file-1", "file1", -1},          // '-' before a digit, as the bytes say
        {"file_1", "file1", 1},           // '_' after
        {"9", "a", -1},                   // digits before letters
        {"v1.10.2", "v1.9.12", 1},
        {"\xC3\xA4rger", "\xC3\x84RGER", 0},  // ä and Ä
        {"\xD1\x80\xD0\xB0\xD0\xB7", "\xD0\xA0\xD0\x90\xD0\x97", 0},  // Cyrillic: the lead byte changes with case
        {"z", "\xC3\xA4", -1},            // letters beyond ASCII after ASCII ones
        {"name\xFF", "name\xC3\xA4", 1},  // a byte that starts no character keeps its own value
        {"12345678901234567890", "12345678901234567891", -1},  // runs longer than any integer
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Sign(CompareNaturally(c.a, c.b)), c.expected) << c.a << " / " << c.b;
        EXPECT_EQ(Sign(CompareNaturally(c.b, c.a)), -c.expected) << c.b << " / " << c.a;
    }
}

TFoundRow MakeRow(const std::string& path, std::int64_t size = 0, std::uint64_t time = 0)
{
    TFoundRow row;
    row.Path = path;
    row.NameOffset = static_cast<std::uint32_t>(path.rfind('/') + 1);
    row.Size = size;
    row.CreationTime = time;
    return row;
}

std::vector<std::string> PathsInOrder(const std::vector<TFoundRow>& rows, const std::vector<std::uint32_t>& order)
{
    std::vector<std::string> paths;
    for (const std::uint32_t index : order)
        paths.push_back(rows[index].Path);
    return paths;
}

TFoundSort By(TFoundColumn column, bool descending = false)
{
    return {true, column, descending};
}

TEST(SortedOrder, EachColumnAndDirection)
{
    const std::vector<TFoundRow> rows = {
        MakeRow("/d/b/file10.txt", 30, 300), MakeRow("/d/a/File2.txt", 10, 100), MakeRow("/d/c/file1.txt", 20, 200),
        MakeRow("/d/a10/x.txt", 5, 50),      MakeRow("/d/a9/y.txt", 40, 400),
    };
    const struct {
        const char* name;
        TFoundSort sort;
        std::vector<std::string> expected;
    } cases[] = {
        {"found order", {}, {"/d/b/file10.txt", "/d/a/File2.txt", "/d/c/file1.txt", "/d/a10/x.txt", "/d/a9/y.txt"}},
        {"name", By(TFoundColumn::Name),
         {"/d/c/file1.txt", "/d/a/File2.txt", "/d/b/file10.txt", "/d/a10/x.txt", "/d/a9/y.txt"}},
        {"name reversed", By(TFoundColumn::Name, true),
         {"/d/a9/y.txt", "/d/a10/x.txt", "/d/b/file10.txt", "/d/a/File2.txt", "/d/c/file1.txt"}},
        {"path", By(TFoundColumn::Path),
         {"/d/a/File2.txt", "/d/a9/y.txt", "/d/a10/x.txt", "/d/b/file10.txt", "/d/c/file1.txt"}},
        {"size", By(TFoundColumn::Size),
         {"/d/a10/x.txt", "/d/a/File2.txt", "/d/c/file1.txt", "/d/b/file10.txt", "/d/a9/y.txt"}},
        {"date reversed", By(TFoundColumn::Date, true),
         {"/d/a9/y.txt", "/d/b/file10.txt", "/d/c/file1.txt", "/d/a/File2.txt", "/d/a10/x.txt"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PathsInOrder(rows, SortedOrder(rows, c.sort)), c.expected) << c.name;
}

TEST(SortedOrder, EqualKeysKeepTheFoundOrderInBothDirections)
{
    // Equal by every column: the same size and time, names equal without regard to case.
    const std::vector<TFoundRow> rows = {MakeRow("/x/A.txt", 1, 1), MakeRow("/y/a.txt", 1, 1), MakeRow("/x/a.TXT", 1, 1)};
    for (const TFoundColumn column : {TFoundColumn::Name, TFoundColumn::Size, TFoundColumn::Date}) {
        for (const bool descending : {false, true})
            EXPECT_EQ(SortedOrder(rows, By(column, descending)), (std::vector<std::uint32_t>{0, 1, 2}))
                << static_cast<int>(column) << descending;
    }
}

// Rows of random paths under base, each built from up to maxPieces of pieces.
std::vector<TFoundRow> RandomRows(const std::vector<const char*>& pieces, const std::string& base, int maxPieces,
                                  unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<TFoundRow> rows;
    for (int i = 0; i < 3000; ++i) {
        std::string path = base;
        const int length = static_cast<int>(random() % static_cast<unsigned>(maxPieces));
        for (int k = 0; k < length; ++k)
            path += pieces[random() % pieces.size()];
        rows.push_back(MakeRow(path));
    }
    return rows;
}

// SortedOrder by names and paths, both ways, must be exactly a stable sort by compare.
void ExpectStableSortBy(const std::vector<TFoundRow>& rows, const std::function<int(std::string_view, std::string_view)>& compare,
                        const platform::TNameCollator* collator)
{
    for (const TFoundColumn column : {TFoundColumn::Name, TFoundColumn::Path}) {
        for (const bool descending : {false, true}) {
            std::vector<std::uint32_t> expected(rows.size());
            std::iota(expected.begin(), expected.end(), 0u);
            const auto text = [&](std::uint32_t i) {
                return column == TFoundColumn::Name ? rows[i].Name() : std::string_view(rows[i].Path);
            };
            std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
                const int order = compare(text(a), text(b));
                return descending ? order > 0 : order < 0;
            });
            EXPECT_EQ(SortedOrder(rows, By(column, descending), collator), expected)
                << static_cast<int>(column) << descending;
        }
    }
}

// Random names built from pieces that stress the shortcuts of the sort (shared starts, digit runs
// cut by the shared part, case, characters of several bytes, bytes that are not UTF-8): the order
// must be exactly a stable sort by the plain comparison.
TEST(SortedOrder, AgreesWithAStableSortByTheComparison)
{
    const std::vector<TFoundRow> rows = RandomRows({"a", "A", "b", "1", "2", "10", "09", "-", "_", ".", "\xC3\xA4", "\xC3\x84",
                                                    "\xD1\x80", "\xD0\xA0", "\xFF", "\xC3", "zz", "0"},
                                                   "/base/dir1", 7, 17);
    ExpectStableSortBy(rows, CompareNaturally, nullptr);
}

TEST(FoundRows, PositionsFollowTheAppliedOrder)
{
    TFoundRows rows;
    FileEntry entry;
    for (const char* path : {"/t/c", "/t/a", "/t/b"})
        rows.Append(entry, path);
    EXPECT_EQ(rows.At(0).Path, "/t/c");  // found order until an order is applied
    rows.SetSort(By(TFoundColumn::Name));
    EXPECT_EQ(rows.At(0).Path, "/t/c");
    rows.ApplySort();
    EXPECT_EQ(rows.At(0).Path, "/t/a");
    EXPECT_EQ(rows.RowIndex(0), 1u);
    EXPECT_EQ(rows.PositionOf(0), 2);
    rows.SetSort({});
    rows.ApplySort();
    EXPECT_EQ(rows.At(0).Path, "/t/c");
}

// Files listed by name alone get their facts when a row is read, when the rows are sorted by a
// fact, or a slice at a time; a file gone meanwhile keeps empty facts and is not asked again.
TEST(FoundRows, FactsOfFilesListedByNameAreLookedUpWhenNeeded)
{
    TempTree tree;
    const std::vector<std::pair<std::string, int>> files = {{"a", 30}, {"b", 100}, {"c", 1}, {"d", 7}, {"e", 50}};
    TFoundRows rows;
    for (const auto& [name, size] : files)
        rows.Append(platform::UnstatedFileEntry(name), tree.File(name, std::string(static_cast<std::size_t>(size), 'x')));
    rows.Append(platform::UnstatedFileEntry("gone"), tree.Path("gone"));
    EXPECT_TRUE(rows.FactsMissing());
    EXPECT_FALSE(rows.AsListed(1).FactsKnown);

    const TFoundRow& read = rows.At(1);
    EXPECT_TRUE(read.FactsKnown);
    const std::optional<FileEntry> stated = platform::LookupEntry(tree.Path("b"));
    ASSERT_TRUE(stated);
    EXPECT_EQ(read.Size, 100);
    EXPECT_EQ(read.LastWriteTime, stated->LastWriteTime);
    EXPECT_EQ(read.Mode, stated->Mode);
    EXPECT_EQ(read.OwnerId, stated->OwnerId);

    EXPECT_TRUE(rows.FillFacts(1));  // "a"; "b" had its facts already
    EXPECT_TRUE(rows.AsListed(0).FactsKnown);
    EXPECT_FALSE(rows.AsListed(2).FactsKnown);
    rows.Remove({0, 3});  // "a" and "d": the rows after them close up
    EXPECT_FALSE(rows.AsListed(1).FactsKnown);  // "c"

    rows.SetSort(By(TFoundColumn::Size));
    rows.ApplySort();
    EXPECT_FALSE(rows.FactsMissing());
    std::vector<std::string> order;
    for (int i = 0; i < rows.Count(); ++i)
        order.emplace_back(rows.At(i).Name());
    EXPECT_EQ(order, (std::vector<std::string>{"gone", "c", "e", "b"}));
    EXPECT_EQ(rows.At(0).Size, 0);
    EXPECT_FALSE(rows.FillFacts(10));
}

// With threads to help, and with none to be had (a user at the limit of processes).
TEST(FoundRows, EveryRowGetsItsFactsWhenAllAreAskedForAtOnce)
{
    TempTree tree;
    chmod(tree.Root().c_str(), 0755);
    TFoundRows rows;
    constexpr int kFiles = 700;  // enough for several threads
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = std::to_string(i);
        rows.Append(platform::UnstatedFileEntry(name), tree.File(name, std::string(static_cast<std::size_t>(i % 13), 'x')));
    }
    const auto fillAll = [&listed = std::as_const(rows)]() -> std::string {
        TFoundRows rows = listed;  // each time as listed, without facts
        rows.FillAllFacts();
        for (int i = 0; i < kFiles; ++i) {
            if (!rows.AsListed(i).FactsKnown || rows.AsListed(i).Size != i % 13)
                return "row " + std::to_string(i) + " wrong";
        }
        return rows.FactsMissing() ? "facts missing" : "all known";
    };
    EXPECT_EQ(fillAll(), "all known");
    const auto alone = RunInChild([&]() -> std::optional<std::string> {
        if (!DropPrivileges() || !RefuseNewThreads())
            return std::nullopt;
        return fillAll();
    });
    if (!alone)
        GTEST_SKIP() << "the system cannot be made to refuse threads here";
    EXPECT_EQ(*alone, "all known");
}

TEST(FoundTransfer, LinesAndUriList)
{
    EXPECT_EQ(JoinedLines({}), "");
    EXPECT_EQ(JoinedLines({"/a/b"}), "/a/b");
    EXPECT_EQ(JoinedLines({"/a/b", "/c d/e"}), "/a/b\n/c d/e");
    // Exact bytes of a name that is not UTF-8, percent-encoded; each line ended by CR LF.
    EXPECT_EQ(FileUriList({"/tmp/caf\xE9 #1.txt", "/x/\xC3\xA4~_-.y"}),
              "file:///tmp/caf%E9%20%231.txt\r\nfile:///x/%C3%A4~_-.y\r\n");
    EXPECT_EQ(platform::FileUrl("/100%/a?b"), "file:///100%25/a%3Fb");
}

} // namespace

namespace {

std::vector<std::string> NamesSorted(const std::vector<std::string>& names, const platform::TNameCollator* collator)
{
    std::vector<TFoundRow> rows;
    for (const std::string& name : names)
        rows.push_back(MakeRow("/d/" + name));
    std::vector<std::string> sorted;
    for (const std::uint32_t index : SortedOrder(rows, By(TFoundColumn::Name), collator))
        sorted.emplace_back(rows[index].Name());
    return sorted;
}

TEST(LocaleOrder, CAndPosixLocalesKeepTheProgramsOwnOrder)
{
    for (const char* locale : {"", "C", "POSIX", "C.UTF-8"})
        EXPECT_EQ(platform::TNameCollator::ForLocale(locale), nullptr) << locale;
    ASSERT_NE(platform::TNameCollator::ForLocale("de_DE.UTF-8@euro"), nullptr);
}

// In a German locale an umlaut sorts beside its base letter, not after "z"; numbers still go by
// their value and case does not count.
TEST(LocaleOrder, LettersBeyondAsciiSortAmongTheirKin)
{
    const auto german = platform::TNameCollator::ForLocale("de_DE.UTF-8");
    ASSERT_NE(german, nullptr);
    const std::vector<std::string> names = {"zebra.txt", "\xC3\x84pfel.txt", "Apfel10.txt", "apfel2.txt", "Bach.txt", "\xC3\xBC" "ber.txt"};
    EXPECT_EQ(NamesSorted(names, german.get()),
              (std::vector<std::string>{"\xC3\x84pfel.txt", "apfel2.txt", "Apfel10.txt", "Bach.txt", "\xC3\xBC" "ber.txt", "zebra.txt"}));
    EXPECT_EQ(NamesSorted(names, nullptr).back(), "\xC3\xBC" "ber.txt");  // bytes: after "z"

    // Swedish puts "ä" after "z": the locale decides, not a rule of the program's own.
    const auto swedish = platform::TNameCollator::ForLocale("sv_SE.UTF-8");
    ASSERT_NE(swedish, nullptr);
    EXPECT_EQ(NamesSorted({"\xC3\xA4ta", "zebra", "apa"}, swedish.get()), (std::vector<std::string>{"apa", "zebra", "\xC3\xA4ta"}));
}

// The key shortcut and the skipped shared start must give exactly a stable sort by the
// collator's own comparison, names that are not UTF-8 included.
TEST(LocaleOrder, AgreesWithAStableSortByTheCollator)
{
    const auto collator = platform::TNameCollator::ForLocale("de_DE.UTF-8");
    ASSERT_NE(collator, nullptr);
    const std::vector<TFoundRow> rows =
        RandomRows({"a", "A", "b", "1", "2", "10", "09", "-", "_", ".", " ", "\xC3\xA4", "\xC3\x84", "\xC3\x9F", "ss",
                    "\xD1\x80", "\xFF", "long name part ", "zz", "0", "/"},
                   "/base/dir/", 9, 23);
    ExpectStableSortBy(
        rows, [&](std::string_view a, std::string_view b) { return collator->Compare(a, b); }, collator.get());
}

} // namespace
