#pragma once
#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/ThreadWaits.h"

// Tells whether the walk's thread keeps waiting for the file system: a cold disk or a network
// mount puts it to sleep on its requests, so that it runs for a small part of the time, while
// on a warm cache it never sleeps. Between two looks it must have slept at least MinSleeps
// times and run for at most half the time. A busy machine that runs it off the processor does
// not make it sleep, and a rare sleep (a page read in, a lock) is not enough.
class TWaitWatch {
public:
    using Clock = std::chrono::steady_clock;

    // What the thread has done so far; a stand-in in tests.
    std::function<platform::TThreadWaits()> Sample = platform::ThreadWaits;
    // The shortest time between two looks: asking the system costs a call.
    Clock::duration Every = std::chrono::milliseconds(10);
    std::int64_t MinSleeps = 2;

    void Restart(Clock::time_point now);
    bool Waiting(Clock::time_point now);

private:
    Clock::time_point lastLook_{};
    platform::TThreadWaits last_{};
};
