// The search with only the Context kreller checked (the walk, the kreller chain, the Context
// kreller with its workers reading ahead, and its engine), against ripgrep (its default threads)
// on the same tree in the same run: one keyword, and three (A and B but not C) drawn as clouds
// with a pin; warm cache, or cold with --cold (as root: the page cache is dropped before every
// timed run). A generated corpus, or any tree with --tree DIR --keywords A,B,C. Also checks that
// both find the same files, and times the engine's stages on one buffer. --profile N runs only the
// one-keyword search N times (--profile-three N the three keywords'), for a profiler, and prints
// the median. Run by hand:
// see README.
#include "bench_timing.h"
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "core/SearchWalk.h"
#include "krellers/context_condition.h"
#include "krellers/kreller_context.h"
#include "krellers/kreller_list.h"
#include "platform/MemoryReuse.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace {

using bench::Median;
using bench::ProcessorSeconds;
using bench::Seconds;

constexpr const char* kKeywordA = "zephyrquilt";
constexpr const char* kKeywordB = "marmalade";
constexpr const char* kKeywordC = "obsidian";

// Words of ordinary text, a few of them with letters beyond ASCII; no keyword is among them or
// can form from them.
std::string TextPool(std::mt19937& random, std::size_t size)
{
    static const char* const words[] = {
        "the", "of", "and", "a", "to", "in", "is", "you", "that", "it", "he", "was", "for", "on", "are",
        "as", "with", "his", "they", "at", "be", "this", "have", "from", "or", "one", "had", "by",
        "word", "but", "not", "what", "all", "were", "we", "when", "your", "can", "said", "there",
        "use", "an", "each", "which", "she", "do", "how", "their", "if", "will", "up", "other",
        "about", "out", "many", "then", "them", "these", "so", "some", "her", "would", "make",
        "like", "him", "into", "time", "has", "look", "two", "more", "write", "go", "see", "number",
        "invoice", "report", "Quarterly", "Summary", "Total", "café", "Größe", "straße", "привет",
        "данные", "naïve", "Ελλάδα", "fiancée", "2024-03-01", "12,345.67", "(see", "below)", "--"};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(words) - 1);
    std::string pool;
    pool.reserve(size + 64);
    for (int inLine = 0; pool.size() < size; ++inLine) {
        pool += words[pick(random)];
        pool += inLine % 12 == 11 ? '\n' : ' ';
    }
    return pool;
}

std::string CaseVariant(std::string keyword, int variant)
{
    if (variant == 1)
        platform::UpperCaseAsciiInPlace(keyword);
    if (variant == 2)
        keyword[0] = static_cast<char>(keyword[0] - 'a' + 'A');
    return keyword;
}

// Appending instead of operator+ keeps GCC 12 from a false -Wrestrict alarm.
std::string Numbered(const char* prefix, int number)
{
    return std::string(prefix).append(std::to_string(number));
}

struct TCorpus {
    std::int64_t files = 0;
    std::int64_t bytes = 0;
    std::int64_t withA = 0;
};

// 3,200 files of 256 bytes to 1 MiB (log-uniform) and a dozen of 8 MiB, in 40 directories of two
// levels. Keyword A in about 5 % of the files, B in 40 %, C in 20 %, each independently.
TCorpus MakeCorpus(const fs::path& root)
{
    std::mt19937 random(2026);
    const std::string pool = TextPool(random, std::size_t{16} << 20);
    std::uniform_real_distribution<double> logSize(std::log(256.0), std::log(1048576.0));
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    TCorpus corpus;
    for (int f = 0; f < 3212; ++f) {
        const fs::path dir = root / Numbered("d", f % 8) / Numbered("e", f % 5);
        fs::create_directories(dir);
        const auto size = f < 12 ? std::size_t{8} << 20 : static_cast<std::size_t>(std::exp(logSize(random)));
        std::string text = pool.substr(random() % (pool.size() - size / 2), size);
        while (text.size() < size)
            text += pool.substr(0, size - text.size());
        for (auto [keyword, p] : {std::pair{kKeywordA, 0.05}, std::pair{kKeywordB, 0.4}, std::pair{kKeywordC, 0.2}}) {
            if (chance(random) >= p)
                continue;
            const std::string variant = CaseVariant(keyword, static_cast<int>(random() % 3));
            text.insert(random() % text.size(), std::string(" ").append(variant).append(" "));
            corpus.withA += keyword == kKeywordA;
        }
        std::ofstream(dir / Numbered("file_", f).append(".txt"), std::ios::binary) << text;
        ++corpus.files;
        corpus.bytes += static_cast<std::int64_t>(text.size());
    }
    return corpus;
}

