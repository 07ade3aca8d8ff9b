// The walk with workers against the walk without them: the same host calls in the same order,
// the same counts, on generated trees with loops, links, FIFOs, devices, unreadable directories
// and directories that vanish or turn into links while the walk is on its way to them.
#include <gtest/gtest.h>

#include <dirent.h>
#include <filesystem>
#include <functional>
#include <random>
#include <span>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "TempTree.h"
#include "ThreadCount.h"
#include "core/SearchWalk.h"

namespace {

namespace fs = std::filesystem;

// A random tree, the same for the same seed.
class HostileTree {
public:
    HostileTree(const TempTree& tree, unsigned seed) : tree_(tree), random_(seed)
    {
        Grow("", 0);
        for (const std::string& dir : dirs_) {
            const int roll = Roll(20);
            if (roll == 0)
                chmod(tree_.Path(dir).c_str(), 0);  // cannot be opened
            else if (roll == 1)
                chmod(tree_.Path(dir).c_str(), 0444);  // listed, its names cannot be stat'ed
        }
    }

    // Directories in the order they were made, relative to the root.
    const std::vector<std::string>& Dirs() const { return dirs_; }
    int Roll(int sides) { return std::uniform_int_distribution<int>(0, sides - 1)(random_); }

private:
    void Grow(const std::string& dir, int depth)
    {
        const int count = Roll(10);
        for (int i = 0; i < count; ++i) {
            const std::string name = dir + "e" + std::to_string(i) + (Roll(4) == 0 ? "7" : "");
            const std::string path = tree_.Path(name);
            switch (Roll(depth < 4 ? 9 : 6)) {
            case 0:
                symlink(tree_.Root().c_str(), path.c_str());  // a loop back to the top
                break;
            case 1:
                symlink("no-such-target", path.c_str());
                break;
            case 2:
                mkfifo(path.c_str(), 0644);
                break;
            case 3:
                symlink("/dev/null", path.c_str());
                break;
            case 4:
            case 5:
                tree_.File(name, std::string(static_cast<std::size_t>(Roll(50)), 'x'));
                break;
            default:
                tree_.Dir(name);
                dirs_.push_back(name);
                Grow(name + "/", depth + 1);
                break;
            }
        }
    }

    const TempTree& tree_;
    std::mt19937 random_;
    std::vector<std::string> dirs_;
};

// Writes down every call of the walk, paths relative to the root, and changes the tree when the
// walk asks whether to enter a given directory: that one or a directory above it is removed or
// swapped for a link to the top. (A directory read ahead may be older than one read on arrival;
// the walk's promise is about what it enters, so the change comes once its parent is listed.)
class LoggingHost : public TWalkHost {
public:
    LoggingHost(const TempTree& tree, std::function<void(const std::string&)> change, bool needsFacts,
                bool needsDirectoryFacts)
        : tree_(tree), change_(std::move(change)), needsFacts_(needsFacts), needsDirectoryFacts_(needsDirectoryFacts)
    {
    }

    std::ostringstream log;

    void LetEventsRun() override {}
    bool DirectoryPasses(const FileEntry& listed, const std::string& path) override
    {
        log << "D " << Relative(path) << ' ' << Looked(listed, path).Attributes << '\n';
        change_(Relative(path));
        return !path.ends_with("7");
    }
    bool FilePassesKrellers(const FileEntry& listed, const std::string& path) override
    {
        const FileEntry entry = Looked(listed, path);
        log << "F " << Relative(path) << ' ' << entry.Size << ' ' << entry.Attributes << '\n';
        return entry.Size % 3 != 0;
    }
    bool NeedsFileFacts() override { return needsFacts_; }
    bool NeedsDirectoryFacts() override { return needsDirectoryFacts_; }
    void AddFoundFile(const FileEntry&, const std::string& path) override { log << "A " << Relative(path) << '\n'; }
    // Entries told ahead of the walk, of directories that may be swapped or gone when it gets
    // there, change nothing of what it asks.
    bool ListsAhead() override { return true; }
    bool EntriesListed(const std::string&, std::span<const FileEntry> entries, const platform::TWalkPlace&) override
    {
        entriesListed += entries.size();
        return true;
    }
    std::size_t entriesListed = 0;

private:
    std::string Relative(const std::string& path) const { return path.substr(tree_.Root().size()); }
    // An entry listed by name alone is looked up as the found list looks a file up.
    static FileEntry Looked(const FileEntry& listed, const std::string& path)
    {
        return listed.FactsKnown ? listed : platform::LookupEntry(path).value_or(listed);
    }

