#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "TempTree.h"
#include "platform/FileSystem.h"

namespace {

const FileEntry* Find(const std::vector<FileEntry>& entries, const std::string& name)
{
    auto it = std::find_if(entries.begin(), entries.end(), [&](const FileEntry& e) { return e.Name == name; });
    return it == entries.end() ? nullptr : &*it;
}

TEST(ListDirectory, ListsDotEntriesAndEveryKindWithItsAttributes)
{
    TempTree tree;
    tree.File("plain.txt", "12345");
    tree.File(".hidden", "x");
    const std::string readOnly = tree.File("readonly.txt", "r");
    chmod(readOnly.c_str(), 0444);
    tree.Dir("sub");
    ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0644), 0);
    ASSERT_EQ(symlink("sub", tree.Path("link_to_dir").c_str()), 0);
    ASSERT_EQ(symlink("plain.txt", tree.Path("link_to_file").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", tree.Path("dangling").c_str()), 0);

    const auto entries = platform::ListDirectory(tree.Root());
    ASSERT_EQ(entries.size(), 10u);

    struct Expected { const char* name; std::uint32_t attributes; bool link; };
    const Expected table[] = {
        {".", faDirectory, false},
        {"..", faDirectory, false},
        {"plain.txt", faArchive, false},
        {".hidden", faArchive | faHidden, false},
        {"readonly.txt", faArchive | faReadOnly, false},
        {"sub", faDirectory, false},
        {"fifo", faSysFile, false},
        {"link_to_dir", faDirectory, true},
        {"link_to_file", faArchive, true},
        {"dangling", faArchive, true},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.name);
        const FileEntry* entry = Find(entries, e.name);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->Attributes & ~faReadOnly, e.attributes & ~faReadOnly);
        EXPECT_EQ((entry->Attributes & faReadOnly) != 0, (e.attributes & faReadOnly) != 0);
        EXPECT_EQ(entry->IsSymbolicLink, e.link);
    }
    EXPECT_EQ(Find(entries, "link_to_file")->Size, 5);  // the target's size
    EXPECT_EQ(Find(entries, "dangling")->Size, 7);      // the link's own: "nowhere"
}

TEST(ListDirectory, KeepsNamesThatAreNotUtf8)
{
    TempTree tree;
    const std::string name = "bad\xff\xfe name";
    tree.File(name, "x");
    const auto entries = platform::ListDirectory(tree.Root());
    EXPECT_NE(Find(entries, name), nullptr);
}

TEST(ListDirectory, ReportsExactSizeOfSparseFileAbove4GiB)
{
    TempTree tree;
    const std::int64_t size = 3LL * 1024 * 1024 * 1024 + 17;
    tree.SizedFile("big.bin", size);
    const auto entries = platform::ListDirectory(tree.Root());
    ASSERT_NE(Find(entries, "big.bin"), nullptr);
    EXPECT_EQ(Find(entries, "big.bin")->Size, size);
}

TEST(ListDirectory, TimesAreTicksSince1601)
{
    TempTree tree;
    const std::string path = tree.File("dated", "x");
    const timespec times[2] = {{1000000000, 0}, {1234567890, 500}};  // atime, mtime
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    const auto entry = platform::LookupEntry(path);
    ASSERT_TRUE(entry);
    constexpr std::uint64_t kEpoch = 116444736000000000ULL;
    EXPECT_EQ(entry->LastWriteTime, kEpoch + 12345678900000000ULL + 5);
    EXPECT_EQ(entry->LastAccessTime, kEpoch + 10000000000000000ULL);
    EXPECT_GT(entry->CreationTime, kEpoch);
}