// A corpus kept by an earlier run ("keep" as the second argument) is used again; its figures lie
// beside it.
TCorpus KeptOrNewCorpus(const fs::path& root)
{
    const fs::path figures = root.string() + ".figures";
    TCorpus corpus;
    if (fs::exists(root) && (std::ifstream(figures) >> corpus.files >> corpus.bytes >> corpus.withA))
        return corpus;
    fs::remove_all(root);
    corpus = MakeCorpus(root);
    std::ofstream(figures) << corpus.files << ' ' << corpus.bytes << ' ' << corpus.withA << '\n';
    return corpus;
}

// The search run as the main window does it: the walk asks the kreller chain for every file and
// tells it what it listed, so that the Context kreller's workers read ahead.
class TBenchHost : public TWalkHost {
public:
    explicit TBenchHost(TKrellerList& krellers) : krellers_(krellers) {}
    std::set<std::string> found;

    void LetEventsRun() override { QCoreApplication::processEvents(); }
    bool DirectoryPasses(const FileEntry&, const std::string&) override { return true; }
    bool FilePassesKrellers(const FileEntry& entry, const std::string& path) override
    {
        return krellers_.FilePassesKrellers(entry, path);
    }
    void AddFoundFile(const FileEntry&, const std::string& path) override { found.insert(path); }
    bool EntriesListed(const std::string& dir, std::span<const FileEntry> entries,
                       const platform::TWalkPlace& first) override
    {
        return krellers_.ReadAhead(dir, entries, first);
    }
    bool ListsAhead() override { return krellers_.ReadingAhead() != nullptr; }
    // As the window asks, its rows in the order found and no Directories kreller in the chain.
    bool NeedsFileFacts() override { return krellers_.NeedsFileFacts(); }
    bool NeedsDirectoryFacts() override { return false; }

private:
    TKrellerList& krellers_;
};

// The row strings of a diagram of keyword clouds with one pin at (pinX, pinY).
TConditionStrings ContextRow(const std::vector<std::pair<std::string, TNOXpin>>& clouds, TNOXpin pin)
{
    TCloudDiagram diagram;
    diagram.Activate();
    for (const auto& [keyword, centre] : clouds) {
        const TKeywordCloud cloud = KeywordCloud(keyword);
        diagram.AddCloud(cloud.Caption, cloud.Body, centre.X, centre.Y, 60);
    }
    while (diagram.PinCount() > 0)
        diagram.DeletePin(diagram.PinAt(0));
    diagram.AddPin(pin.X, pin.Y);
    TConditionStrings row = ContextConditionLines(diagram);
    row.insert(row.begin(), kContextDescription);
    return row;
}

struct TTimes {
    std::vector<double> wall, processor;
    std::vector<std::string> load;  // the load average before each run
};

std::string LoadAverage()
{
    std::string text;
    std::getline(std::ifstream("/proc/loadavg"), text);
    return text.substr(0, text.find(' ', text.find(' ', text.find(' ') + 1) + 1));
}

bool CanDropCaches()
{
    return ::geteuid() == 0;
}

