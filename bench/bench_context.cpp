// The search with only the Context kreller checked (the walk, the kreller chain, the Context
// kreller and its engine), against ripgrep on the same generated corpus, warm cache, in the same
// run: one keyword, and three (A and B but not C) drawn as clouds with a pin. Also checks that both
// find the same files, and times the engine's stages on one buffer. Run by hand: see README.
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

// The search run as the main window does it: the walk asks the kreller chain for every file.
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

private:
    TKrellerList& krellers_;
};

// The row strings of a diagram of keyword clouds with one pin at (pinX, pinY).
TConditionStrings ContextRow(const std::vector<std::pair<const char*, TNOXpin>>& clouds, TNOXpin pin)
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
};

template <typename F>
void Measure(TTimes& times, int who, F&& run)
{
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

std::string RgCommand(const char* keyword, const fs::path& root)
{
    return std::string("rg -j1 -l -i -F ") + keyword + " '" + root.string() + "'";
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
    const double memmemTime = Seconds([&] { found |= ::memmem(text.data(), text.size(), "ZEPHYRQUILT", 11) != nullptr; });
    const double memchrTime = Seconds([&] { found |= std::memchr(text.data(), '\x01', text.size()) != nullptr; });
    std::printf("stages on %.0f MB of text in memory (GB/s): upper-case %.2f (byte at a time: %.2f), "
                "search %.2f (memmem: %.2f, memchr: %.2f)%s\n",
                gb * 1e3, gb / upper, gb / upperByte, gb / search, gb / memmemTime, gb / memchrTime,
                found || text != reference ? " MISMATCH" : "");
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    const fs::path root = fs::temp_directory_path() / "fk_bench_context";
    const TCorpus corpus = KeptOrNewCorpus(root);
    std::printf("corpus: %lld files, %.1f MB, keyword A in %lld files, below %s\n", static_cast<long long>(corpus.files),
                static_cast<double>(corpus.bytes) / 1e6, static_cast<long long>(corpus.withA), root.c_str());

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
    auto search = [&](const TConditionStrings& condition) {
        row.Strings = condition;
        row.Checked = true;
        krellers.LoadKrellerConditions();
        host.found.clear();
        walk.ResetCounters();
        walk.ScanDirectory(root.string());
    };

    // A alone; then A, B and C overlapping with the pin where A and B meet outside C.
    const TConditionStrings one = ContextRow({{kKeywordA, {100, 100}}}, {100, 100});
    const TConditionStrings three =
        ContextRow({{kKeywordA, {100, 100}}, {kKeywordB, {180, 100}}, {kKeywordC, {140, 200}}}, {140, 80});
    const std::string rg = RgCommand(kKeywordA, root) + " >/dev/null";
    TTimes ours1, ours3, theirs;
    search(one);  // warms the cache
    (void)std::system(rg.c_str());
    for (int i = 0; i < rounds; ++i) {
        Measure(ours1, RUSAGE_SELF, [&] { search(one); });
        Measure(theirs, RUSAGE_CHILDREN, [&] { (void)std::system(rg.c_str()); });
        Measure(ours3, RUSAGE_SELF, [&] { search(three); });
    }

    search(one);
    const auto rgA = Lines(Shell(RgCommand(kKeywordA, root)));
    std::printf("one keyword: %zu files found, rg lists %zu: %s\n", host.found.size(), rgA.size(),
                host.found == rgA ? "the same files" : "DIFFERENT FILES");
    search(three);
    std::printf("three keywords' condition: %s\n", kreller.Expression().c_str());
    std::set<std::string> expected;
    const auto rgB = Lines(Shell(RgCommand(kKeywordB, root))), rgC = Lines(Shell(RgCommand(kKeywordC, root)));
    for (const std::string& path : rgA)
        if (rgB.count(path) && !rgC.count(path))
            expected.insert(path);
    std::printf("three keywords: %zu files found, rg lists give %zu: %s\n", host.found.size(), expected.size(),
                host.found == expected ? "the same files" : "DIFFERENT FILES");

    const double gb = static_cast<double>(corpus.bytes) / 1e9;
    auto report = [&](const char* what, const TTimes& times) {
        std::printf("%-24s %.3f s wall (%.2f GB/s), %.3f s processor (%.2f GB/s); medians of %d\n", what,
                    Median(times.wall), gb / Median(times.wall), Median(times.processor), gb / Median(times.processor), rounds);
    };
    report("engine, one keyword:", ours1);
    report("engine, three keywords:", ours3);
    report("rg -j1 -l -i -F:", theirs);
    std::printf("ratio one keyword/rg: %.2f wall, %.2f processor (aim 1.5)\n", Median(ours1.wall) / Median(theirs.wall),
                Median(ours1.processor) / Median(theirs.processor));
    std::printf("ratio three keywords/rg: %.2f wall, %.2f processor (aim 2)\n", Median(ours3.wall) / Median(theirs.wall),
                Median(ours3.processor) / Median(theirs.processor));
    TimeStages();
    if (argc <= 2 || std::strcmp(argv[2], "keep") != 0) {
        fs::remove_all(root);
        fs::remove(root.string() + ".figures");
    }
    return 0;
}
