#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "plugins/text_limit.h"

struct TKrellerRow;

// Files whose text a limit kept from being searched whole: how many, by which limit, and the first
// of them.
struct TPartlySearched {
    static constexpr std::size_t kPathsKept = 5;

    std::int64_t TimeLimit = 0;
    std::int64_t SizeLimit = 0;
    std::vector<std::string> FirstPaths;

    std::int64_t Count() const { return TimeLimit + SizeLimit; }
    void Record(const std::string& path, TTextLimit limit);

    bool operator==(const TPartlySearched&) const = default;
};

// What one checked kreller did during a run.
struct TFunnelStage {
    const TKrellerRow* Row = nullptr;
    std::string Caption;
    bool Directories = false;      // the Directories kreller, asked about directories, not files
    std::int64_t Asked = 0;
    std::int64_t Refused = 0;      // those refused by an error included
    std::int64_t Failed = 0;       // refused because the test raised an error
    std::chrono::nanoseconds Time{};

    bool operator==(const TFunnelStage&) const = default;
};

// Why files were found or not: every checked kreller in chain order with its counts, and the
// first error a test raised, so that an empty found list always has a visible reason.
struct TKrellerFunnel {
    std::vector<TFunnelStage> Stages;
    std::string FirstErrorKreller;  // caption of the kreller whose test failed first
    std::string FirstError;
    TPartlySearched PartlySearched;

    TFunnelStage* StageOf(const TKrellerRow* row);
    const TFunnelStage* DirectoriesStage() const;
    // Counts one answer of row's kreller; error is the test's failure, if it raised one.
    void Record(const TKrellerRow* row, bool passed, std::chrono::nanoseconds time, const std::string* error);

    bool operator==(const TKrellerFunnel&) const = default;
};
