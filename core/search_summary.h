#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/SearchWalk.h"
#include "krellers/kreller_funnel.h"

// The counts of a run beside the krellers' own.
struct TRunCounts {
    std::int64_t Examined = 0;               // directory entries the walk took up
    // Directories the walk could not open; unknown where the walk does not tell.
    std::optional<std::int64_t> UnreadableDirectories;
};

// The funnel as the run summary shows it, one line each: what the walk saw, then every checked
// kreller in chain order with how many it was asked about, refused (by errors apart) and its
// time, then the first error a test raised, then the files whose text a limit kept from being
// searched whole.
std::string FunnelText(const TKrellerFunnel& funnel, const TRunCounts& counts);

// How a run ended, as the summary tells it.
struct TRunOutcome {
    std::int64_t Found = 0;
    bool Interrupted = false;
    std::int64_t Examined = 0;
    TUnreadDirectories Unread;
    std::vector<std::string> MissingStartPaths;
};

// The whole run summary: the found count, the interruption, the start paths that do not exist,
// then the funnel. Unreadable directories are told once: by the walk's line with its reasons and
// first paths where there were any, otherwise by the funnel's count.
std::string SearchResultText(const TRunOutcome& outcome, const TKrellerFunnel& funnel);
