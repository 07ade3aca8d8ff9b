#include "platform/MemoryReuse.h"

#include <malloc.h>

namespace platform {
namespace {

// Free memory a heap keeps at its top: as much as the walk's workers may hold ahead, which a
// search of a big tree frees at its end and asks for again in the next.
constexpr int kKeptFreeBytes = 64 << 20;
// The largest block taken from a heap rather than mapped on its own (the most the allocator
// allows): the found rows of a big tree grow to tens of megabytes, and a block mapped on its own
// comes back zeroed page by page every time.
constexpr int kLargestHeapBlock = 32 << 20;

} // namespace

void KeepFreedMemoryForReuse()
{
    // Setting the trim threshold stops the allocator from raising the mapping threshold as big
    // blocks are freed, so that one is set too.
    mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
    mallopt(M_TRIM_THRESHOLD, kKeptFreeBytes);
}

} // namespace platform