// Listing by name: a regular file (and with NamesOnly a directory) is known by name and kind,
// everything else as a stat of its path knows it, links included, whose target the listing asks
// first. Until one stat in the directory has worked, every name is stat'ed.
TEST(ListDirectory, ListingByNameLeavesFilesOrDirectoriesUnstatedAndKnowsTheRest)
{
    TempTree tree;
    for (int i = 0; i < 20; ++i)
        tree.File("file" + std::to_string(i), std::string(static_cast<std::size_t>(i), 'x'));
    tree.File(".hidden", "x");
    tree.Dir("sub");
    tree.Dir(".hidden_dir");
    ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0644), 0);
    ASSERT_EQ(symlink("file3", tree.Path("link_to_file").c_str()), 0);
    ASSERT_EQ(symlink("sub", tree.Path("link_to_dir").c_str()), 0);
    ASSERT_EQ(symlink("link_to_file", tree.Path("link_to_link").c_str()), 0);
    ASSERT_EQ(symlink("fifo", tree.Path("link_to_fifo").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", tree.Path("dangling").c_str()), 0);

    struct Case { platform::TEntryFacts facts; int unstatedDirectories; };
    // Only the first name is stat'ed before the others may be left unstated: of two directories,
    // one at least is.
    for (const Case c : {Case{platform::TEntryFacts::All, 0}, Case{platform::TEntryFacts::NamesOfFiles, 0},
                         Case{platform::TEntryFacts::NamesOnly, 1}}) {
        SCOPED_TRACE(static_cast<int>(c.facts));
        const platform::TDirectoryListing names = platform::ReadDirectoryPart(
            platform::TDirectoryHandle::Open(tree.Root()), SIZE_MAX, [] { return true; }, c.facts);
        EXPECT_EQ(names.Entries.size(), 20u + 9u + 2u);
        EXPECT_EQ(names.UnknownCount, 0);
        int statedFiles = 0;
        int unstatedDirectories = 0;
        for (const FileEntry& entry : names.Entries) {
            SCOPED_TRACE(entry.Name);
            if (platform::IsDotName(entry.Name))
                continue;
            const std::optional<FileEntry> known = platform::LookupEntry(tree.Path(entry.Name));
            ASSERT_TRUE(known);
            EXPECT_EQ(entry.IsDirectory(), known->IsDirectory());
            EXPECT_EQ(entry.IsSymbolicLink, known->IsSymbolicLink);
            EXPECT_EQ(entry.Mode & S_IFMT, known->Mode & S_IFMT);
            EXPECT_EQ(entry.Attributes & faHidden, known->Attributes & faHidden);
            if (entry.FactsKnown) {
                EXPECT_EQ(entry.Size, known->Size);
                EXPECT_EQ(entry.LastWriteTime, known->LastWriteTime);
                EXPECT_EQ(entry.Attributes, known->Attributes);
                EXPECT_EQ(entry.OwnerId, known->OwnerId);
                statedFiles += entry.Name.starts_with("file") ? 1 : 0;
            } else {
                EXPECT_NE(c.facts, platform::TEntryFacts::All);
                EXPECT_TRUE(platform::IsListedRegular(entry) || entry.IsDirectory());
                EXPECT_FALSE(entry.IsSymbolicLink);
                unstatedDirectories += entry.IsDirectory() ? 1 : 0;
            }
        }
        if (c.facts != platform::TEntryFacts::All) {
            EXPECT_LE(statedFiles, 1);
        }
        EXPECT_GE(unstatedDirectories, c.unstatedDirectories);
        if (c.facts != platform::TEntryFacts::NamesOnly) {
            EXPECT_EQ(unstatedDirectories, 0);
        }
    }
}

TEST(ListDirectory, NamesInADirectoryThatCannotBeSearchedAreUnknown)
{
    // Without privileges, as root looks up names in any directory.
    const auto answer = RunInChild([]() -> std::optional<std::string> {
        if (!DropPrivileges())
            return std::nullopt;
        TempTree tree;
        const std::string listedOnly = tree.Dir("listed_only");
        for (int i = 0; i < 5; ++i)
            tree.File("listed_only/f" + std::to_string(i), "x");
        tree.Dir("listed_only/sub");
        chmod(listedOnly.c_str(), 0444);
        std::string seen;
        for (const platform::TEntryFacts facts :
             {platform::TEntryFacts::All, platform::TEntryFacts::NamesOfFiles, platform::TEntryFacts::NamesOnly}) {
            const platform::TDirectoryListing listing = platform::ReadDirectoryPart(
                platform::TDirectoryHandle::Open(listedOnly), SIZE_MAX, [] { return true; }, facts);
            seen += std::to_string(listing.Entries.size()) + " " + std::to_string(listing.UnknownCount) + ";";
        }
        chmod(listedOnly.c_str(), 0755);
        return seen;
    });
    if (!answer)
        GTEST_SKIP() << "no user without privileges to run as";
    EXPECT_EQ(*answer, "2 6;2 6;2 6;");  // "." and ".." listed, the five files and sub unknown
}

TEST(ListDirectory, MissingOrUnreadableDirectoryGivesNothing)
{
    TempTree tree;
    EXPECT_TRUE(platform::ListDirectory(tree.Path("missing")).empty());
    const std::string locked = tree.Dir("locked");
    tree.File("locked/inside", "x");
    chmod(locked.c_str(), 0);
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads any directory";
    EXPECT_TRUE(platform::ListDirectory(locked).empty());
}

TEST(LookupEntry, FindsFilesAndDirectoriesButNotMissingPaths)
{
    TempTree tree;
    tree.File(" padded ", "abc");
    const auto padded = platform::LookupEntry(tree.Path(" padded "));
    ASSERT_TRUE(padded);
    EXPECT_EQ(padded->Name, " padded ");
    EXPECT_EQ(padded->Size, 3);
    EXPECT_FALSE(platform::LookupEntry(tree.Path("padded")));
    EXPECT_FALSE(platform::LookupEntry(""));
    const auto dir = platform::LookupEntry(tree.Dir("d"));
    ASSERT_TRUE(dir);
    EXPECT_TRUE(dir->IsDirectory());
}

// A found file deeper than one call's path takes still gets its size.
TEST(LookupEntry, FindsAFileBelowAPathLongerThanTheSystemTakesInOneCall)
{
    TempTree tree;
    const std::string name(200, 'd');
    std::vector<int> levels{open(tree.Root().c_str(), O_RDONLY | O_DIRECTORY)};
    std::string path = tree.Root();
    while (path.size() <= 2 * PATH_MAX) {
        ASSERT_EQ(mkdirat(levels.back(), name.c_str(), 0755), 0);
        levels.push_back(openat(levels.back(), name.c_str(), O_RDONLY | O_DIRECTORY));
        path += "/" + name;
    }
    const int file = openat(levels.back(), "bottom.txt", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(write(file, "12345", 5), 5);
    close(file);

    const auto bottom = platform::LookupEntry(path + "/bottom.txt");
    ASSERT_TRUE(bottom);
    EXPECT_EQ(bottom->Size, 5);
    EXPECT_FALSE(platform::LookupEntry(path + "/missing.txt"));

    unlinkat(levels.back(), "bottom.txt", 0);
    for (std::size_t level = levels.size() - 1; level > 0; --level) {
        close(levels[level]);
        unlinkat(levels[level - 1], name.c_str(), AT_REMOVEDIR);
    }
    close(levels.front());
}

// The walk takes a directory read ahead only when its path still leads to the very directory read.
// The directory's own bits tell that its names may be looked up only to its owner, whose bits an
// access list keeps as they are; anyone else is found out by a stat of a name.
TEST(DirectoryHandle, FactsTellItsOwnerThatItMaySearchTheDirectory)
{
    TempTree tree;
    const auto dir = platform::TDirectoryHandle::Open(tree.Dir("d"));
    const std::optional<platform::TDirectoryFacts> facts = dir.Facts();
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->Identity, dir.Identity());
    EXPECT_EQ(facts->OwnerId, platform::EffectiveUserId());
    EXPECT_TRUE(S_ISDIR(facts->Mode));
    EXPECT_FALSE(platform::TDirectoryHandle().Facts());

    struct Case { std::uint32_t owner; std::uint32_t mode; bool surely; };
    const std::uint32_t me = 1000;
    for (const Case c : {Case{me, S_IFDIR | 0700, true}, Case{me, S_IFDIR | 0100, true},
                         Case{me, S_IFDIR | 0677, false}, Case{me + 1, S_IFDIR | 0777, false},
                         Case{me + 1, S_IFDIR | 0711, false}}) {
        EXPECT_EQ(platform::OwnerMaySearch({{}, c.owner, c.mode}, me), c.surely) << c.owner << ' ' << std::oct << c.mode;
    }

    // Known searchable, a directory's files are not stat'ed, not even the first.
    for (int i = 0; i < 3; ++i)
        tree.File("d/f" + std::to_string(i));
    platform::TEntryLookup lookup(dir, platform::TEntryFacts::NamesOnly, true);
    for (const platform::TListedName& name : {platform::TListedName{"f0", platform::TListedKind::Regular},
                                              platform::TListedName{"f1", platform::TListedKind::Regular}})
        EXPECT_FALSE(lookup.Entry(name)->FactsKnown);
}

TEST(DirectoryHandle, IdentityBelowNamesWhatThePathLeadsToNow)
{
    TempTree tree;
    tree.Dir("a/b");
    tree.Dir("c");
    ASSERT_EQ(symlink("c", tree.Path("link").c_str()), 0);
    const auto root = platform::TDirectoryHandle::Open(tree.Root());
    const auto b = root.OpenBelow("a/b").Identity();
    ASSERT_TRUE(b);
    EXPECT_EQ(root.IdentityBelow("a/b"), b);
    EXPECT_NE(root.IdentityBelow("a"), b);
    EXPECT_EQ(root.OpenBelow("a").IdentityBelow("b"), b);
    EXPECT_TRUE(root.IdentityBelow("c"));
    EXPECT_FALSE(root.IdentityBelow("link"));  // a link is never followed, at the end ...
    ASSERT_EQ(symlink("a", tree.Path("to_a").c_str()), 0);
    EXPECT_FALSE(root.IdentityBelow("to_a/b"));  // ... nor on the way
    tree.File("a/file");
    EXPECT_FALSE(root.IdentityBelow("a/file"));
    EXPECT_FALSE(root.IdentityBelow("missing"));
    EXPECT_FALSE(root.IdentityBelow(""));

    ASSERT_EQ(rename(tree.Path("a/b").c_str(), tree.Path("moved").c_str()), 0);
    ASSERT_EQ(mkdir(tree.Path("a/b").c_str(), 0755), 0);
    EXPECT_NE(root.IdentityBelow("a/b"), b);  // another directory of the same name
    EXPECT_EQ(root.IdentityBelow("moved"), b);
    EXPECT_FALSE(platform::TDirectoryHandle().IdentityBelow("a"));
}

TEST(Paths, TrailingSlashAndNamePart)
{
    EXPECT_EQ(platform::WithTrailingSlash("/a/b"), "/a/b/");
    EXPECT_EQ(platform::WithTrailingSlash("/a/b/"), "/a/b/");
    EXPECT_EQ(platform::FileNamePart("/a/b.txt"), "b.txt");
    EXPECT_EQ(platform::FileNamePart("b.txt"), "b.txt");
}

TEST(Directories, CreateWithParentsAndRestoreWorkingDirectory)
{
    TempTree tree;
    const std::string before = platform::CurrentDirectory();
    {
        platform::TWorkingDirectoryGuard guard;
        ASSERT_TRUE(platform::CreateDirectories(tree.Path("x/y/z")));
        EXPECT_TRUE(platform::DirectoryExists(tree.Path("x/y/z")));
        platform::SetCurrentDirectory(tree.Path("x/y"));
        EXPECT_NE(platform::CurrentDirectory(), before);
    }
    EXPECT_EQ(platform::CurrentDirectory(), before);
    EXPECT_THROW(platform::SetCurrentDirectory(tree.Path("missing")), std::runtime_error);
}

TEST(Directories, DefaultStartPathIsHomeWithSlash)
{
    const std::string saved = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(platform::DefaultStartPath(), "/home/someone/");
    unsetenv("HOME");
    EXPECT_EQ(platform::DefaultStartPath(), "/");
    setenv("HOME", saved.c_str(), 1);
}

} // namespace

