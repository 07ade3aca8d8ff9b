#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Runs one helper program as a child process under limits, its standard output going into a file.
// A hostile input may make a helper loop, grow or crash; the caller sees only the outcome, never a
// hang longer than the time limit.
struct ChildLimits {
    std::chrono::milliseconds time{10000};           // wall-clock, and processor time
    std::size_t memoryBytes = std::size_t{1} << 30;  // address space (resident size under sanitizers)
    std::uint64_t outputBytes = std::uint64_t{4} << 30; // the output file grows no further
    // Called about every waitStep while the child works, so that the host's window goes on
    // answering during a slow conversion.
    std::function<void()> whileWaiting;
    std::chrono::milliseconds waitStep{15};
};

enum class ChildOutcome {
    Finished,      // exited with status 0
    Failed,        // exited with another status
    Killed,        // ended by a signal (a crash, or a memory limit the kernel enforced)
    TimedOut,      // killed at the time limit (by us, or by the kernel's processor-time limit)
    OutputTooLong, // killed by us past the output limit
    NotStarted,    // could not be started at all
};

struct ChildResult {
    ChildOutcome outcome = ChildOutcome::NotStarted;
    int exitStatus = -1;  // for Finished and Failed

    bool Succeeded() const { return outcome == ChildOutcome::Finished; }
};

// program is a full path; arguments follow argv[0]. Standard input is /dev/null, standard output
// is outputFd (a regular file, written from its current offset), standard error is inherited.
// Blocks the calling thread until the child has ended and been reaped, calling limits.whileWaiting
// meanwhile. What the child wrote stays in the file whatever the outcome.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments, const ChildLimits& limits,
                     int outputFd);
