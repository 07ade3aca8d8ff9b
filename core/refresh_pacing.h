#pragma once
#include <chrono>

// Spaces out a refresh whose cost grows with what it shows (the found list lays out every row
// it holds each time new ones come), so that refreshing takes at most a share of the time:
// after a refresh that took c, the next one is due no sooner than c * (1 / share - 1) later, and
// never later than longestWait, so that what is shown is never older than that.
// A cheap refresh stays due at every tick of the timer that asks.
class TRefreshPacing {
public:
    using Clock = std::chrono::steady_clock;

    TRefreshPacing(double share, Clock::duration longestWait) : share_(share), longestWait_(longestWait) {}

    bool Due(Clock::time_point now) const { return now >= next_; }
    void Done(Clock::duration cost, Clock::time_point end);
    // A new run: the first refresh is due at once.
    void Restart() { next_ = {}; }

private:
    double share_;
    Clock::duration longestWait_;
    Clock::time_point next_{};
};
