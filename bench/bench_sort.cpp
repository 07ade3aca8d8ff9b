// Sorting the found list: a million rows by each column, both directions, by the program's own
// order (the C locale) and by a locale's collator (bench_sort [locale], de_DE.UTF-8 when none is
// named). Prints the times. Run by hand: see README.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

#include "core/found_rows.h"
#include "platform/Collation.h"

namespace {

struct TTimes {
    double Wall = 0;       // ms
    double Processor = 0;  // ms; the steadier figure on a busy machine
};

template <typename F>
TTimes Measure(F&& run)
{
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t processorStart = std::clock();
    run();
    return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
            1000.0 * static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC};
}

// Rows as a search of a home directory yields them: a few thousand directories, names with
// numbers and mixed case, sizes and dates spread wide.
std::vector<TFoundRow> MakeRows(int count)
{
    const char* const stems[] = {"Report", "photo_", "IMG", "notes", "Backup-", "track", "draft v", "\xC3\x9C" "bersicht"};
    const char* const extensions[] = {".txt", ".JPG", ".cpp", ".pdf", ".html", ".zip"};
    std::mt19937_64 random(42);
    std::vector<TFoundRow> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string dir = "/home/user/projects/area" + std::to_string(random() % 40) + "/folder" +
                                std::to_string(random() % 100) + "/";
        const std::string name = stems[random() % 8] + std::to_string(random() % 100000) + extensions[random() % 6];
        TFoundRow row;
        row.Path = dir + name;
        row.NameOffset = static_cast<std::uint32_t>(dir.size());
        row.Size = static_cast<std::int64_t>(random() % 100000000);
        row.CreationTime = 130000000000000000ULL + random() % 10000000000000000ULL;
        rows.push_back(std::move(row));
    }
    return rows;
}

void SortEveryWay(const std::vector<TFoundRow>& rows, const platform::TNameCollator* collator)
{
    const struct {
        const char* name;
        TFoundColumn column;
    } columns[] = {{"File name", TFoundColumn::Name}, {"Full path", TFoundColumn::Path},
                   {"Size", TFoundColumn::Size}, {"Date", TFoundColumn::Date}};
    for (const auto& column : columns) {
        for (const bool descending : {false, true}) {
            std::vector<std::uint32_t> order;
            const TTimes time = Measure([&] { order = SortedOrder(rows, {true, column.column, descending}, collator); });
            std::printf("%-10s %-10s %7.0f ms wall, %7.0f ms processor\n", column.name,
                        descending ? "descending" : "ascending", time.Wall, time.Processor);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    constexpr int kRows = 1000000;
    const std::vector<TFoundRow> rows = MakeRows(kRows);
    const std::string locale = argc > 1 ? argv[1] : "de_DE.UTF-8";
    const auto collator = platform::TNameCollator::ForLocale(locale);
    std::printf("rows: %d\n-- C locale (the program's own order)\n", kRows);
    SortEveryWay(rows, nullptr);
    if (!collator) {
        std::printf("-- %s: no collator\n", locale.c_str());
        return 1;
    }
    std::printf("-- %s (collator)\n", locale.c_str());
    SortEveryWay(rows, collator.get());
    return 0;
}