void DropCaches()
{
    ::sync();
    std::ofstream("/proc/sys/vm/drop_caches") << "3\n";
}

template <typename F>
void Measure(TTimes& times, int who, bool cold, F&& run)
{
    if (cold)
        DropCaches();
    times.load.push_back(LoadAverage());
    const double processorBefore = ProcessorSeconds(who);
    times.wall.push_back(Seconds(run));
    times.processor.push_back(ProcessorSeconds(who) - processorBefore);
}

std::string Shell(const std::string& command)
{
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char block[65536];
        for (std::size_t got; (got = std::fread(block, 1, sizeof block, pipe)) > 0;)
            output.append(block, got);
        ::pclose(pipe);
    }
    return output;
}

std::set<std::string> Lines(const std::string& text)
{
    std::set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.insert(line);
    return lines;
}

// The files one list has and the other lacks, a few of each, so that a difference can be looked into.
void PrintDifference(const std::set<std::string>& ours, const std::set<std::string>& theirs)
{
    const auto printOnly = [](const char* whose, const std::set<std::string>& in, const std::set<std::string>& notIn) {
        std::vector<std::string> only;
        std::set_difference(in.begin(), in.end(), notIn.begin(), notIn.end(), std::back_inserter(only));
        for (std::size_t i = 0; i < std::min<std::size_t>(only.size(), 5); ++i)
            std::printf("  %s only: %s\n", whose, only[i].c_str());
        if (only.size() > 5)
            std::printf("  %s only: %zu more\n", whose, only.size() - 5);
    };
    printOnly("FileKreller", ours, theirs);
    printOnly("rg", theirs, ours);
}

std::string Quoted(const std::string& text)
{
    return "'" + text + "'";
}

// ripgrep with its default threads; each keyword given is searched for, a file listed when it
// holds any of them.
std::string RgCommand(const std::vector<std::string>& keywords, const fs::path& root)
{
    std::string command = "rg -l -i -F";
    for (const std::string& keyword : keywords)
        command += " -e " + Quoted(keyword);
    return command + " " + Quoted(root.string());
}

// The engine's stages, each over one buffer of the corpus's kind of text.
void TimeStages()
{
    std::mt19937 random(5);
    const std::string pool = TextPool(random, std::size_t{256} << 20);
    const double gb = static_cast<double>(pool.size()) / 1e9;
    std::string text = pool;
    const double upper = Seconds([&] { UpperCaseLocaleRange(text.data(), text.size(), 0, text.size()); });
    std::string reference = pool;
    const double upperByte = Seconds([&] { platform::UpperCaseLocaleInPlace(reference); });
    bool found = false;
    const double search = Seconds([&] { found = ContainsBytes(text, "ZEPHYRQUILT"); });
    bool foundBlind = false;
    const double caseBlind = Seconds([&] { foundBlind = ContainsInUpperCased(pool, "ZEPHYRQUILT").value_or(true); });
    const double memmemTime = Seconds([&] { found |= ::memmem(text.data(), text.size(), "ZEPHYRQUILT", 11) != nullptr; });
    const double memchrTime = Seconds([&] { found |= std::memchr(text.data(), '\x01', text.size()) != nullptr; });
    std::printf("stages on %.0f MB of text in memory (GB/s): upper-case %.2f (byte at a time: %.2f), "
                "search %.2f, case-blind in the text as read %.2f (memmem: %.2f, memchr: %.2f)%s\n",
                gb * 1e3, gb / upper, gb / upperByte, gb / search, gb / caseBlind, gb / memmemTime, gb / memchrTime,
                found || foundBlind || text != reference ? " MISMATCH" : "");
}


struct TOptions {
    int rounds = 5;
    bool keep = false;
    bool cold = false;
    std::string tree;
    unsigned workers = 0;  // 0: as the program has them
    int profileRounds = 0;  // --profile N: only the one-keyword search N times, for a profiler
    bool profileThree = false;  // --profile-three N: the three keywords' search instead
    std::vector<std::string> keywords = {kKeywordA, kKeywordB, kKeywordC};
};

