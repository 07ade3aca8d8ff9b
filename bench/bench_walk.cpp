// The search run against find(1) on the same generated tree, warm cache, several rounds each.
// Prints the median times and the ratio ours/find. Then the walk with the size, mask and date
// conditions applied to every file against the walk with none, through a host that does what the
// main window does for each entry. Run by hand: see README.
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
#include "krellers/date_condition.h"
#include "krellers/kreller_size.h"
#include "krellers/mask_condition.h"
#include "platform/Dates.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

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

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename F>
double Seconds(F&& run)
{
    const auto start = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// What the main window does for each entry of a run, with the chain reduced to the plain
// conditions of the File size, File mask and File date krellers, or to none.
class TConditionsHost : public TWalkHost {
public:
    explicit TConditionsHost(bool applyConditions) : applyConditions_(applyConditions)
    {
        size_.Upper = {true, 1, TSizeUnit::MB};
        date_.Action = TFileAction::Changed;
        date_.After = {true, platform::AddDays(platform::Today(), -30)};
    }

    void LetEventsRun() override { QCoreApplication::processEvents(); }
    bool DirectoryPasses(const FileEntry&, const std::string&) override { return true; }
    bool FilePassesKrellers(const FileEntry& entry, const std::string& path) override
    {
        if (!applyConditions_)
            return true;
        try {
            return size_.Test(entry.Size) && mask_.Test(path) && date_.Test(entry);
        } catch (...) {
            return false;
        }
    }
    void AddFoundFile(const FileEntry& entry, const std::string& path) override
    {
        found_.Append(entry, path);
        if (KeepFiles)
            Files.emplace_back(entry, path);
    }

    bool KeepFiles = false;
    std::vector<std::pair<FileEntry, std::string>> Files;

    int Run(const std::string& root)
    {
        found_.Clear();
        TSearchWalk walk(*this);
        walk.ScanDirectory(root);
        found_.Flush();
        return found_.Count();
    }

private:
    bool applyConditions_;
    TSizeCondition size_;
    TMaskTester mask_{TMaskCondition{TMaskMode::UseFileMask, "*", "txt", {}}, {}};
    TDateCondition date_;
    TFoundListModel found_;
};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    // One tree per process: benchmarks of other checkouts may run at the same time.
    const fs::path root = fs::temp_directory_path() / ("fk_bench_tree_" + std::to_string(getpid()));
    fs::remove_all(root);
    // 1 + 8 + 64 + 512 directories with 350 files each: about 205,000 files and 585 directories.
    const std::int64_t entries = MakeTree(root, 3, 8, 350);
    std::printf("tree: %lld entries below %s\n", static_cast<long long>(entries), root.c_str());

    TFmain window;
    window.FormActivate();
    window.SetStartPaths({root.string() + "/"}, 0);
    const std::string find = "find '" + root.string() + "' -printf '%s %T@\\n' >/dev/null";

    std::vector<double> ours, theirs;
    window.SB_runClick();  // warms the cache
    for (int i = 0; i < rounds; ++i) {
        ours.push_back(Seconds([&] { window.SB_runClick(); }));
        theirs.push_back(Seconds([&] { (void)std::system(find.c_str()); }));
    }
    std::printf("found rows: %d, entries counted: %lld\n", window.FoundList().Count(),
                static_cast<long long>(window.TotalCount()));
    std::printf("FileKreller run: %.3f s (median of %d)\n", Median(ours), rounds);
    std::printf("find -printf:    %.3f s (median of %d)\n", Median(theirs), rounds);
    std::printf("ratio ours/find: %.2f\n", Median(ours) / Median(theirs));

    // Every generated file passes all three conditions, so both walks fill the same found list and
    // the difference is what the conditions cost.
    TConditionsHost bare(false), filtered(true);
    std::vector<double> bareTimes, filteredTimes;
    int bareFound = 0, filteredFound = 0;
    for (int i = 0; i < rounds; ++i) {
        bareTimes.push_back(Seconds([&] { bareFound = bare.Run(root.string()); }));
        filteredTimes.push_back(Seconds([&] { filteredFound = filtered.Run(root.string()); }));
    }
    std::printf("walk, no conditions:             %.3f s, %d found (median of %d)\n", Median(bareTimes), bareFound, rounds);
    std::printf("walk, size + mask + date applied: %.3f s, %d found (median of %d)\n", Median(filteredTimes),
                filteredFound, rounds);
    std::printf("ratio conditions/none: %.2f\n", Median(filteredTimes) / Median(bareTimes));

    // The conditions alone over the files the walk found: what they add to a run, free of the
    // noise of the file system.
    bare.KeepFiles = true;
    bare.Run(root.string());
    std::vector<double> aloneTimes;
    int passed = 0;
    for (int i = 0; i < rounds; ++i)
        aloneTimes.push_back(Seconds([&] {
            passed = 0;
            for (const auto& [entry, path] : bare.Files)
                passed += filtered.FilePassesKrellers(entry, path) ? 1 : 0;
        }));
    std::printf("conditions alone on %d files: %.3f s, %d passed (%.1f%% of the walk without them)\n",
                static_cast<int>(bare.Files.size()), Median(aloneTimes), passed,
                100.0 * Median(aloneTimes) / Median(bareTimes));
    fs::remove_all(root);
    return 0;
}
