#include "core/refresh_pacing.h"

void TRefreshPacing::Done(Clock::duration cost, Clock::time_point end)
{
    next_ = end + std::chrono::duration_cast<Clock::duration>(cost * (1.0 / share_ - 1.0));
}