TOptions ParseOptions(int argc, char** argv)
{
    TOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "keep")
            options.keep = true;
        else if (argument == "--cold")
            options.cold = true;
        else if (argument == "--tree" && i + 1 < argc)
            options.tree = argv[++i];
        else if (argument == "--workers" && i + 1 < argc)
            options.workers = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
        else if ((argument == "--profile" || argument == "--profile-three") && i + 1 < argc) {
            options.profileRounds = std::max(1, std::atoi(argv[++i]));
            options.profileThree = argument == "--profile-three";
        } else if (argument == "--keywords" && i + 1 < argc) {
            options.keywords.clear();
            std::istringstream list(argv[++i]);
            for (std::string keyword; std::getline(list, keyword, ',');)
                options.keywords.push_back(keyword);
        } else
            options.rounds = std::max(1, std::atoi(argument.c_str()));
    }
    if (options.keywords.size() != 3) {
        std::fprintf(stderr, "--keywords takes three keywords: A,B,C\n");
        std::exit(2);
    }
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    platform::KeepFreedMemoryForReuse();  // as the program does
    QApplication app(argc, argv);
    const TOptions options = ParseOptions(argc, argv);
    const int rounds = options.rounds;
    const bool cold = options.cold && CanDropCaches();
    if (options.cold && !cold)
        std::printf("--cold needs root to drop the page cache: the runs are warm\n");
    const fs::path root = options.tree.empty() ? fs::temp_directory_path() / "fk_bench_context" : fs::path(options.tree);
    if (options.tree.empty()) {
        const TCorpus corpus = KeptOrNewCorpus(root);
        std::printf("corpus: %lld files, %.1f MB, keyword A in %lld files, below %s\n", static_cast<long long>(corpus.files),
                    static_cast<double>(corpus.bytes) / 1e6, static_cast<long long>(corpus.withA), root.c_str());
    } else {
        std::printf("tree: %s\n", root.c_str());
    }
    const std::string& a = options.keywords[0];
    const std::string& b = options.keywords[1];
    const std::string& c = options.keywords[2];

    TSearchWalk* walkOfRun = nullptr;
    TKrellerServices services;
    services.ProcessEvents = [] { QCoreApplication::processEvents(); };
    services.CurrentFileAbandoned = [&] { return walkOfRun->IgnoreCurrent || walkOfRun->StopRequested; };
    TD_kreller_context kreller;
    kreller.SetServices(services);
    TKrellerList krellers;
    TKrellerRow& row = krellers.AppendNativeRow("Context", &kreller);
    TBenchHost host(krellers);
    TSearchWalk walk(host);
    walkOfRun = &walk;
    const unsigned workers = options.workers > 0 ? options.workers : kreller.AheadWorkers;
    auto search = [&](const TConditionStrings& condition, unsigned aheadWorkers) {
        row.Strings = condition;
        row.Checked = true;
        kreller.AheadWorkers = aheadWorkers;
        krellers.LoadKrellerConditions();
        host.found.clear();
        walk.ResetCounters();
        const TReadingAheadScope readingAhead(krellers, nullptr);
        walk.ScanDirectory(root.string());
    };

    // A alone; then A, B and C overlapping with the pin where A and B meet outside C.
    const TConditionStrings one = ContextRow({{a, {100, 100}}}, {100, 100});
    const TConditionStrings three = ContextRow({{a, {100, 100}}, {b, {180, 100}}, {c, {140, 200}}}, {140, 80});
    const std::string rgOne = RgCommand({a}, root) + " >/dev/null 2>&1";
    const std::string rgThree = RgCommand({a, b, c}, root) + " >/dev/null 2>&1";
    if (options.profileRounds > 0) {
        bench::PrintProfiledRuns(options.profileRounds, [&] { search(options.profileThree ? three : one, workers); });
        return 0;
    }
    TTimes ours1, ours3, alone1, theirs1, theirs3;
    search(one, workers);  // warms the cache
    (void)std::system(rgOne.c_str());
    for (int i = 0; i < rounds; ++i) {
        Measure(ours1, RUSAGE_SELF, cold, [&] { search(one, workers); });
        Measure(theirs1, RUSAGE_CHILDREN, cold, [&] { (void)std::system(rgOne.c_str()); });
        Measure(ours3, RUSAGE_SELF, cold, [&] { search(three, workers); });
        Measure(theirs3, RUSAGE_CHILDREN, cold, [&] { (void)std::system(rgThree.c_str()); });
        Measure(alone1, RUSAGE_SELF, cold, [&] { search(one, 0); });
    }

    search(one, workers);
    const TAheadCounts counts = kreller.LastAheadCounts();
    std::printf("read ahead by %u workers (%zu at most): %lld files judged, %lld answers used, %lld judged again (changed), "
                "%lld wasted (%.1f MB), at most %zu files ahead; %lld not begun when asked for, %lld waited for "
                "(%.1f ms)\n",
                workers, counts.MostWorkers, static_cast<long long>(counts.Judged), static_cast<long long>(counts.Used),
                static_cast<long long>(counts.Stale), static_cast<long long>(counts.Wasted),
                static_cast<double>(counts.WastedBytes) / 1e6, counts.PeakAhead, static_cast<long long>(counts.NotBegun),
                static_cast<long long>(counts.Awaited), std::chrono::duration<double, std::milli>(counts.AwaitedTime).count());
    const auto rgA = Lines(Shell(RgCommand({a}, root) + " 2>/dev/null"));
    std::printf("one keyword: %zu files found, rg lists %zu: %s\n", host.found.size(), rgA.size(),
                host.found == rgA ? "the same files" : "DIFFERENT FILES");
    PrintDifference(host.found, rgA);
    search(three, workers);
    std::printf("three keywords' condition: %s\n", kreller.Expression().c_str());
    std::set<std::string> expected;
    const auto rgB = Lines(Shell(RgCommand({b}, root) + " 2>/dev/null"));
    const auto rgC = Lines(Shell(RgCommand({c}, root) + " 2>/dev/null"));
    for (const std::string& path : rgA)
        if (rgB.count(path) && !rgC.count(path))
            expected.insert(path);
    std::printf("three keywords: %zu files found, rg lists give %zu: %s\n", host.found.size(), expected.size(),
                host.found == expected ? "the same files" : "DIFFERENT FILES");
    PrintDifference(host.found, expected);

    std::printf("%s cache, medians of %d rounds:\n", cold ? "cold" : "warm", rounds);
    auto report = [&](const char* what, const TTimes& times) {
        std::printf("  %-34s %.3f s wall, %.3f s processor; load average before the rounds: %s ... %s\n", what,
                    Median(times.wall), Median(times.processor), times.load.front().c_str(), times.load.back().c_str());
    };
    report("FileKreller, one keyword:", ours1);
    report("rg -l -i -F A:", theirs1);
    report("FileKreller, three keywords:", ours3);
    report("rg -l -i -F -e A -e B -e C:", theirs3);
    report("FileKreller, one keyword, no workers:", alone1);
    std::printf("ratio one keyword/rg: %.2f wall (aim 1.0)\n", Median(ours1.wall) / Median(theirs1.wall));
    std::printf("ratio three keywords/rg three keywords: %.2f wall (aim 1.2); against rg one keyword: %.2f\n",
                Median(ours3.wall) / Median(theirs3.wall), Median(ours3.wall) / Median(theirs1.wall));
    if (!cold)
        TimeStages();
    if (options.tree.empty() && !options.keep) {
        fs::remove_all(root);
        fs::remove(root.string() + ".figures");
    }
    return 0;
}
