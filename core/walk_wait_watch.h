#pragma once
#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/ThreadWaits.h"

// Tells whether the walk's thread keeps waiting for the file system: a cold disk or a network
// mount puts it to sleep on most requests, a warm cache never does. It looks at how often the
// thread slept since its last look and says yes when that comes to Enough sleeps per Every.
class TWaitWatch {
public:
    using Clock = std::chrono::steady_clock;

    // The thread's sleeps so far; a stand-in in tests.
    std::function<std::int64_t()> Sleeps = platform::ThreadWaitCount;
    // The shortest time between two looks: asking the system costs a call.
    Clock::duration Every = std::chrono::milliseconds(10);
    // Sleeps per Every that mean waiting; a rare sleep (a page read in, a lock) is not it.
    std::int64_t Enough = 4;

    void Restart(Clock::time_point now);
    bool Waiting(Clock::time_point now);

private:
    Clock::time_point lastLook_{};
    std::int64_t lastSleeps_ = 0;
};
