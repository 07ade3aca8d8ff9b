#pragma once
#include <chrono>
#include <cstdint>
#include <string>

#include "krellers/kreller_funnel.h"

// How a run stands, as the status bar, the title bar and the result indicator tell it.
struct TRunStatus {
    bool Ran = false;  // a run has started since the program did
    bool Running = false;
    bool Stopped = false;
    std::int64_t Found = 0;
    std::chrono::nanoseconds Time{};
    std::int64_t FailedFiles = 0;  // refused because a kreller's test raised an error
    std::string FailedKreller;     // the kreller whose test failed first
    std::string FirstError;

    // The run's outcome from its funnel: the errors its krellers' tests raised.
    static TRunStatus Ended(std::int64_t found, bool stopped, std::chrono::nanoseconds time,
                            const TKrellerFunnel& funnel);
};

// "1 file found", "12 files found".
std::string FilesFoundText(std::int64_t found);
// The status bar's text at the end of a run: "12 files found in 0.4 s", "stopped after 0.4 s: ...",
// and for a run whose krellers raised errors what they refused and the first message.
std::string RunStatusText(const TRunStatus& status);
// The main window's title: the program's name, with the count while running and the outcome after.
std::string RunTitleText(const TRunStatus& status);

// The result indicator: green after a good run, a warning after errors, grey after a stop.
enum class TIndicatorState { Normal, Warning, Stopped };
TIndicatorState IndicatorState(const TRunStatus& status);
// Its tooltip: what a click shows, and what went wrong.
std::string IndicatorToolTip(const TRunStatus& status);
// The word shown beside it; empty after a good run.
std::string IndicatorWord(const TRunStatus& status);
