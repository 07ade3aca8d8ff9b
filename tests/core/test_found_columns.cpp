#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/found_columns.h"
#include "core/found_rows.h"
#include "platform/FileSystem.h"

namespace {

TEST(FoundColumns, PermissionsReadAsLsShowsThem)
{
    const struct {
        std::uint32_t mode;
        const char* text;
    } cases[] = {
        {S_IFREG | 0644, "-rw-r--r--"},
        {S_IFDIR | 0755, "drwxr-xr-x"},
        {S_IFLNK | 0777, "lrwxrwxrwx"},
        {S_IFREG | 04755, "-rwsr-xr-x"},
        {S_IFREG | 04644, "-rwSr--r--"},
        {S_IFDIR | 02770, "drwxrws---"},
        {S_IFDIR | 01777, "drwxrwxrwt"},
        {S_IFDIR | 01770, "drwxrwx--T"},
        {S_IFIFO | 0600, "prw-------"},
        {S_IFSOCK | 0, "s---------"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PermissionsText(c.mode), c.text) << std::oct << c.mode;
}

TEST(FoundColumns, TheExtensionIsWhatFollowsTheLastDot)
{
    const struct {
        const char* name;
        const char* extension;
    } cases[] = {
        {"a.txt", "txt"}, {"archive.tar.gz", "gz"}, {"README", ""}, {".profile", ""},
        {".config.bak", "bak"}, {"ends.", ""}, {"caf\xE9.T\xE9X", "T\xE9X"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtensionOf(c.name), c.extension) << c.name;
}

TEST(FoundColumns, TheShownColumnsSurviveTheirSettingsText)
{
    const std::vector<TFoundColumn> shown = {TFoundColumn::Owner, TFoundColumn::Modified, TFoundColumn::Extension};
    EXPECT_EQ(ShownColumnsText(shown), "Owner;Modified;Extension");
    EXPECT_EQ(ParseShownColumns(ShownColumnsText(shown)), shown);
    // The fixed columns and unknown or damaged names are left out.
    EXPECT_EQ(ParseShownColumns("File name;Colour;;Type;"), (std::vector<TFoundColumn>{TFoundColumn::Type}));
    EXPECT_TRUE(ParseShownColumns("").empty());
}

TEST(FoundColumns, CellTextsOfTheOptionalColumns)
{
    TFoundRow row;
    row.Path = "/d/photo.PNG";
    row.NameOffset = 3;
    row.Mode = S_IFREG | 0640;
    row.OwnerId = 0;
    row.LastWriteTime = 116444736000000000ull + (3600ull * 13 + 60 * 7) * 10000000ull;  // 1970-01-01 13:07 UTC
    EXPECT_EQ(FoundCellText(row, TFoundColumn::Name), "photo.PNG");
    EXPECT_EQ(FoundCellText(row, TFoundColumn::Extension), "PNG");
    EXPECT_EQ(FoundCellText(row, TFoundColumn::Permissions), "-rw-r-----");
    EXPECT_EQ(FoundCellText(row, TFoundColumn::Owner), "root");
    EXPECT_NE(FoundCellText(row, TFoundColumn::Type), "");
    EXPECT_TRUE(FoundCellText(row, TFoundColumn::Modified).ends_with(" 13:07")) << FoundCellText(row, TFoundColumn::Modified);
}

FileEntry Entry(std::int64_t size, std::uint64_t written, std::uint32_t mode, std::uint32_t owner)
{
    FileEntry entry;
    entry.Size = size;
    entry.LastWriteTime = written;
    entry.LastAccessTime = 1000 - written;
    entry.Mode = mode;
    entry.OwnerId = owner;
    return entry;
}

std::vector<std::string> Shown(const TFoundRows& rows)
{
    std::vector<std::string> paths;
    for (int i = 0; i < rows.Count(); ++i)
        paths.push_back(rows.At(i).Path);
    return paths;
}

struct SortCase {
    TFoundColumn column;
    bool descending;
    std::vector<std::string> expected;
};

TEST(FoundColumns, EveryOptionalColumnSorts)
{
    TFoundRows rows;
    rows.Append(Entry(1, 30, S_IFREG | 0644, 0), "/d/b.txt");
    rows.Append(Entry(2, 10, S_IFREG | 0755, 0), "/d/a.PNG");
    rows.Append(Entry(3, 20, S_IFREG | 0600, 0), "/d/c.doc");
    const SortCase cases[] = {
        {TFoundColumn::Modified, false, {"/d/a.PNG", "/d/c.doc", "/d/b.txt"}},
        {TFoundColumn::Accessed, false, {"/d/b.txt", "/d/c.doc", "/d/a.PNG"}},
        {TFoundColumn::Extension, false, {"/d/c.doc", "/d/a.PNG", "/d/b.txt"}},
        {TFoundColumn::Extension, true, {"/d/b.txt", "/d/a.PNG", "/d/c.doc"}},
        {TFoundColumn::Permissions, false, {"/d/c.doc", "/d/b.txt", "/d/a.PNG"}},
        {TFoundColumn::Owner, false, {"/d/b.txt", "/d/a.PNG", "/d/c.doc"}},  // all equal: found order
        {TFoundColumn::Owner, true, {"/d/b.txt", "/d/a.PNG", "/d/c.doc"}},
    };
    for (const SortCase& c : cases) {
        rows.SetSort({true, c.column, c.descending});
        rows.ApplySort();
        EXPECT_EQ(Shown(rows), c.expected) << static_cast<int>(c.column) << (c.descending ? " down" : " up");
    }
}

TEST(QuickFilter, TheNeedleIsFoundInPathsWithoutRegardToAsciiCase)
{
    const struct {
        const char* needle;
        const char* text;
        bool found;
    } cases[] = {
        {"", "anything", true},       {"TXT", "/d/a.txt", true},  {"d/A", "/d/a.txt", true},
        {"a.txtx", "/d/a.txt", false}, {"aa", "a", false},         {"\xC3\xA9", "/caf\xC3\xA9", true},
        {"\xC3\x89", "/caf\xC3\xA9", false},  // letters beyond ASCII compare exactly
        {"ab", "aab", true},          {"aab", "aaab", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFoldedNeedle(c.needle).IsIn(c.text), c.found) << c.needle << " in " << c.text;
}

TEST(QuickFilter, NarrowsWidensFollowsTheOrderAndFiltersRowsThatArriveLater)
{
    TFoundRows rows;
    FileEntry entry;
    for (const char* path : {"/x/report.txt", "/x/Photo.jpg", "/y/report.doc", "/y/notes.TXT"})
        rows.Append(entry, path);
    rows.SetQuickFilter("rep");
    EXPECT_EQ(Shown(rows), (std::vector<std::string>{"/x/report.txt", "/y/report.doc"}));
    EXPECT_EQ(rows.Total(), 4);
    rows.SetQuickFilter("repo");  // typing on looks at the shown rows only
    EXPECT_EQ(rows.Count(), 2);
    rows.SetQuickFilter("txt");   // another text looks at all of them again
    EXPECT_EQ(Shown(rows), (std::vector<std::string>{"/x/report.txt", "/y/notes.TXT"}));
    EXPECT_EQ(rows.PositionOf(3), 1);
    EXPECT_EQ(rows.PositionOf(1), -1);

    rows.SetSort({true, TFoundColumn::Name, false});
    rows.ApplySort();
    EXPECT_EQ(Shown(rows), (std::vector<std::string>{"/y/notes.TXT", "/x/report.txt"}));
    rows.Append(entry, "/z/a.txt");
    rows.Append(entry, "/z/b.jpg");
    EXPECT_EQ(Shown(rows), (std::vector<std::string>{"/y/notes.TXT", "/x/report.txt", "/z/a.txt"}));

    rows.SetQuickFilter("");
    EXPECT_EQ(rows.Count(), 6);
    EXPECT_EQ(rows.At(0).Path, "/z/a.txt");  // clearing the filter shows every row in the chosen order
    rows.Clear();
    rows.SetQuickFilter("jpg");
    rows.Append(entry, "/n/new.jpg");
    EXPECT_EQ(Shown(rows), (std::vector<std::string>{"/n/new.jpg"}));
}


// The filters are applied step by step as a user types, renames and deletes; after each step that
// applies them, the list shows what a list made afresh from the same rows, order and filters shows.
TEST(QuickFilter, TypingOnAndBackOnASortedListShowsWhatAFreshListShows)
{
    enum class Step { Filter, NameBox, Append, RenameFirst, RemoveFirst };
    const struct {
        Step step;
        const char* text;
    } steps[] = {
        {Step::Filter, "r"},          {Step::Filter, "re"},        {Step::Filter, "rep"},
        {Step::Filter, "REPO"},       {Step::Filter, "rep"},       {Step::Filter, ""},
        {Step::Filter, "txt"},        {Step::Filter, "t"},         {Step::Filter, "xt"},
        {Step::NameBox, "*.doc"},     {Step::Filter, "x"},         {Step::NameBox, ""},
        {Step::Filter, "x/"},         {Step::Append, "/x/zz.txt"}, {Step::Filter, "x/z"},
        {Step::Filter, "x/"},         {Step::RenameFirst, "/y/renamed.bin"},
        {Step::Filter, "x"},          {Step::Filter, "e"},         {Step::RemoveFirst, ""},
        {Step::Filter, "ep"},         {Step::Filter, "e"},         {Step::Filter, "photo"},
    };
    std::vector<std::string> paths{"/x/report.txt", "/x/Photo.jpg", "/y/report.doc", "/y/notes.TXT",
                                   "/x/repo.doc",   "/y/a.txt",     "/x/text.md"};
    const TFoundSort byName{true, TFoundColumn::Name, false};
    FileEntry entry;
    TFoundRows rows;
    for (const std::string& path : paths)
        rows.Append(entry, path);
    rows.SetSort(byName);
    rows.ApplySort();
    std::string needle;
    std::string nameBox;
    for (const auto& s : steps) {
        switch (s.step) {
        case Step::Filter:
            needle = s.text;
            rows.SetQuickFilter(needle);
            break;
        case Step::NameBox:
            nameBox = s.text;
            rows.SetNameFilter(TNameFilter(nameBox));
            rows.ApplySort();
            break;
        case Step::Append:
            paths.emplace_back(s.text);
            rows.Append(entry, s.text);
            continue;
        case Step::RenameFirst:
            ASSERT_GT(rows.Count(), 0);
            paths[rows.RowIndex(0)] = s.text;
            rows.Rename(rows.RowIndex(0), s.text);
            continue;
        case Step::RemoveFirst:
            ASSERT_GT(rows.Count(), 0);
            paths.erase(paths.begin() + rows.RowIndex(0));
            rows.Remove({rows.RowIndex(0)});
            continue;
        }
        TFoundRows fresh;
        for (const std::string& path : paths)
            fresh.Append(entry, path);
        fresh.SetSort(byName);
        fresh.SetNameFilter(TNameFilter(nameBox));
        fresh.SetQuickFilter(needle);
        EXPECT_EQ(Shown(rows), Shown(fresh)) << "filter \"" << needle << "\", name box \"" << nameBox << '"';
    }
}

} // namespace
