// The search run against find(1), bfs and fd on the same generated tree, warm cache, several rounds
// each: as the program runs it with no kreller checked (files listed by name, their sizes and dates
// looked up afterwards while the window is idle, which is timed too) and with the rows sorted by
// size (every file stat'ed by the walk). Prints the median times and the ratios; then the run with the File size, File mask and
// File date krellers checked in the chain against the run with none; the run with the found rows
// shown while it runs against the run that shows them at its end; then the same find comparison for a chain of directories
// thousands of levels deep, and the longest time without events while one directory of a million
// entries is read, with the memory the workers held ahead.
//
//   bench_walk [rounds] [--cold] [--mount DIR] [--live] [--wide] [--profile DIR]
//
// --wide reads only the directory of a million files.
// --profile DIR runs only the search on DIR, rounds times, for a profiler; --profile-walk DIR the
// walk alone (as from the start), likewise.
// --live times only the run with found rows shown against the run without, on the generated tree.
// --mount DIR compares the tools on DIR alone (/usr, or a network mount); --cold drops the page
// cache before every timed run (as root only). A mount with a cost per request, of a local folder
// over the loopback with caching off, each command on one line (sshfs and openssh-server come with scripts/deps.sh; a
// server of its own on a spare port needs no system service nor its configuration, and FUSE needs
// /dev/fuse):
//   mkdir -p /tmp/loop-ssh /mnt/loop /run/sshd; cd /tmp/loop-ssh
//   ssh-keygen -q -t ed25519 -N '' -f hostkey; ssh-keygen -q -t ed25519 -N '' -f id; cp id.pub keys
//   /usr/sbin/sshd -f /dev/null -o Port=2233 -o ListenAddress=127.0.0.1 -o HostKey=$PWD/hostkey
//       -o AuthorizedKeysFile=$PWD/keys -o StrictModes=no -o "Subsystem sftp internal-sftp"
//   sshfs -o IdentityFile=$PWD/id,port=2233,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null
//       -o cache=no,dir_cache=no,attr_timeout=0,entry_timeout=0,negative_timeout=0
//       $(id -un)@127.0.0.1:/usr/share/doc /mnt/loop
//   bench_walk --mount /mnt/loop; fusermount -u /mnt/loop
// Run by hand: see README.
#include "bench_timing.h"
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <unistd.h>
#include <vector>

#include "core/FoundList.h"
#include "core/SearchWalk.h"
#include "core/main.h"
#include "krellers/kreller_list.h"
#include "krellers/native_krellers.h"
#include "platform/Dates.h"
#include "platform/MemoryReuse.h"
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

using bench::Median;
using bench::Seconds;

// dirs^levels directories, files in every one of them.
std::int64_t MakeTree(const fs::path& root, int levels, int dirs, int files)
{
    std::int64_t entries = 0;
    fs::create_directories(root);
    for (int f = 0; f < files; ++f, ++entries)
        std::ofstream(root / ("file_" + std::to_string(f) + ".txt")) << f;
    if (levels == 0)
        return entries;
    for (int d = 0; d < dirs; ++d)
        entries += 1 + MakeTree(root / ("dir_" + std::to_string(d)), levels - 1, dirs, files);
    return entries;
}


// A chain of levels directories "d" below root, made from inside as its path is too long for one
// call.
void MakeDeepChain(const fs::path& root, int levels)
{
    fs::create_directories(root);
    const int top = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    int fd = top;
    for (int level = 0; level < levels; ++level) {
        mkdirat(fd, "d", 0755);
        const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
        if (fd != top)
            close(fd);
        fd = next;
    }
    close(openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0644));
    close(fd);
    close(top);
}

void MakeWideDirectory(const fs::path& dir, int entries)
{
    fs::create_directories(dir);
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    char name[32];
    for (int i = 0; i < entries; ++i) {
        std::snprintf(name, sizeof name, "f%d", i);
        close(openat(fd, name, O_WRONLY | O_CREAT, 0644));
    }
    close(fd);
}

