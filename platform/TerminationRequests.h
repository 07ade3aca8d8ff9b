#pragma once
#include <functional>
#include <memory>

namespace platform {

// Turns the requests to end that a process gets from outside (SIGTERM from the session or the
// system, SIGHUP when its terminal goes, SIGINT from Ctrl+C) into a call on the event loop's
// thread, so that the program can end as if its window were closed and keep what it remembers.
// One at a time; while it lives it owns those signals, and it gives them their default back.
class TTerminationRequests {
public:
    explicit TTerminationRequests(std::function<void()> onRequest);
    ~TTerminationRequests();
    TTerminationRequests(const TTerminationRequests&) = delete;
    TTerminationRequests& operator=(const TTerminationRequests&) = delete;

private:
    struct TState;
    std::unique_ptr<TState> state_;
};

} // namespace platform
