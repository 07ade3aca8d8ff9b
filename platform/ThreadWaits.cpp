#include "platform/ThreadWaits.h"

#include <sys/resource.h>

namespace platform {

std::int64_t ThreadWaitCount()
{
    rusage usage{};
    if (getrusage(RUSAGE_THREAD, &usage) != 0)
        return 0;
    return usage.ru_nvcsw;
}

} // namespace platform