namespace {

// Shows every byte outside ASCII as '?', as a text widget shows what it cannot decode.
std::string AsciiShown(const std::string& name)
{
    std::string shown = name;
    std::replace_if(shown.begin(), shown.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }, '?');
    return shown;
}

struct ShownPathCase {
    const char* shown;                 // below the temporary root
    std::optional<std::string> real;  // below the temporary root; nothing: not found
};

} // namespace

TEST(PathShownAs, RecoversTheBytesOfNamesShownWithReplacements)
{
    TempTree tree;
    tree.File("a\xFF/in\xFE.txt");
    tree.Dir("plain/b\xFE");
    tree.Dir("plain/b\xFD");
    tree.Dir("plain/c?");
    tree.Dir("plain/c\xFF");
    const ShownPathCase cases[] = {
        {"a?", "a\xFF"},
        {"a?/", "a\xFF/"},
        {"a?/in?.txt", "a\xFF/in\xFE.txt"},
        {"plain/", "plain/"},
        {"plain/c?", "plain/c?"},  // a name that exists as shown is taken as it is
        {"plain/b?", std::nullopt},  // two names look alike
        {"plain/x?", std::nullopt},
        {"missing/a?", std::nullopt},
    };
    for (const ShownPathCase& c : cases) {
        SCOPED_TRACE(c.shown);
        const std::optional<std::string> real = platform::PathShownAs(tree.Path(c.shown), AsciiShown);
        if (c.real)
            EXPECT_EQ(real, tree.Path(*c.real));
        else
            EXPECT_EQ(real, std::nullopt);
    }
}

