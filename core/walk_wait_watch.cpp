#include "core/walk_wait_watch.h"

#include <algorithm>

void TWaitWatch::Restart(Clock::time_point now)
{
    lastLook_ = now;
    lastSleeps_ = Sleeps();
}

bool TWaitWatch::Waiting(Clock::time_point now)
{
    const Clock::duration elapsed = now - lastLook_;
    if (elapsed < Every)
        return false;
    const std::int64_t sleeps = Sleeps();
    const std::int64_t slept = sleeps - lastSleeps_;
    lastLook_ = now;
    lastSleeps_ = sleeps;
    // A rate, so that a long stretch between two looks does not add up rare sleeps.
    return slept * Every.count() >= Enough * std::max<Clock::rep>(elapsed.count(), 1);
}
