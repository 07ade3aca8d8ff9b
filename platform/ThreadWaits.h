#pragma once
#include <chrono>
#include <cstdint>

namespace platform {

// What the calling thread has done so far: how often it went to sleep in the kernel of its own
// accord (to wait for a disk, a network file system, a lock or a timer; being run off the
// processor by other work does not count) and how long it ran.
struct TThreadWaits {
    std::int64_t Sleeps = 0;
    std::chrono::microseconds Running{};
};

TThreadWaits ThreadWaits();

} // namespace platform
