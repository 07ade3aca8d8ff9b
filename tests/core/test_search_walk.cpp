#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
};

struct WalkFixture : ::testing::Test {
    TempTree tree;
    RecordingHost host;
    TSearchWalk walk{host};

    WalkFixture() { walk.EventInterval = {}; }  // events at every entry, as the walk's points are tested
    std::vector<std::string> SortedFound() const
    {
        auto sorted = host.found;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }
};

TEST_F(WalkFixture, CountsEveryEntryAndFindsEveryFile)
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

TEST_F(WalkFixture, StartPathWithoutTrailingSlashGivesTheSamePaths)
{
    tree.File("sub/b.txt");
    std::string root = tree.Root();
    root.pop_back();
    walk.ScanDirectory(root + "/sub");
    EXPECT_EQ(host.found, (std::vector<std::string>{tree.Path("sub/b.txt")}));
}

TEST_F(WalkFixture, RefusedDirectoryIsNotEnteredButStartPathItselfIsNotTested)
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

TEST_F(WalkFixture, FilesRefusedByTheChainAreCountedButNotFound)
{
    tree.File("a.txt");
    tree.File("b.log");
    host.filePasses = [](const std::string& path) { return path.ends_with(".txt"); };
    walk.ScanDirectory(tree.Root());
    EXPECT_EQ(host.found.size(), 1u);
    EXPECT_EQ(walk.FoundCount, 1);
    EXPECT_EQ(walk.TotalCount, 4);
}

TEST_F(WalkFixture, StopEndsAfterTheCurrentEntryAtEveryLevel)
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

TEST_F(WalkFixture, IgnoreCurrentIsClearedForEveryEntry)
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

TEST_F(WalkFixture, SymlinkedDirectoriesAreCountedNeverEnteredNorTested)
{
    tree.File("real/x.txt");
    ASSERT_EQ(symlink(tree.Path("real").c_str(), tree.Path("loop").c_str()), 0);
    ASSERT_EQ(symlink(tree.Root().c_str(), tree.Path("real/up").c_str()), 0);
    walk.ScanDirectory(tree.Root());
    EXPECT_EQ(host.found, (std::vector<std::string>{tree.Path("real/x.txt")}));
    EXPECT_EQ(walk.TotalCount, 8);  // root: . .. real loop; real: . .. x.txt up
}

TEST_F(WalkFixture, MissingAndUnreadableDirectoriesGiveNothing)
{
    walk.ScanDirectory(tree.Path("missing"));
    EXPECT_EQ(walk.TotalCount, 0);
    const std::string locked = tree.Dir("locked");
    tree.File("locked/secret.txt");
    chmod(locked.c_str(), 0);
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads any directory";
    walk.ScanDirectory(tree.Root());
    EXPECT_TRUE(host.found.empty());
}

TEST_F(WalkFixture, NamesThatAreNotUtf8KeepTheirBytes)
{
    const std::string name = "caf\xe9.txt";  // Latin-1, not UTF-8
    tree.File("d/" + name);
    walk.ScanDirectory(tree.Root());
    EXPECT_EQ(host.found, (std::vector<std::string>{tree.Path("d/" + name)}));
}

TEST_F(WalkFixture, WalksATreeTwoThousandLevelsDeep)
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

TEST_F(WalkFixture, WalksBelowTheLongestPathTheSystemTakesInOneCall)
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

TEST_F(WalkFixture, EventsAreThrottledByTime)
{
    for (int i = 0; i < 200; ++i)
        tree.File("f" + std::to_string(i));
    walk.EventInterval = std::chrono::hours(1);
    walk.ScanDirectory(tree.Root());
    EXPECT_EQ(host.eventRuns, 1);  // the first entry, then not again within the hour
}

} // namespace
