// The child process runner: outcomes, and that every limit ends a child that would not end.
#include "cartridges/common/ChildRun.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

struct Case {
    const char* what;
    std::vector<std::string> arguments;
    ChildOutcome expected;
    std::string output;
};

TEST(ChildRun, OutcomesAndOutput)
{
    ChildLimits limits;
    limits.time = 2000ms;
    limits.memoryBytes = std::size_t{256} << 20;
    limits.outputBytes = 1 << 20;
    const Case cases[] = {
        {"echo", {"echo", "hello world"}, ChildOutcome::Finished, "hello world"},
        {"exit 0", {"exit", "0"}, ChildOutcome::Finished, ""},
        {"exit 3", {"exit", "3"}, ChildOutcome::Failed, ""},
        {"talks without end", {"talk"}, ChildOutcome::OutputTooLong, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ChildResult result = RunChild(FK_TEST_CHILD, c.arguments, limits);
        EXPECT_EQ(result.outcome, c.expected);
        EXPECT_EQ(result.output, c.output);
    }
}

TEST(ChildRun, HangingChildIsKilledAtTheTimeLimit)
{
    ChildLimits limits;
    limits.time = 300ms;
    const auto start = std::chrono::steady_clock::now();
    const ChildResult result = RunChild(FK_TEST_CHILD, {"hang"}, limits);
    EXPECT_EQ(result.outcome, ChildOutcome::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST(ChildRun, TheCallersWaitingWorkRunsWhileTheChildWorks)
{
    ChildLimits limits;
    limits.time = 300ms;
    limits.waitStep = 10ms;
    int calls = 0;
    limits.whileWaiting = [&calls] { ++calls; };
    EXPECT_EQ(RunChild(FK_TEST_CHILD, {"hang"}, limits).outcome, ChildOutcome::TimedOut);
    EXPECT_GE(calls, 5) << "about every 10 ms of 300";
    calls = 0;
    EXPECT_EQ(RunChild(FK_TEST_CHILD, {"echo", "quick"}, limits).output, "quick");
    EXPECT_GE(calls, 1) << "once at least, however quick the child";
}

TEST(ChildRun, GrowingChildIsStoppedByTheMemoryLimit)
{
    ChildLimits limits;
    limits.time = 20s;
    limits.memoryBytes = std::size_t{128} << 20;
    const ChildResult result = RunChild(FK_TEST_CHILD, {"grow"}, limits);
    EXPECT_FALSE(result.Succeeded());
    EXPECT_NE(result.outcome, ChildOutcome::TimedOut);
}

TEST(ChildRun, MissingProgramIsNotStarted)
{
    EXPECT_EQ(RunChild("/nonexistent/converter", {}, {}).outcome, ChildOutcome::NotStarted);
}

} // namespace