// A path in the temporary folder that only this process uses, so that two runs of the
// benchmark at once neither share nor remove each other's trees.
fs::path OwnTempPath(const std::string& stem)
{
    return fs::temp_directory_path() / (stem + "_" + std::to_string(getpid()));
}

// Removes what std::filesystem cannot: a path far longer than one call takes.
void RemoveWithRm(const fs::path& root)
{
    (void)std::system(("rm -rf '" + root.string() + "'").c_str());
}

// Records the longest stretch between two rounds of events.
class GapHost : public TWalkHost {
public:
    Clock::duration longest{};
    void LetEventsRun() override
    {
        const auto now = Clock::now();
        if (last_ != Clock::time_point{})
            longest = std::max(longest, now - last_);
        last_ = now;
    }
    bool DirectoryPasses(const FileEntry&, const std::string&) override { return true; }
    bool FilePassesKrellers(const FileEntry&, const std::string&) override { return true; }
    void AddFoundFile(const FileEntry&, const std::string&) override {}

private:
    Clock::time_point last_{};
};

// Counts the files of a walk, as a run with no kreller does, without a window.
class TCountingHost : public TWalkHost {
public:
    void LetEventsRun() override { QCoreApplication::processEvents(); }
    bool DirectoryPasses(const FileEntry&, const std::string&) override { return true; }
    bool FilePassesKrellers(const FileEntry&, const std::string&) override { return true; }
    void AddFoundFile(const FileEntry&, const std::string&) override { ++Files; }

    std::int64_t Files = 0;
};

bool coldRuns = false;  // --cold

// Empties the page cache, the dentries and the inodes, so that the next run reads from the disk.
void DropCaches()
{
    if (!coldRuns)
        return;
    sync();
    std::ofstream("/proc/sys/vm/drop_caches") << "3\n";
}

