// Spacing out the found list's refreshes during a run.
#include <gtest/gtest.h>

#include "core/refresh_pacing.h"

namespace {

using namespace std::chrono_literals;
using Clock = TRefreshPacing::Clock;

TEST(RefreshPacing, ACostlyRefreshWaitsSoThatRefreshingKeepsItsShareOfTheTime)
{
    const Clock::time_point t0{};
    const struct {
        Clock::duration cost;
        Clock::duration askedAfter;  // after the refresh ended
        bool due;
    } cases[] = {
        {1ms, 250ms, true},     // a small list: every tick of the timer
        {10ms, 250ms, false},   // 10 ms at 3 % wants 323 ms between refreshes
        {10ms, 324ms, true},
        {50ms, 1500ms, false},  // a list of a million rows is refreshed every second or two
        {50ms, 1700ms, true},
        {100ms, 1900ms, false}, // however costly, what is shown is at most two seconds old
        {100ms, 2s, true},
        {10s, 2s, true},
        {0ms, 0ms, true},
    };
    for (const auto& c : cases) {
        TRefreshPacing pacing(0.03, 2s);
        EXPECT_TRUE(pacing.Due(t0)) << "the first refresh is due at once";
        pacing.Done(c.cost, t0 + 1s);
        EXPECT_EQ(pacing.Due(t0 + 1s + c.askedAfter), c.due)
            << std::chrono::duration_cast<std::chrono::milliseconds>(c.cost).count() << " ms";
        pacing.Restart();
        EXPECT_TRUE(pacing.Due(t0)) << "a new run starts afresh";
    }
}

} // namespace