    const TempTree& tree_;
    std::function<void(const std::string&)> change_;
    bool needsFacts_;
    bool needsDirectoryFacts_;
};

struct WalkSetup {
    unsigned workers;
    std::size_t lookAhead;
    int startAtLook = 0;  // the workers start when the walk looks for waits this often; 0: at once
    bool neverWaits = false;  // the walk never sees itself waiting ...
    std::size_t readAlone = 4096;  // ... and reads this many names of a directory itself
    bool namesOnly = false;  // the host needs no facts of files ...
    bool directoriesByName = false;  // ... nor of directories
};

// Has the walk see its thread waiting at the given look and never before: the workers then
// start in the middle of the scan, below directories the walk reads itself.
void StartWorkersAtLook(TSearchWalk& walk, int look)
{
    walk.LookAhead = TSearchWalk::TLookAhead::WhenWaiting;
    walk.WaitWatch.Every = std::chrono::nanoseconds(1);
    walk.WaitWatch.Sample = [look, looks = 0]() mutable {
        return platform::TThreadWaits{++looks > look ? std::int64_t{1} << 50 : 0, {}};
    };
}

// Everything one run shows: its calls and its counts.
std::string RunOnce(unsigned seed, WalkSetup setup, bool changeTree = true)
{
    TempTree tree;
    chmod(tree.Root().c_str(), 0755);
    HostileTree hostile(tree, seed);
    const std::vector<std::string>& dirs = hostile.Dirs();
    const auto pick = [&](const std::vector<std::string>& among) {
        return among.empty() ? std::string() : among[static_cast<std::size_t>(hostile.Roll(static_cast<int>(among.size())))];
    };
    const std::string victim = pick(dirs);
    std::vector<std::string> below;
    for (const std::string& dir : dirs)
        if (dir == victim || dir.starts_with(victim + "/"))
            below.push_back(dir);
    const std::string trigger = pick(below);
    const bool swapForLink = hostile.Roll(2) == 0;
    LoggingHost host(tree, [&](const std::string& asked) {
        if (asked != trigger || victim.empty() || !changeTree)
            return;
        std::error_code ignored;
        fs::permissions(tree.Path(victim), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(tree.Path(victim), ignored);
        if (swapForLink)
            symlink(tree.Root().c_str(), tree.Path(victim).c_str());
    }, !setup.namesOnly, !setup.directoriesByName);
    TSearchWalk walk(host);
    walk.Workers = setup.workers;
    walk.LookAheadBytes = setup.lookAhead;
    walk.LookAhead = TSearchWalk::TLookAhead::AtOnce;
    if (setup.startAtLook > 0)
        StartWorkersAtLook(walk, setup.startAtLook);
    if (setup.neverWaits) {
        walk.LookAhead = TSearchWalk::TLookAhead::WhenWaiting;
        walk.WaitWatch.Sample = [] { return platform::TThreadWaits{}; };
    }
    walk.NamesReadAlone = setup.readAlone;
    walk.ScanDirectory(tree.Root());
    host.log << walk.TotalCount << ' ' << walk.FoundCount << ' ' << UnreadDirectoriesText(walk.Unread) << '\n';
    return host.log.str();
}

TEST(ParallelWalk, GivesWhatTheSequentialWalkGivesOnHostileTrees)
{
    const auto answer = RunInChild([]() -> std::optional<std::string> {
        // Without privileges, so that unreadable directories are unreadable; the trees are made
        // by the same user, so that they can be changed and removed.
        if (!DropPrivileges())
            return std::nullopt;
        // At once, with little room ahead, started part way, taking over the rest of directories
        // longer than the walk reads itself, and without workers reading in parts.
        const WalkSetup setups[] = {{4, std::size_t{64} << 20}, {2, 2048}, {1, 100}, {2, std::size_t{64} << 20, 3},
                                    {3, 4096, 6}, {2, std::size_t{64} << 20, 0, true, 3}, {0, 0, 0, true, 2}};
        // Files listed by name alone, looked up when handed on: a file removed meanwhile is
        // looked up in vain, so those runs are held against the sequential walk that lists
        // names alone too; on a tree left as it is, against the walk that stats every file.
        const WalkSetup namesOnly[] = {{4, std::size_t{64} << 20, 0, false, 4096, true},
                                       {2, 2048, 0, false, 4096, true}, {2, std::size_t{64} << 20, 0, true, 3, true}};
        const WalkSetup sequentialNamesOnly{0, 0, 0, false, 4096, true};
        // Directories listed by name alone as well.
        const WalkSetup directoriesByName[] = {{4, std::size_t{64} << 20, 0, false, 4096, true, true},
                                               {2, std::size_t{64} << 20, 3, false, 4096, true, true}};
        const WalkSetup sequentialDirectoriesByName{0, 0, 0, false, 4096, true, true};
        const auto differs = [](unsigned seed, const WalkSetup& expectedSetup, std::span<const WalkSetup> setups) {
            const std::string expected = RunOnce(seed, expectedSetup);
            return std::any_of(setups.begin(), setups.end(), [&](const WalkSetup& setup) {
                return RunOnce(seed, setup) != expected;
            });
        };
        for (unsigned seed = 1; seed <= 25; ++seed) {
            const std::string steady = RunOnce(seed, {0, 0}, false);
            for (const WalkSetup& setup : {sequentialNamesOnly, namesOnly[0], sequentialDirectoriesByName,
                                           directoriesByName[0]}) {
                if (RunOnce(seed, setup, false) != steady)
                    return "seed " + std::to_string(seed) + ": names listed alone differ on a steady tree";
            }
            if (differs(seed, sequentialNamesOnly, namesOnly))
                return "seed " + std::to_string(seed) + ": files listed by name alone";
            if (differs(seed, sequentialDirectoriesByName, directoriesByName))
                return "seed " + std::to_string(seed) + ": files and directories listed by name alone";
            const std::string expected = RunOnce(seed, {0, 0});
            for (const WalkSetup& setup : setups) {
                const std::string got = RunOnce(seed, setup);
                if (got != expected) {
                    return "seed " + std::to_string(seed) + ", setup " + std::to_string(&setup - setups) + ", "
                           + std::to_string(setup.workers) + " workers, "
                           + std::to_string(setup.lookAhead) + " bytes ahead:\n" + got + "\nwithout workers:\n"
                           + expected;
                }
            }
        }
        return std::string("same");
    });
    if (!answer)
        GTEST_SKIP() << "no user without privileges to run as";
    EXPECT_EQ(*answer, "same");
}

TEST(WaitWatch, SeesWaitingWhenTheThreadSleptAndRanForAtMostHalfTheTime)
{
    using namespace std::chrono_literals;
    struct Case { std::chrono::milliseconds after; std::int64_t slept; std::chrono::milliseconds ran; bool waiting; };
    const Case cases[] = {
        {10ms, 0, 10ms, false},   // a warm cache: running all the time
        {10ms, 0, 2ms, false},    // run off the processor by other work, no sleep of its own
        {10ms, 1, 1ms, false},    // one sleep is not enough
        {10ms, 5, 6ms, false},    // slept, but ran for most of the time
        {10ms, 5, 5ms, true},     // a cold disk
        {900ms, 2, 1ms, true},    // a slow network mount: few requests, each waited for long
        {5ms, 100, 0ms, false},   // too soon to look: what happened is kept for the next look
        {10ms, 0, 0ms, true},     // ... which sees it
    };
    platform::TThreadWaits done;
    platform::TWaitWatch watch;
    watch.Sample = [&] { return done; };
    auto now = platform::TWaitWatch::Clock::time_point{} + 1h;
    watch.Restart(now);
    for (const Case& c : cases) {
        now += c.after;
        done.Sleeps += c.slept;
        done.Running += c.ran;
        EXPECT_EQ(watch.Waiting(now), c.waiting) << c.after.count() << " ms, " << c.slept << " sleeps, ran "
                                                 << c.ran.count() << " ms";
    }
}

// Stops at, or throws from, the given file call.
class EndingHost : public TWalkHost {
public:
    std::function<void()> atFile = [] {};
    void LetEventsRun() override {}
    bool DirectoryPasses(const FileEntry&, const std::string&) override { return true; }
    bool FilePassesKrellers(const FileEntry&, const std::string&) override
    {
        atFile();
        return true;
    }
    void AddFoundFile(const FileEntry&, const std::string&) override {}
};

TEST(ParallelWalk, LeavesNoThreadWhenStoppedOrWhenTheHostThrows)
{
    TempTree tree;
    for (int d = 0; d < 30; ++d)
        for (int f = 0; f < 30; ++f)
            tree.File("d" + std::to_string(d) + "/sub/f" + std::to_string(f));
    EndingHost host;
    TSearchWalk walk(host);
    walk.Workers = 4;
    walk.LookAhead = TSearchWalk::TLookAhead::AtOnce;
    walk.ScanDirectory(tree.Root());  // a sanitizer may start a thread of its own with the first
    const int before = ThreadCount();
    int files = 0;
    host.atFile = [&] {
        if (++files == 40)
            walk.StopRequested = true;
    };
    walk.ScanDirectory(tree.Root());
    EXPECT_EQ(files, 40);
    EXPECT_EQ(ThreadCount(), before);

    walk.StopRequested = false;
    files = 0;
    host.atFile = [&] {
        if (++files == 40)
            throw std::runtime_error("plug-in failed");
    };
    EXPECT_THROW(walk.ScanDirectory(tree.Root()), std::runtime_error);
    EXPECT_EQ(ThreadCount(), before);
}

TEST(ParallelWalk, HoldsNoMoreThanItsLimitAhead)
{
    TempTree tree;
    for (int f = 0; f < 10000; ++f)
        tree.File("big/file_with_a_longish_name_" + std::to_string(f));
    EndingHost host;
    TSearchWalk walk(host);
    walk.Workers = 2;
    walk.LookAhead = TSearchWalk::TLookAhead::AtOnce;
    walk.LookAheadBytes = 16 << 10;
    walk.ScanDirectory(tree.Root());
    EXPECT_EQ(walk.TotalCount, 10000 + 2 + 3);
    // Past the limit a worker finishes at most the request it is at, one read of names each, and
    // the walk's own request is served whatever is held: one more read.
    EXPECT_LE(walk.PeakLookAheadBytes, walk.LookAheadBytes + (walk.Workers + 1) * (128u << 10));
    EXPECT_GT(walk.PeakLookAheadBytes, 0u);
}

} // namespace
