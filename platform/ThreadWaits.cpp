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

void TWaitWatch::Restart(Clock::time_point now)
{
    lastLook_ = now;
    last_ = Sample();
}

bool TWaitWatch::Waiting(Clock::time_point now)
{
    if (!Due(now))
        return false;
    const Clock::duration elapsed = now - lastLook_;
    const TThreadWaits sample = Sample();
    const std::int64_t slept = sample.Sleeps - last_.Sleeps;
    const auto running = sample.Running - last_.Running;
    lastLook_ = now;
    last_ = sample;
    return slept >= MinSleeps && running * 2 <= elapsed;
}

} // namespace platform
