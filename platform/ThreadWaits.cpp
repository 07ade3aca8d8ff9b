#include "platform/ThreadWaits.h"

#include <sys/resource.h>

namespace platform {

namespace {

std::chrono::microseconds Microseconds(const timeval& time)
{
    return std::chrono::seconds(time.tv_sec) + std::chrono::microseconds(time.tv_usec);
}

} // namespace

TThreadWaits ThreadWaits()
{
    rusage usage{};
    if (getrusage(RUSAGE_THREAD, &usage) != 0)
        return {};
    return {usage.ru_nvcsw, Microseconds(usage.ru_utime) + Microseconds(usage.ru_stime)};
}

} // namespace platform
