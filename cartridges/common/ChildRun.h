#pragma once
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Runs one helper program as a child process under limits and collects what it writes to its
// standard output. A hostile input may make a helper loop, grow or crash; the caller sees only the
// outcome, never a hang longer than the time limit.
struct ChildLimits {
    std::chrono::milliseconds time{10000};
    std::size_t memoryBytes = std::size_t{1} << 30;  // address space (resident size under sanitizers)
    std::size_t outputBytes = std::size_t{65} << 20; // more than this is a failure
    // Called about every waitStep while the child works, so that the host's window goes on
    // answering during a slow conversion.
    std::function<void()> whileWaiting;
    std::chrono::milliseconds waitStep{15};
};

enum class ChildOutcome {
    Finished,      // exited with status 0
    Failed,        // exited with another status
    Killed,        // ended by a signal (a crash, or a limit the kernel enforced)
    TimedOut,      // killed by us at the time limit
    OutputTooLong, // killed by us past the output limit
    NotStarted,    // could not be started at all
};

struct ChildResult {
    ChildOutcome outcome = ChildOutcome::NotStarted;
    std::string output;

    bool Succeeded() const { return outcome == ChildOutcome::Finished; }
};

// program is a full path; arguments follow argv[0]. Standard input is /dev/null, standard error
// is inherited. Blocks the calling thread until the child has ended and been reaped, calling
// limits.whileWaiting meanwhile.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments, const ChildLimits& limits);
