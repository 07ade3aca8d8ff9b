// Requests to end from outside the program, as the session, the system or a terminal sends them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <csignal>

#include "RunEvents.h"
#include "platform/TerminationRequests.h"

namespace {

void (*HandlerOf(int signal))(int)
{
    struct sigaction now{};
    sigaction(signal, nullptr, &now);
    return now.sa_handler;
}

TEST(TerminationRequests, EachSignalComesAsOneCallOnTheEventLoopAndLeavesItsDefaultBehind)
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        int requests = 0;
        {
            platform::TTerminationRequests watch([&requests] { ++requests; });
            raise(signal);
            raise(signal);  // before the loop looks: still one request
            EXPECT_EQ(requests, 0) << "the handler itself calls nothing";
            EXPECT_TRUE(RunEventsUntil([&requests] { return requests > 0; }));
            QCoreApplication::processEvents();
            EXPECT_EQ(requests, 1);
        }
        EXPECT_EQ(HandlerOf(signal), SIG_DFL);
    }
}

TEST(TerminationRequests, OnlyOneWatchAtATime)
{
    platform::TTerminationRequests first([] {});
    EXPECT_THROW(platform::TTerminationRequests second([] {}), std::logic_error);
}

} // namespace
