#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <thread>
#include <functional>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "TempTree.h"
#include "core/SearchWalk.h"

namespace {

// Records what the walk asked, and refuses what the test tells it to.
class RecordingHost : public TWalkHost {
public:
    std::vector<std::string> found;
    std::vector<std::string> directoriesAsked;
    std::function<bool(const std::string&)> directoryPasses = [](const std::string&) { return true; };
    std::function<bool(const std::string&)> filePasses = [](const std::string&) { return true; };
    std::function<void()> onEvents = [] {};
    int eventRuns = 0;

    void LetEventsRun() override
    {
        ++eventRuns;
        onEvents();
    }
    bool DirectoryPasses(const FileEntry&, const std::string& path) override
    {
        directoriesAsked.push_back(path);
        return directoryPasses(path);
    }
    bool FilePassesKrellers(const FileEntry&, const std::string& path) override { return filePasses(path); }
    void AddFoundFile(const FileEntry&, const std::string& path) override { found.push_back(path); }
    using TListed = std::function<bool(const std::string&, std::span<const FileEntry>, const platform::TWalkPlace&)>;
    TListed listed = [](auto&, auto, auto&) { return true; };
    bool listsAhead = false;
    bool EntriesListed(const std::string& dir, std::span<const FileEntry> entries,
                       const platform::TWalkPlace& first) override
    {
        return listed(dir, entries, first);
    }
    bool ListsAhead() override { return listsAhead; }
    std::function<bool(const std::string&)> mayListAhead = [](const std::string&) { return true; };
    bool MayListAhead(const FileEntry&, const std::string& path) override { return mayListAhead(path); }
};

// Every test runs without workers and with them: the walk's contract is the same.
struct WalkFixture : ::testing::TestWithParam<unsigned> {
    TempTree tree;
    RecordingHost host;
    TSearchWalk walk{host};

