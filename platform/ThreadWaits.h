#pragma once
#include <chrono>
#include <cstdint>
#include <functional>

namespace platform {

// What the calling thread has done so far: how often it went to sleep in the kernel of its own
// accord (to wait for a disk, a network file system, a lock or a timer; being run off the
// processor by other work does not count) and how long it ran.
struct TThreadWaits {
    std::int64_t Sleeps = 0;
    std::chrono::microseconds Running{};
};

TThreadWaits ThreadWaits();

// Tells whether a thread (the walk's, or a worker's) keeps waiting for the file system: a cold
// disk or a network mount puts it to sleep on its requests, so that it runs for a small part of
// the time, while on a warm cache it never sleeps. Between two looks it must have slept at least
// MinSleeps times and run for at most half the time. A busy machine that runs it off the
// processor does not make it sleep, and a rare sleep (a page read in, a lock) is not enough.
class TWaitWatch {
public:
    using Clock = std::chrono::steady_clock;

    // What the thread has done so far; a stand-in in tests.
    std::function<TThreadWaits()> Sample = ThreadWaits;
    // The shortest time between two looks: asking the system costs a call.
    Clock::duration Every = std::chrono::milliseconds(10);
    std::int64_t MinSleeps = 2;

    void Restart(Clock::time_point now);
    // Whether a look is due: Waiting looks only then.
    bool Due(Clock::time_point now) const { return now - lastLook_ >= Every; }
    bool Waiting(Clock::time_point now);

private:
    Clock::time_point lastLook_{};
    TThreadWaits last_{};
};

} // namespace platform
