#include "core/refresh_pacing.h"

#include <algorithm>

void TRefreshPacing::Done(Clock::duration cost, Clock::time_point end)
{
    const auto wait = std::chrono::duration_cast<Clock::duration>(cost * (1.0 / share_ - 1.0));
    next_ = end + std::min(wait, longestWait_);
}