namespace {

// The place of the entry index in the directory reached through the entries at directory, from
// the top down; every call builds a path of its own.
platform::TWalkPlace At(const std::vector<std::uint32_t>& directory, std::uint32_t index)
{
    platform::TWalkPlace::TDirectory place;
    for (const std::uint32_t step : directory)
        place = platform::TWalkPlace{place, step}.Below();
    return {place, index};
}

} // namespace

// Places sort as a depth-first walk takes the entries up: an entry of a subdirectory after the
// subdirectory and before what follows it, deeper levels likewise, a later scan after an earlier.
TEST(WalkPlace, OrdersEntriesAsADepthFirstWalkTakesThemUp)
{
    const platform::TWalkPlace inWalkOrder[] = {
        At({}, 0),
        At({0}, 0),
        At({0}, 1),             // the subdirectory 1 of the start
        At({0, 1}, 0),          // in it
        At({0, 1}, 7),          // its subdirectory 7
        At({0, 1, 7}, 0),
        At({0, 1, 7}, 12),
        At({0, 1}, 8),          // after that subdirectory
        At({0}, 2),             // after the subdirectory 1
        At({0, 10}, 0),         // 10 comes after 2 as a number, not as text
        At({1}, 0),             // the next scan
    };
    for (std::size_t i = 0; i < std::size(inWalkOrder); ++i) {
        for (std::size_t j = 0; j < std::size(inWalkOrder); ++j) {
            EXPECT_EQ(inWalkOrder[i] < inWalkOrder[j], i < j) << i << " against " << j;
            EXPECT_EQ(inWalkOrder[i] == inWalkOrder[j], i == j) << i << " against " << j;
        }
    }
    // The same places reached through a path they share.
    const platform::TWalkPlace::TDirectory shared = At({0}, 1).Below();
    const platform::TWalkPlace::TDirectory sharedDeeper = platform::TWalkPlace{shared, 7}.Below();
    EXPECT_TRUE((platform::TWalkPlace{shared, 7}) == At({0, 1}, 7));
    EXPECT_TRUE((platform::TWalkPlace{sharedDeeper, 12}) == At({0, 1, 7}, 12));
    EXPECT_TRUE((platform::TWalkPlace{sharedDeeper, 0}) < (platform::TWalkPlace{shared, 8}));
    EXPECT_TRUE((platform::TWalkPlace{shared, 7}) < (platform::TWalkPlace{sharedDeeper, 0}));
    EXPECT_FALSE((platform::TWalkPlace{sharedDeeper, 0}) < (platform::TWalkPlace{shared, 7}));
}
