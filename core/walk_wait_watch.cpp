#include "core/walk_wait_watch.h"

void TWaitWatch::Restart(Clock::time_point now)
{
    lastLook_ = now;
    last_ = Sample();
}

bool TWaitWatch::Waiting(Clock::time_point now)
{
    const Clock::duration elapsed = now - lastLook_;
    if (elapsed < Every)
        return false;
    const platform::TThreadWaits sample = Sample();
    const std::int64_t slept = sample.Sleeps - last_.Sleeps;
    const auto running = sample.Running - last_.Running;
    lastLook_ = now;
    last_ = sample;
    return slept >= MinSleeps && running * 2 <= elapsed;
}