    WalkFixture()
    {
        walk.EventInterval = {};  // events at every entry, as the walk's points are tested
        walk.Workers = GetParam();
        walk.LookAhead = TSearchWalk::TLookAhead::AtOnce;  // the workers' part of the contract
    }
    std::vector<std::string> SortedFound() const
    {
        auto sorted = host.found;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }
};

TEST_P(WalkFixture, CountsEveryEntryAndFindsEveryFile)
{
    tree.File("a.txt");
    tree.File("sub/b.txt");
    tree.File("sub/deeper/c.txt");
    walk.ScanDirectory(tree.Root());
    // root: . .. a.txt sub; sub: . .. b.txt deeper; deeper: . .. c.txt
    EXPECT_EQ(walk.TotalCount, 11);
    EXPECT_EQ(walk.FoundCount, 3);
    EXPECT_EQ(SortedFound(), (std::vector<std::string>{tree.Path("a.txt"), tree.Path("sub/b.txt"),
                                                        tree.Path("sub/deeper/c.txt")}));
}

TEST_P(WalkFixture, StartPathWithoutTrailingSlashGivesTheSamePaths)
{
    tree.File("sub/b.txt");
    std::string root = tree.Root();
    root.pop_back();
    walk.ScanDirectory(root + "/sub");
    EXPECT_EQ(host.found, (std::vector<std::string>{tree.Path("sub/b.txt")}));
}

TEST_P(WalkFixture, RefusedDirectoryIsNotEnteredButStartPathItselfIsNotTested)
{
    tree.File("skip/inner/x.txt");
    tree.File("keep/y.txt");
    host.directoryPasses = [&](const std::string& path) { return path != tree.Path("skip"); };
    walk.ScanDirectory(tree.Path("skip"));  // a refused directory given as start path is scanned
    EXPECT_EQ(host.found, (std::vector<std::string>{tree.Path("skip/inner/x.txt")}));
    host.found.clear();
    walk.ScanDirectory(tree.Root());
    EXPECT_EQ(host.found, (std::vector<std::string>{tree.Path("keep/y.txt")}));
    EXPECT_EQ(std::count(host.directoriesAsked.begin(), host.directoriesAsked.end(), tree.Root()), 0);
}

TEST_P(WalkFixture, FilesRefusedByTheChainAreCountedButNotFound)
{
    tree.File("a.txt");
    tree.File("b.log");
    host.filePasses = [](const std::string& path) { return path.ends_with(".txt"); };
    walk.ScanDirectory(tree.Root());
    EXPECT_EQ(host.found.size(), 1u);
    EXPECT_EQ(walk.FoundCount, 1);
    EXPECT_EQ(walk.TotalCount, 4);
}

TEST_P(WalkFixture, StopEndsAfterTheCurrentEntryAtEveryLevel)
{
    for (int i = 0; i < 5; ++i)
        tree.File("sub/f" + std::to_string(i));
    tree.File("z_after");
    host.onEvents = [&] {
        if (walk.CurrentPath.find("/sub/f") != std::string::npos)
            walk.StopRequested = true;
    };
    walk.ScanDirectory(tree.Root());
    ASSERT_EQ(host.found.size(), 1u);  // the entry being examined is still finished
    EXPECT_NE(host.found[0].find("/sub/f"), std::string::npos);
}

// Every file is listed before it is asked for, at a place in the walk's order: the places of the
// files asked for rise, and a path listed again keeps its place. Whether or not entries of
// subdirectories are told before the walk enters them.
TEST_P(WalkFixture, ListsEveryFileBeforeItIsAskedForAtItsPlaceInTheWalk)
{
    for (int d = 0; d < 3; ++d) {
        for (int f = 0; f < 150; ++f)
            tree.File("d" + std::to_string(d) + "/f" + std::to_string(f));
        tree.File("d" + std::to_string(d) + "/inner/deep/g");
    }
    for (const bool listsAhead : {false, true}) {
        host.listsAhead = listsAhead;
        std::map<std::string, platform::TWalkPlace> places;
        host.listed = [&](const std::string& dir, std::span<const FileEntry> entries, const platform::TWalkPlace& first) {
            platform::TWalkPlace place = first;
            for (const FileEntry& entry : entries) {
                const auto [known, added] = places.try_emplace(dir + entry.Name, place);
                EXPECT_TRUE(added || known->second == place) << known->first << " listed at another place";
                ++place.Index;
            }
            return true;
        };
        int asked = 0;
        std::optional<platform::TWalkPlace> last;
        host.filePasses = [&](const std::string& path) {
            ++asked;
            const auto known = places.find(path);
            EXPECT_NE(known, places.end()) << path << " was not listed before it was asked for";
            if (known == places.end())
                return true;
            if (last) {
                EXPECT_TRUE(*last < known->second) << path << " asked for out of the order of places";
            }
            last = known->second;
            return true;
        };
        walk.ScanDirectory(tree.Root());
        EXPECT_EQ(asked, 3 * 151);
    }
}

// The workers' listings of subdirectories are told before the walk enters them, down to
// subdirectories of subdirectories, but for a directory the host will refuse; without a host that
// asks for it, nothing is told early.
TEST_P(WalkFixture, TellsEntriesOfSubdirectoriesReadAheadBeforeEnteringThem)
{
    if (GetParam() == 0)
        GTEST_SKIP() << "only workers read ahead";
    for (const char* dir : {"a", "b", "c"}) {
        tree.File(std::string(dir) + "/f");
        tree.File(std::string(dir) + "/sub/g");
    }
    struct Case {
        bool listsAhead;
        const char* refused;  // told nothing ahead of its turn
    } cases[] = {{false, ""}, {true, ""}, {true, "b"}};
    for (const Case& c : cases) {
        host.listsAhead = c.listsAhead;
        const std::string refused = tree.Path(c.refused);
        host.mayListAhead = [&](const std::string& path) { return !c.refused[0] || path != refused; };
        std::set<std::string> listed;
        host.listed = [&](const std::string& dir, std::span<const FileEntry> entries, const platform::TWalkPlace&) {
            for (const FileEntry& entry : entries)
                listed.insert(dir + entry.Name);
            return true;
        };
        std::vector<std::string> toldEarly;
        host.directoryPasses = [&](const std::string& path) {
            if (listed.count(path + "/f") || listed.count(path + "/g"))
                toldEarly.push_back(path);
            if (host.directoriesAsked.size() == 1)
                std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the workers read the rest meanwhile
            return true;
        };
        host.directoriesAsked.clear();
        walk.ScanDirectory(tree.Root());
        // The first directory and its subdirectory are entered before anything is told; the
        // refused one is told nothing, nor what lies in it.
        std::size_t expected = c.listsAhead ? 4 : 0;
        if (c.refused[0] && host.directoriesAsked.front() != refused)
            expected -= 2;
        EXPECT_EQ(toldEarly.size(), expected) << c.refused << ": " << ::testing::PrintToString(toldEarly);
    }
}

// Each file is told once: a subdirectory told ahead is not told again from its parent nor when
// the walk enters it, unless the host did not take its entries, which are then told on entering.
TEST_P(WalkFixture, TellsEachFileOnceUnlessTheHostDidNotTakeItAhead)
{
    if (GetParam() == 0)
        GTEST_SKIP() << "only workers read ahead";
    for (const char* dir : {"a", "a/b", "a/b/c", "a/b/c/d", "a/b/c/d/e", "x", "x/y"})
        for (int f = 0; f < 3; ++f)
            tree.File(std::string(dir) + "/f" + std::to_string(f));
    host.listsAhead = true;
    for (const bool takesAhead : {true, false}) {
        SCOPED_TRACE(takesAhead ? "the host takes what is told ahead" : "the host takes nothing ahead");
        std::set<std::string> passed{tree.Root()};
        std::map<std::string, int> told;
        int toldAhead = 0;
        host.listed = [&](const std::string& dir, std::span<const FileEntry> entries, const platform::TWalkPlace&) {
            const bool ahead = !passed.count(dir.substr(0, dir.size() - 1));
            toldAhead += ahead ? 1 : 0;
            if (ahead && !takesAhead)
                return false;
            for (const FileEntry& entry : entries)
                if (!entry.IsDirectory())
                    ++told[dir + entry.Name];
            return true;
        };
        host.directoryPasses = [&](const std::string& path) {
            if (passed.size() == 1)
                std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the workers read the rest meanwhile
            passed.insert(path);
            return true;
        };
        walk.ScanDirectory(tree.Root());
        EXPECT_GT(toldAhead, 0);
        for (const auto& [path, times] : told)
            EXPECT_EQ(times, 1) << path;
        EXPECT_EQ(told.size(), 21u);
    }
}

TEST_P(WalkFixture, IgnoreCurrentIsClearedForEveryEntry)
{
    tree.File("a");
    tree.File("b");
    std::vector<bool> seen;
    host.filePasses = [&](const std::string&) {
        seen.push_back(walk.IgnoreCurrent);
        walk.IgnoreCurrent = true;  // the user gives up this file
        return false;
    };
    walk.ScanDirectory(tree.Root());
    EXPECT_EQ(seen, (std::vector<bool>{false, false}));
}

TEST_P(WalkFixture, SymlinkedDirectoriesAreCountedNeverEnteredNorTested)
{
    tree.File("real/x.txt");
    ASSERT_EQ(symlink(tree.Path("real").c_str(), tree.Path("loop").c_str()), 0);
    ASSERT_EQ(symlink(tree.Root().c_str(), tree.Path("real/up").c_str()), 0);
    walk.ScanDirectory(tree.Root());
    EXPECT_EQ(host.found, (std::vector<std::string>{tree.Path("real/x.txt")}));
    EXPECT_EQ(walk.TotalCount, 8);  // root: . .. real loop; real: . .. x.txt up
}

TEST_P(WalkFixture, MissingAndUnreadableDirectoriesGiveNothing)
{
    walk.ScanDirectory(tree.Path("missing"));
    const std::string file = tree.File("plain.txt");
    walk.ScanDirectory(file);
    EXPECT_EQ(walk.TotalCount, 0);
    // A start path that names no directory is told as such, not as a directory that could not be read.
    EXPECT_EQ(walk.MissingStartPaths, (std::vector<std::string>{tree.Path("missing"), file}));
    EXPECT_EQ(walk.Unread.Total, 0);
    walk.ResetCounters();
    EXPECT_TRUE(walk.MissingStartPaths.empty());
    const std::string locked = tree.Dir("locked");
    tree.File("locked/secret.txt");
    chmod(locked.c_str(), 0);
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads any directory";
    walk.ScanDirectory(tree.Root());
    // Only the file beside it is found; the directory counts as one that could not be read.
    EXPECT_EQ(host.found, (std::vector<std::string>{file}));
    EXPECT_EQ(walk.Unread.Total, 1);
    EXPECT_EQ(walk.Unread.Permission, 1);
}

TEST_P(WalkFixture, NamesThatAreNotUtf8KeepTheirBytes)
{
    const std::string name = "caf\xe9.txt";  // Latin-1, not UTF-8
    tree.File("d/" + name);
    walk.ScanDirectory(tree.Root());
    EXPECT_EQ(host.found, (std::vector<std::string>{tree.Path("d/" + name)}));
}

TEST_P(WalkFixture, WalksATreeTwoThousandLevelsDeep)
{
    std::string relative;
    {
        // Made one level at a time from inside, as a path this deep is near what one call takes.
        platform::TWorkingDirectoryGuard restore;
        platform::SetCurrentDirectory(tree.Root());
        for (int level = 0; level < 2000; ++level) {
            ASSERT_EQ(mkdir("d", 0755), 0);
            platform::SetCurrentDirectory("d");
            relative += "d/";
        }
        ASSERT_EQ(close(creat("bottom.txt", 0644)), 0);
    }
    const std::string deepest = tree.Path(relative);
    walk.ScanDirectory(tree.Root());
    ASSERT_EQ(host.found.size(), 1u);
    EXPECT_EQ(host.found[0], deepest + "bottom.txt");
    EXPECT_EQ(walk.TotalCount, 2001 * 3);  // ". .. d" at every level, ". .. bottom.txt" at the last
}

// Removes a chain of "name" directories from the inside out, as its full path is too long for
// the usual removal.
void RemoveDeepChain(const std::string& root, const char* name, int levels)
{
    platform::TWorkingDirectoryGuard restore;
    platform::SetCurrentDirectory(root);
    for (int level = 0; level < levels; ++level)
        platform::SetCurrentDirectory(name);
    for (const FileEntry& entry : platform::ListDirectory("."))
        if (!entry.IsDirectory())
            unlink(entry.Name.c_str());
    for (int level = 0; level < levels; ++level) {
        platform::SetCurrentDirectory("..");
        rmdir(name);
    }
}

TEST_P(WalkFixture, WalksBelowTheLongestPathTheSystemTakesInOneCall)
{
    constexpr int kLevels = 1500;  // 1500 * "ddd/" is 6000 bytes, well past 4096
    {
        platform::TWorkingDirectoryGuard restore;
        platform::SetCurrentDirectory(tree.Root());
        for (int level = 0; level < kLevels; ++level) {
            ASSERT_EQ(mkdir("ddd", 0755), 0);
            platform::SetCurrentDirectory("ddd");
        }
        ASSERT_EQ(close(creat("deep.txt", 0644)), 0);
    }
    walk.ScanDirectory(tree.Root());
    RemoveDeepChain(tree.Root(), "ddd", kLevels);
    ASSERT_EQ(host.found.size(), 1u);
    EXPECT_GT(host.found[0].size(), 6000u);
    EXPECT_TRUE(host.found[0].ends_with("/ddd/deep.txt"));
}

// A directory swapped for a link to somewhere else after the walk listed it, at the level being
// entered or at an ancestor that the walk opens through.
TEST_P(WalkFixture, ADirectorySwappedForALinkIsNeverEntered)
{
    // The link leads out of the tree, or to where the directory was moved: what a worker read
    // of it beforehand is not entered through the link either.
    struct Case { const char* swapped; const char* takenUp; bool toMoved; };
    for (const Case& c : {Case{"sub", "sub", false}, Case{"a", "a/b/c", false}, Case{"a", "a/b/c", true}}) {
        SCOPED_TRACE(std::string(c.swapped) + (c.toMoved ? ", link to the moved one" : ""));
        TempTree inside, outside;
        inside.File(std::string(c.takenUp) + "/own.txt");
        outside.File(std::string(c.takenUp).substr(std::string(c.swapped).size()) + "/secret.txt");
        RecordingHost swapper;
        TSearchWalk swapping{swapper};
        swapping.EventInterval = {};
        swapping.Workers = GetParam();
        swapping.LookAhead = walk.LookAhead;
        bool swapped = false;
        swapper.onEvents = [&] {
            if (swapped || swapping.CurrentPath != inside.Path(c.takenUp))
                return;
            swapped = true;
            ASSERT_EQ(rename(inside.Path(c.swapped).c_str(), inside.Path("moved").c_str()), 0);
            const std::string target = c.toMoved ? inside.Path("moved") : outside.Root();
            ASSERT_EQ(symlink(target.c_str(), inside.Path(c.swapped).c_str()), 0);
        };
        swapping.ScanDirectory(inside.Root());
        EXPECT_TRUE(swapper.found.empty());
        EXPECT_EQ(swapping.Unread.Total, 1);
    }
}

// Without workers the walk reads the directory itself between events; with them it may find it
// read already, and the stop is seen at the first event.
TEST_P(WalkFixture, EventsRunAndAStopIsSeenWhileAHugeDirectoryIsRead)
{
    for (int i = 0; i < 2000; ++i)
        tree.File("big/f" + std::to_string(i));
    const int stopAt = walk.Workers == 0 ? 100 : 1;
    int eventsWhileReading = 0;
    host.onEvents = [&] {
        if (walk.CurrentPath == tree.Path("big") && ++eventsWhileReading == stopAt)
            walk.StopRequested = true;
    };
    walk.ScanDirectory(tree.Root());
    EXPECT_EQ(eventsWhileReading, stopAt);
    EXPECT_TRUE(host.found.empty());
    EXPECT_LE(walk.TotalCount, 4);  // at most the start directory's entries
}

// Names in a directory that may be listed but not searched cannot be stat'ed: they count, and
// reach no kreller. A directory that cannot be listed at all is reported, with its reason.
TEST_P(WalkFixture, NamesThatCannotBeStatedCountAndRefusedDirectoriesAreReported)
{
    tree.File("listonly/a.txt");
    tree.File("listonly/b.txt");
    tree.File("locked/c.txt");
    chmod(tree.Root().c_str(), 0755);
    chmod(tree.Path("listonly").c_str(), 0444);
    chmod(tree.Path("locked").c_str(), 0);
    const auto answer = RunInChild([&]() -> std::optional<std::string> {
        if (!DropPrivileges())
            return std::nullopt;
        walk.ScanDirectory(tree.Root());
        return std::to_string(walk.TotalCount) + " " + std::to_string(host.found.size()) + " "
               + UnreadDirectoriesWithPathsText(walk.Unread);
    });
    if (!answer)
        GTEST_SKIP() << "no user without privileges to run as";
    // root: . .. listonly locked; listonly: . .. a.txt b.txt
    EXPECT_EQ(*answer, "8 0 Directories that could not be read: 1 (permission: 1)\n    " + tree.Path("locked") + "/");
}

TEST_P(WalkFixture, DirectoriesMissedForWantOfFileHandlesAreReported)
{
    tree.File("a/x.txt");
    tree.File("b/y.txt");
    // Plain references: in a child without free handles the sanitizers cannot check the fixture.
    TSearchWalk& starved = walk;
    const std::string root = tree.Root();
    const auto answer = RunInChild([&]() -> std::optional<std::string> {
        // A first run warms what the sanitizers would open files for when they check a call.
        starved.ScanDirectory(root);
        starved.ResetCounters();
        const rlimit few{256, 256};
        if (setrlimit(RLIMIT_NOFILE, &few) != 0)
            return std::nullopt;
        std::vector<int> fillers;
        for (int fd; (fd = open("/dev/null", O_RDONLY)) >= 0;)
            fillers.push_back(fd);
        if (fillers.empty())
            return std::nullopt;
        close(fillers.back());  // one handle left: the start directory takes it
        starved.ScanDirectory(root);
        return std::to_string(starved.TotalCount) + " " + UnreadDirectoriesText(starved.Unread);
    });
    if (!answer)
        GTEST_SKIP() << "the limit of open files cannot be lowered";
    EXPECT_EQ(*answer, "4 Directories that could not be read: 2 (too many open files: 2)");
}

TEST(UnreadDirectories, CountsByReasonAndSaysNothingWhenAllWereRead)
{
    struct Case { std::vector<int> errors; const char* text; };
    const Case cases[] = {
        {{}, ""},
        {{ENOENT}, ""},  // vanished before it was opened: nothing was missed
        {{EACCES, EPERM}, "Directories that could not be read: 2 (permission: 2)"},
        {{EMFILE, ENFILE, EACCES}, "Directories that could not be read: 3 (permission: 1, too many open files: 2)"},
        {{EIO, ELOOP}, "Directories that could not be read: 2"},
    };
    for (const Case& c : cases) {
        TUnreadDirectories unread;
        for (int error : c.errors)
            unread.Count(error);
        EXPECT_EQ(UnreadDirectoriesText(unread), c.text);
    }
}

TEST_P(WalkFixture, EventsAreThrottledByTime)
{
    for (int i = 0; i < 200; ++i)
        tree.File("f" + std::to_string(i));
    walk.EventInterval = std::chrono::hours(1);
    walk.ScanDirectory(tree.Root());
    EXPECT_EQ(host.eventRuns, 1);  // the first entry, then not again within the hour
}

INSTANTIATE_TEST_SUITE_P(Workers, WalkFixture, ::testing::Values(0u, 3u),
                         [](const ::testing::TestParamInfo<unsigned>& info) { return std::to_string(info.param); });

} // namespace