bool HasTool(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// The search run against the other tools over the same directory, each run by itself.
void CompareWithFind(TFmain& window, const fs::path& root, int rounds, const char* what)
{
    window.SetStartPaths({root.string() + "/"}, 0);
    const std::string quoted = "'" + root.string() + "'";
    std::vector<std::pair<const char*, std::string>> tools = {{"find -printf", "find " + quoted + " -printf '%s %T@\\n'"}};
    if (HasTool("bfs"))
        tools.push_back({"bfs -printf", "bfs " + quoted + " -printf '%s %T@\\n'"});
    if (HasTool("fdfind"))
        tools.push_back({"fd -u", "fdfind -u . " + quoted});
    std::vector<double> ours, sorted;
    std::vector<std::vector<double>> theirs(tools.size());
    if (!coldRuns)
        window.SB_runClick();  // warms the cache
    for (int i = 0; i < rounds; ++i) {
        // Rows sorted by size need every file's stat by the run's end, so the walk asks for them.
        window.FoundList().sort(TFoundListModel::ColSize);
        DropCaches();
        sorted.push_back(Seconds([&] { window.SB_runClick(); }));
        window.FoundList().sort(-1);
        DropCaches();
        ours.push_back(Seconds([&] { window.SB_runClick(); }));
        for (std::size_t t = 0; t < tools.size(); ++t) {
            const std::string command = tools[t].second + " >/dev/null 2>&1";
            DropCaches();
            theirs[t].push_back(Seconds([&] { (void)std::system(command.c_str()); }));
        }
    }
    // A run whose krellers judge no stat lists files by name; the found rows get their sizes and
    // dates afterwards, while the window is idle.
    const bool factsMissing = window.FoundList().FactsMissing();
    const double filling = Seconds([&] {
        while (window.FoundList().FactsMissing())
            QCoreApplication::processEvents();
    });
    std::printf("%s%s: found rows: %d, entries counted: %lld\n", what, coldRuns ? " (cold cache)" : "",
                window.FoundList().Count(), static_cast<long long>(window.TotalCount()));
    if (factsMissing)
        std::printf("  files listed by name; their facts filled while idle after the last run in %.3f s\n", filling);
    std::printf("  FileKreller run: %.3f s (median of %d); rows sorted by size, every file stat'ed: %.3f s\n",
                Median(ours), rounds, Median(sorted));
    for (std::size_t t = 0; t < tools.size(); ++t)
        std::printf("  %-15s %.3f s, ratio ours/it: %.2f, sorted by size: %.2f\n", tools[t].first, Median(theirs[t]),
                    Median(ours) / Median(theirs[t]), Median(sorted) / Median(theirs[t]));
}

// Files walked with no kreller, by the walk alone: without workers, with them started when the
// walk waits, and with them from the start (as the program runs).
void CompareWorkers(const fs::path& root, int rounds)
{
    using TLookAhead = TSearchWalk::TLookAhead;
    struct TSetup { unsigned workers; TLookAhead start; };
    const TSetup setups[] = {{0, TLookAhead::AtOnce}, {TSearchWalk::DefaultWorkers(), TLookAhead::WhenWaiting},
                             {TSearchWalk::DefaultWorkers(), TLookAhead::AtOnce}};
    std::vector<double> times[3];
    std::size_t heldAhead = 0;
    for (int i = 0; i < rounds; ++i) {
        for (std::size_t s = 0; s < 3; ++s) {
            TCountingHost host;
            TSearchWalk walk(host);
            walk.Workers = setups[s].workers;
            walk.LookAhead = setups[s].start;
            DropCaches();
            times[s].push_back(Seconds([&] { walk.ScanDirectory(root.string()); }));
            heldAhead = std::max(heldAhead, walk.PeakLookAheadBytes);
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("  walk alone, no workers: %.3f s; %u workers started when waiting: %.3f s (ratio %.2f),"
                " from the start: %.3f s (ratio %.2f)\n", Median(times[0]), TSearchWalk::DefaultWorkers(),
                Median(times[1]), Median(times[1]) / Median(times[0]), Median(times[2]),
                Median(times[2]) / Median(times[0]));
    std::printf("  at most %.1f MB held ahead, peak RSS %.0f MB\n", static_cast<double>(heldAhead) / 1e6,
                static_cast<double>(usage.ru_maxrss) / 1e3);
}

// Collects every file of a walk that passes nothing but the walk itself.
class TCollectingHost : public TWalkHost {
public:
    void LetEventsRun() override { QCoreApplication::processEvents(); }
    bool DirectoryPasses(const FileEntry&, const std::string&) override { return true; }
    bool FilePassesKrellers(const FileEntry&, const std::string&) override { return true; }
    void AddFoundFile(const FileEntry& entry, const std::string& path) override { Files.emplace_back(entry, path); }

    std::vector<std::pair<FileEntry, std::string>> Files;
};

// The rows of the File size, File mask and File date krellers with conditions that every generated
// file meets: at most 1 MB, the mask "*" + "txt", changed in the last 30 days.
void GiveConditions(TKrellerList& chain)
{
    const std::string since = platform::FormatShortDate(platform::AddDays(platform::Today(), -30));
    const std::pair<const char*, TConditionStrings> conditions[] = {
        {"File mask condition", {"Use file mask", "*", "txt"}},
        {"File size condition", {"Size limitation", "SIZE_MIN_UNIT=KB", "SIZE_MAX=1", "SIZE_MAX_UNIT=MB"}},
        {"Date condition", {"changed after date " + since, "changed", since, " "}},
    };
    for (std::size_t i = 0; i < chain.Count(); ++i)
        for (const auto& [caption, strings] : conditions)
            if (chain.Row(i).Caption == caption)
                chain.Row(i).Strings = strings;
}

void SwitchConditions(TKrellerList& chain, bool on)
{
    for (std::size_t i = 0; i < chain.Count(); ++i)
        chain.Row(i).Checked = on && chain.Row(i).HasCondition();
}

// The run with the File size, File mask and File date krellers checked in the main window's chain
// against the run with none, then the krellers alone over the files of the tree.
void CompareKrellers(TFmain& window, const fs::path& root, int rounds)
{
    // Every generated file passes all three, so both runs fill the same found list and the
    // difference is what the krellers cost. Rows sorted by size have the walk stat every file in
    // both runs, as the size and date krellers have it do.
    window.FoundList().sort(TFoundListModel::ColSize);
    TKrellerList& chain = window.KrellerChain();
    GiveConditions(chain);
    std::vector<double> bareTimes, filteredTimes;
    int bareFound = 0, filteredFound = 0;
    for (int i = 0; i < rounds; ++i) {
        SwitchConditions(chain, false);
        bareTimes.push_back(Seconds([&] { window.SB_runClick(); }));
        bareFound = window.FoundList().Count();
        SwitchConditions(chain, true);
        filteredTimes.push_back(Seconds([&] { window.SB_runClick(); }));
        filteredFound = window.FoundList().Count();
    }
    std::printf("run, no krellers:                %.3f s, %d found (median of %d)\n", Median(bareTimes), bareFound, rounds);
    std::printf("run, size + mask + date checked: %.3f s, %d found (median of %d)\n", Median(filteredTimes),
                filteredFound, rounds);
    std::printf("ratio krellers/none: %.2f\n", Median(filteredTimes) / Median(bareTimes));

    // What the krellers add to a run, free of the noise of the file system.
    TCollectingHost collected;
    TSearchWalk(collected).ScanDirectory(root.string());
    chain.LoadKrellerConditions();
    std::vector<double> aloneTimes;
    int passed = 0;
    for (int i = 0; i < rounds; ++i)
        aloneTimes.push_back(Seconds([&] {
            passed = 0;
            for (const auto& [entry, path] : collected.Files)
                passed += chain.FilePassesKrellers(entry, path) ? 1 : 0;
        }));
    std::printf("krellers alone on %d files: %.3f s, %d passed (%.1f%% of the run without them)\n",
                static_cast<int>(collected.Files.size()), Median(aloneTimes), passed,
                100.0 * Median(aloneTimes) / Median(bareTimes));
    SwitchConditions(chain, false);
    window.FoundList().sort(-1);
}

// The run with found rows shown as they come against the run that shows them only at its end,
// in the shown window, alternating so that both meet the same load of the machine.
void CompareLiveRows(TFmain& window, const fs::path& root, int rounds)
{
    window.SetStartPaths({root.string() + "/"}, 0);
    window.resize(1200, 800);
    window.show();
    QCoreApplication::processEvents();
    std::vector<double> times[2];      // off, on
    std::vector<double> processor[2];  // the same runs in processor seconds, steadier under load
    for (int i = 0; i < rounds; ++i) {
        for (const bool live : {i % 2 == 0, i % 2 != 0}) {
            window.LiveResults = live;
            const double processorBefore = bench::ProcessorSeconds(RUSAGE_SELF);
            times[live ? 1 : 0].push_back(Seconds([&] {
                window.SB_runClick();
                QCoreApplication::processEvents();  // the last rows painted
            }));
            processor[live ? 1 : 0].push_back(bench::ProcessorSeconds(RUSAGE_SELF) - processorBefore);
        }
    }
    window.LiveResults = true;
    std::printf("found rows shown while searching (LIVE_RESULTS), %d rows, median of %d:\n", window.FoundList().Count(),
                rounds);
    std::printf("  off: %.3f s, on: %.3f s, ratio on/off: %.3f\n", Median(times[0]), Median(times[1]),
                Median(times[1]) / Median(times[0]));
    std::printf("  processor time off: %.3f s, on: %.3f s, ratio on/off: %.3f\n", Median(processor[0]),
                Median(processor[1]), Median(processor[1]) / Median(processor[0]));
    window.hide();
}

// One directory of a million files read by the walk, the workers started when the walk waits
// and from the start (as the program runs): the time and the longest stretch without events.
void TimeWideDirectory()
{
    const fs::path wide = OwnTempPath("fk_bench_wide");
    fs::remove_all(wide);
    MakeWideDirectory(wide, 1000000);
    for (const auto start : {TSearchWalk::TLookAhead::WhenWaiting, TSearchWalk::TLookAhead::AtOnce}) {
        GapHost host;
        TSearchWalk walk(host);
        walk.LookAhead = start;
        walk.ScanDirectory(wide.string());  // warms the cache
        host.longest = {};
        const double seconds = Seconds([&] { walk.ScanDirectory(wide.string()); });
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("one directory of 1,000,000 files, workers %s: walked in %.2f s, longest gap between event"
                    " rounds %.1f ms,\n  at most %.1f MB held ahead by the workers, peak RSS of the process %.0f MB\n",
                    start == TSearchWalk::TLookAhead::AtOnce ? "from the start" : "started when waiting", seconds,
                    std::chrono::duration<double, std::milli>(host.longest).count(),
                    static_cast<double>(walk.PeakLookAheadBytes) / 1e6, static_cast<double>(usage.ru_maxrss) / 1e3);
    }
    fs::remove_all(wide);
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    platform::KeepFreedMemoryForReuse();  // as the program does
    QApplication app(argc, argv);
    int rounds = 5;
    std::string mount, profiled, profiledWalk;
    bool liveOnly = false;
    bool wideOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--cold")
            coldRuns = true;
        else if (arg == "--live")
            liveOnly = true;
        else if (arg == "--wide")
            wideOnly = true;
        else if (arg == "--mount" && i + 1 < argc)
            mount = argv[++i];
        else if (arg == "--profile" && i + 1 < argc)
            profiled = argv[++i];
        else if (arg == "--profile-walk" && i + 1 < argc)
            profiledWalk = argv[++i];
        else
            rounds = std::atoi(argv[i]);
    }
    if (coldRuns && geteuid() != 0) {
        std::printf("--cold drops the page cache, which takes root\n");
        return 1;
    }
    if (wideOnly) {
        TimeWideDirectory();
        return 0;
    }
    if (!profiledWalk.empty()) {
        for (int i = 0; i < rounds; ++i) {
            TCountingHost host;
            TSearchWalk walk(host);
            walk.ScanDirectory(profiledWalk);
        }
        return 0;
    }
    if (!profiled.empty()) {
        TFmain window;
        window.AttachNativeKrellers(CreateNativeKrellers(window.KrellerServices(), &window));
        window.FormActivate();
        window.SetStartPaths({profiled + "/"}, 0);
        bench::PrintProfiledRuns(rounds, [&] { window.SB_runClick(); });
        return 0;
    }
    if (!mount.empty()) {
        TFmain window;
        window.AttachNativeKrellers(CreateNativeKrellers(window.KrellerServices(), &window));
        window.FormActivate();
        CompareWithFind(window, mount, rounds, mount.c_str());
        CompareWorkers(mount, rounds);
        return 0;
    }
    // One tree per process: benchmarks of other checkouts may run at the same time.
    const fs::path root = OwnTempPath("fk_bench_tree");
    fs::remove_all(root);
    // 1 + 8 + 64 + 512 directories with 350 files each: about 205,000 files and 585 directories.
    const std::int64_t entries = MakeTree(root, 3, 8, 350);
    std::printf("tree: %lld entries below %s\n", static_cast<long long>(entries), root.c_str());

    TFmain window;
    window.AttachNativeKrellers(CreateNativeKrellers(window.KrellerServices(), &window));
    window.FormActivate();
    if (liveOnly) {
        CompareLiveRows(window, root, std::max(rounds, 6));
        fs::remove_all(root);
        return 0;
    }
    CompareWithFind(window, root, rounds, "wide tree");
    CompareLiveRows(window, root, std::max(rounds, 6));
    CompareWorkers(root, rounds);

    CompareKrellers(window, root, rounds);
    fs::remove_all(root);

    for (const int levels : {3000, 6000}) {
        const fs::path deep = OwnTempPath("fk_bench_deep");
        RemoveWithRm(deep);
        MakeDeepChain(deep, levels);
        CompareWithFind(window, deep, rounds, (std::to_string(levels) + " levels deep").c_str());
        RemoveWithRm(deep);
    }

    TimeWideDirectory();
    return 0;
}
