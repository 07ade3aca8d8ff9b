// The workers' answers against the engine's own on the same files: the same verdicts, files
// changed after they were read judged again, what the chain skips dropped, the work ahead
// bounded, and no thread left once the object is gone.
#include <gtest/gtest.h>

#include <chrono>
#include <dirent.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "TempTree.h"
#include "ThreadCount.h"
#include "krellers/context_ahead.h"
#include "krellers/context_engine.h"

namespace {

using namespace std::chrono_literals;

// Waits until the workers have finished count files; false when they do not within seconds.
bool WaitForJudged(const TContextAhead& ahead, std::int64_t count)
{
    const auto until = std::chrono::steady_clock::now() + 20s;
    while (ahead.Counts().Judged < count) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

bool Sequential(const std::string& path, const std::string& condition)
{
    TContextEngine engine({[] {}, [] { return false; }});
    return engine.TestFile(path, condition, {});
}

const std::function<bool()> kKeepWaiting = [] { return true; };

// Files of every kind the walk may hand on, each named by what it is.
std::vector<std::string> VariedFiles(const TempTree& tree)
{
    const std::string filler(5000, 'x');
    std::vector<std::string> paths = {
        tree.File("empty"),
        tree.File("start", "zephyr and more"),
        tree.File("end", filler + " ZEPHYR"),
        tree.File("mixed_case", "ZePhYr marmalade"),
        tree.File("both", "zephyr marmalade obsidian"),
        tree.File("across_pieces", std::string(4090, 'y') + "zephyr" + filler),
        tree.File("binary", std::string("\0\x01zephyr\xff\xfe", 11) + std::string(3, '\0')),
        tree.File("broken_utf8", "\xe2\x82 marmalade \xc3"),
        tree.File("unicode", "Größe marmalade"),
        tree.File("unreadable", "zephyr"),
        tree.Path("missing"),
        tree.Dir("a_directory"),
        tree.Path("fifo"),
        tree.Path("link_to_file"),
        tree.Path("dangling_link"),
    };
    chmod(tree.Path("unreadable").c_str(), 0);
    mkfifo(tree.Path("fifo").c_str(), 0644);  // no writer: opening it would wait for ever
    symlink(tree.Path("start").c_str(), tree.Path("link_to_file").c_str());
    symlink("nowhere", tree.Path("dangling_link").c_str());
    return paths;
}

using TPlaceDirectory = platform::TWalkPlace::TDirectory;

// The place of the directory reached through the entries at indexes, from the top down.
TPlaceDirectory PlaceBelow(const std::vector<std::uint32_t>& indexes)
{
    TPlaceDirectory directory;
    for (const std::uint32_t index : indexes)
        directory = platform::TWalkPlace{directory, index}.Below();
    return directory;
}

// The files at paths, as a listing hands them on: all regular files as far as it knew, at the
// places from first on in the directory.
std::vector<platform::TListedFile> Listed(const std::vector<std::string>& paths, bool regular = false,
                                          const TPlaceDirectory& directory = nullptr, std::uint32_t first = 0)
{
    std::vector<platform::TListedFile> files;
    for (const std::string& path : paths)
        files.push_back({path, regular, {directory, first + static_cast<std::uint32_t>(files.size())}});
    return files;
}

TContextAhead::TLimits RoomFor(std::size_t files, unsigned workers = 3)
{
    TContextAhead::TLimits limits;
    limits.Workers = workers;
    limits.FilesAheadPerWorker = files;
    limits.PieceBytes = 4096;  // larger files are searched piece by piece
    return limits;
}

TEST(ContextAhead, GivesTheEngineVerdictsOnFilesOfEveryKind)
{
    TempTree tree;
    const std::vector<std::string> paths = VariedFiles(tree);
    const char* const conditions[] = {
        "EXISTS('ZEPHYR')",
        "!EXISTS('ZEPHYR')",
        "EXISTS('ZEPHYR') && EXISTS('MARMALADE') && !EXISTS('OBSIDIAN')",
        "EXISTS('GRÖSSE') || EXISTS('MARMALADE')",
        "EXISTS('ZEPHYR') || !EXISTS('MARMALADE')",
    };
    // Also when the listing called every one of them a regular file (it may be out of date): the
    // FIFO is still not waited on, nor the directory or a missing file read.
    for (const bool listedRegular : {false, true})
    for (const char* condition : conditions) {
        ASSERT_TRUE(TContextAhead::CanJudge(condition)) << condition;
        TContextAhead ahead(condition, RoomFor(paths.size()));
        ahead.Queue(Listed(paths, listedRegular));
        ASSERT_TRUE(WaitForJudged(ahead, static_cast<std::int64_t>(paths.size())));
        for (const std::string& path : paths) {
            TAheadAnswer answer;
            ASSERT_EQ(ahead.Take(path, kKeepWaiting, answer), TContextAhead::TTake::Answered) << path;
            EXPECT_FALSE(answer.Failed) << path << ": " << answer.Error;
            EXPECT_EQ(answer.Passes, Sequential(path, condition)) << condition << " on " << path;
        }
        EXPECT_EQ(ahead.Counts().Used, static_cast<std::int64_t>(paths.size()));
        EXPECT_EQ(ahead.Counts().Wasted, 0);
    }
}

TEST(ContextAhead, JudgesOnlyConditionsOfKeywordsAlone)
{
    EXPECT_FALSE(TContextAhead::CanJudge(""));
    EXPECT_FALSE(TContextAhead::CanJudge("EXISTS("));           // does not parse
    EXPECT_FALSE(TContextAhead::CanJudge("DATE() > 0"));        // not the text alone
    EXPECT_FALSE(TContextAhead::CanJudge("PLUGIN_CALL('X')"));  // nothing a caller added
    EXPECT_TRUE(TContextAhead::CanJudge("EXISTS('A') && !EXISTS('B')"));
}

TEST(ContextAhead, JudgesAgainAFileChangedSinceItWasRead)
{
    struct Change {
        const char* what;
        std::function<void(const TempTree&, const std::string&)> make;
    };
    const Change changes[] = {
        {"rewritten", [](const TempTree& tree, const std::string&) { tree.File("f", "no keyword, longer now"); }},
        {"replaced", [](const TempTree& tree, const std::string& path) {
             std::filesystem::rename(tree.File("other", "zephyr"), path);
         }},
        {"removed", [](const TempTree&, const std::string& path) { std::filesystem::remove(path); }},
        {"made a FIFO", [](const TempTree&, const std::string& path) {
             std::filesystem::remove(path);
             mkfifo(path.c_str(), 0644);
         }},
    };
    for (const Change& change : changes) {
        TempTree tree;
        const std::string path = tree.File("f", "zephyr");
        TContextAhead::TLimits limits = RoomFor(4);
        limits.FreshFor = {};  // every answer is old enough for a second look
        TContextAhead ahead("EXISTS('ZEPHYR')", limits);
        ahead.Queue({{path, false, {}}});
        ASSERT_TRUE(WaitForJudged(ahead, 1));
        change.make(tree, path);
        TAheadAnswer answer;
        EXPECT_EQ(ahead.Take(path, kKeepWaiting, answer), TContextAhead::TTake::NotAhead) << change.what;
        EXPECT_EQ(ahead.Counts().Stale, 1) << change.what;
    }
}

// Asked for within the moment it is trusted for, an answer is used as the worker gave it: the
// file is not looked at again.
TEST(ContextAhead, UsesAFreshAnswerWithoutASecondLook)
{
    TempTree tree;
    const std::string path = tree.File("f", "zephyr");
    TContextAhead::TLimits limits = RoomFor(4);
    limits.FreshFor = std::chrono::hours(1);
    TContextAhead ahead("EXISTS('ZEPHYR')", limits);
    ahead.Queue({{path, false, {}}});
    ASSERT_TRUE(WaitForJudged(ahead, 1));
    tree.File("f", "changed while the search passed by");
    TAheadAnswer answer;
    ASSERT_EQ(ahead.Take(path, kKeepWaiting, answer), TContextAhead::TTake::Answered);
    EXPECT_TRUE(answer.Passes);
    EXPECT_EQ(ahead.Counts().Stale, 0);
}

TEST(ContextAhead, DropsWhatTheChainPassedBy)
{
    TempTree tree;
    std::vector<std::string> parent, child;
    for (const char* name : {"a", "b", "c", "d"})
        parent.push_back(tree.File(std::string("p/") + name, "zephyr"));
    for (const char* name : {"x", "y"})
        child.push_back(tree.File(std::string("p/sub/") + name, "zephyr"));
    TContextAhead ahead("EXISTS('ZEPHYR')", RoomFor(6));
    // The parent lists a, b, sub, c, d: what is in sub comes after b and before c.
    const TPlaceDirectory p = PlaceBelow({0});
    auto parentFiles = Listed({parent[0], parent[1]}, false, p);
    for (const platform::TListedFile& file : Listed({parent[2], parent[3]}, false, p, 3))
        parentFiles.push_back(file);
    ahead.Queue(parentFiles);
    ahead.Queue(Listed(child, false, PlaceBelow({0, 2})));
    ASSERT_TRUE(WaitForJudged(ahead, 6));
    TAheadAnswer answer;
    EXPECT_EQ(ahead.Take(child[0], kKeepWaiting, answer), TContextAhead::TTake::Answered);
    EXPECT_EQ(ahead.Take(parent[2], kKeepWaiting, answer), TContextAhead::TTake::Answered);
    // Passed by: y (its directory was left), a and b (refused before they got here).
    for (const std::string& gone : {child[1], parent[0], parent[1], child[0]})
        EXPECT_EQ(ahead.Take(gone, kKeepWaiting, answer), TContextAhead::TTake::NotAhead) << gone;
    EXPECT_EQ(ahead.Take(parent[3], kKeepWaiting, answer), TContextAhead::TTake::Answered);
    const TAheadCounts counts = ahead.Counts();
    EXPECT_EQ(counts.Used, 3);
    EXPECT_EQ(counts.Wasted, 3);
    EXPECT_EQ(counts.WastedBytes, 3u * 6u);
}

// Files of a subdirectory told before the walk enters it wait for their turn, whatever order they
// were queued in; a path told again keeps its place, and a place passed is not queued.
TEST(ContextAhead, AsksForFilesInTheOrderOfTheirPlacesWhateverOrderTheyCameIn)
{
    TempTree tree;
    std::vector<std::string> first, later, deeper, passed;
    for (int i = 0; i < 3; ++i) {
        first.push_back(tree.File("top/f" + std::to_string(i), "zephyr"));
        later.push_back(tree.File("top/later/f" + std::to_string(i), i == 1 ? "zephyr" : "none"));
        deeper.push_back(tree.File("top/later/deeper/f" + std::to_string(i), "zephyr"));
        passed.push_back(tree.File("top/passed/f" + std::to_string(i), "zephyr"));
    }
    // The top lists passed, f0, f1, f2, later; later lists f0, f1, f2, deeper.
    const TPlaceDirectory top = PlaceBelow({3});
    TContextAhead ahead("EXISTS('ZEPHYR')", RoomFor(8, 2));
    ahead.Queue(Listed(deeper, false, PlaceBelow({3, 4, 3})));
    ahead.Queue(Listed(later, false, PlaceBelow({3, 4})));
    ahead.Queue(Listed(first, false, top, 1));
    std::vector<std::string> order = first;
    order.insert(order.end(), later.begin(), later.end());
    order.insert(order.end(), deeper.begin(), deeper.end());
    ASSERT_TRUE(WaitForJudged(ahead, static_cast<std::int64_t>(order.size())));
    TAheadAnswer answer;
    ASSERT_EQ(ahead.Take(first[0], kKeepWaiting, answer), TContextAhead::TTake::Answered);
    ahead.Queue(Listed(passed, false, PlaceBelow({3, 0})));  // behind the chain: never asked for
    ahead.Queue(Listed(later, false, PlaceBelow({3, 4})));   // told again as the walk enters it
    for (std::size_t i = 1; i < order.size(); ++i) {
        ASSERT_EQ(ahead.Take(order[i], kKeepWaiting, answer), TContextAhead::TTake::Answered) << order[i];
        EXPECT_EQ(answer.Passes, Sequential(order[i], "EXISTS('ZEPHYR')")) << order[i];
    }
    EXPECT_EQ(ahead.Take(passed[0], kKeepWaiting, answer), TContextAhead::TTake::NotAhead);
    const TAheadCounts counts = ahead.Counts();
    EXPECT_EQ(counts.Used, static_cast<std::int64_t>(order.size()));
    EXPECT_EQ(counts.Judged, static_cast<std::int64_t>(order.size()));
    EXPECT_EQ(counts.Wasted, 0);
}

TEST(ContextAhead, BeginsNoMoreFilesThanItsRoomAhead)
{
    TempTree tree;
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i)
        paths.push_back(tree.File("f" + std::to_string(i), "zephyr"));
    TContextAhead::TLimits limits = RoomFor(2, 2);
    limits.QueuedPaths = 30;
    TContextAhead ahead("EXISTS('ZEPHYR')", limits);
    EXPECT_FALSE(ahead.Queue(Listed(paths)));  // it says it did not take them all
    ASSERT_TRUE(WaitForJudged(ahead, 4));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(ahead.Counts().Judged, 4);  // two workers, two files each, until the chain asks
    TAheadAnswer answer;
    for (int i = 0; i < 30; ++i)
        ahead.Take(paths[i], kKeepWaiting, answer);
    EXPECT_LE(ahead.Counts().PeakAhead, 4u);
    // Paths beyond what may wait were never queued; handed again once there is room, they are.
    EXPECT_EQ(ahead.Take(paths[35], kKeepWaiting, answer), TContextAhead::TTake::NotAhead);
    const std::int64_t judged = ahead.Counts().Judged;
    EXPECT_TRUE(ahead.Queue(Listed({paths[38], paths[39]}, false, nullptr, 38)));
    ASSERT_TRUE(WaitForJudged(ahead, judged + 2));
    for (const int i : {38, 39})
        EXPECT_EQ(ahead.Take(paths[i], kKeepWaiting, answer), TContextAhead::TTake::Answered);
    EXPECT_EQ(ahead.Counts().Wasted, 0);
}

// A sparse file of this size takes a worker a while even from memory.
constexpr std::int64_t kSlowFileSize = std::int64_t{4} << 30;

TEST(ContextAhead, GivesUpAFileAWorkerIsAtWhenAskedTo)
{
    TempTree tree;
    const std::string slow = tree.SizedFile("slow", kSlowFileSize);
    TContextAhead ahead("!EXISTS('ZEPHYR')", RoomFor(1, 1));
    ahead.Queue({{slow, false, {}}});
    while (ahead.Counts().PeakAhead == 0)
        std::this_thread::sleep_for(1ms);
    int asked = 0;
    TAheadAnswer answer;
    EXPECT_EQ(ahead.Take(slow, [&] { return ++asked < 3; }, answer), TContextAhead::TTake::GivenUp);
    EXPECT_EQ(asked, 3);
    ASSERT_TRUE(WaitForJudged(ahead, 1));  // the worker stops at the file at once
    EXPECT_EQ(ahead.Counts().Wasted, 1);
}

// A worker that finds itself sleeping on its files starts another, up to WorkersWhenWaiting; one
// that runs on does not. The waits are stand-ins: asleep on every look and hardly running, or
// running all the time.
TEST(ContextAhead, StartsMoreWorkersOnlyWhileTheFilesKeepThemWaiting)
{
    TempTree tree;
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i)
        paths.push_back(tree.SizedFile("f" + std::to_string(i), std::int64_t{32} << 20));  // each a while to search
    { TContextAhead warmUp("EXISTS('A')", RoomFor(1, 1)); }  // a sanitizer may start a thread of its own
    const int before = ThreadCount();
    for (const bool waiting : {false, true}) {
        TContextAhead::TLimits limits = RoomFor(16, 2);
        limits.WorkersWhenWaiting = 4;
        limits.SampleWaits = [waiting] {
            thread_local platform::TThreadWaits waits;
            if (waiting)
                waits.Sleeps += 10;
            else
                waits.Running += std::chrono::hours(1);
            return waits;
        };
        {
            TContextAhead ahead("!EXISTS('ZEPHYR')", limits);
            ahead.Queue(Listed(paths));
            ASSERT_TRUE(WaitForJudged(ahead, static_cast<std::int64_t>(paths.size())));
            TAheadAnswer answer;
            for (const std::string& path : paths) {
                ASSERT_EQ(ahead.Take(path, kKeepWaiting, answer), TContextAhead::TTake::Answered) << path;
                EXPECT_TRUE(answer.Passes) << path;
            }
            EXPECT_EQ(ahead.Counts().MostWorkers, waiting ? 4u : 2u);
        }
        EXPECT_EQ(ThreadCount(), before) << "waiting " << waiting;
    }
}

TEST(ContextAhead, LeavesNoThreadWhenEndedWhileWorkersAreBusy)
{
    TempTree tree;
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i)
        paths.push_back(tree.SizedFile("slow" + std::to_string(i), kSlowFileSize));
    { TContextAhead warmUp("EXISTS('A')", RoomFor(1, 1)); }  // a sanitizer may start a thread of its own
    const int before = ThreadCount();
    {
        TContextAhead ahead("!EXISTS('ZEPHYR')", RoomFor(1, 3));
        ahead.Queue(Listed(paths));
        while (ahead.Counts().PeakAhead < 3)
            std::this_thread::sleep_for(1ms);
        EXPECT_EQ(ThreadCount(), before + 3);
    }
    EXPECT_EQ(ThreadCount(), before);
}

} // namespace
