#pragma once
#include <cstdint>

namespace platform {

// How often the calling thread has gone to sleep in the kernel of its own accord so far: to wait
// for a disk, a network file system, a lock or a timer. Being run off the processor by other
// work does not count, so a busy machine does not raise it.
std::int64_t ThreadWaitCount();

} // namespace platform
