// The child process runner: outcomes, and that every limit ends a child that would not end.
#include "cartridges/common/ChildRun.h"

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// A child run with its output in an unnamed file, read back after.
struct RunOutput {
    ChildResult result;
    std::string output;
};

RunOutput RunInto(const std::vector<std::string>& arguments, const ChildLimits& limits)
{
    std::FILE* file = std::tmpfile();
    RunOutput run{RunChild(FK_TEST_CHILD, arguments, limits, ::fileno(file)), {}};
    std::rewind(file);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        run.output.append(buffer, n);
    std::fclose(file);
    return run;
}

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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RunOutput run = RunInto(c.arguments, limits);
        EXPECT_EQ(run.result.outcome, c.expected);
        EXPECT_EQ(run.output, c.output);
    }
    EXPECT_EQ(RunInto({"exit", "3"}, limits).result.exitStatus, 3);
    // What was written before the limit stays: a converter stopped there leaves the text before.
    const RunOutput talk = RunInto({"talk"}, limits);
    EXPECT_EQ(talk.result.outcome, ChildOutcome::OutputTooLong);
    EXPECT_GE(talk.output.size(), limits.outputBytes);
}

TEST(ChildRun, HangingChildIsKilledAtTheTimeLimit)
{
    ChildLimits limits;
    limits.time = 300ms;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunInto({"hang"}, limits).result.outcome, ChildOutcome::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST(ChildRun, TheCallersWaitingWorkRunsWhileTheChildWorks)
{
    ChildLimits limits;
    limits.time = 300ms;
    limits.waitStep = 10ms;
    int calls = 0;
    limits.whileWaiting = [&calls] { ++calls; };
    EXPECT_EQ(RunInto({"hang"}, limits).result.outcome, ChildOutcome::TimedOut);
    EXPECT_GE(calls, 5) << "about every 10 ms of 300";
    calls = 0;
    EXPECT_EQ(RunInto({"echo", "quick"}, limits).output, "quick");
    EXPECT_GE(calls, 1) << "once at least, however quick the child";
}

TEST(ChildRun, GrowingChildIsStoppedByTheMemoryLimit)
{
    ChildLimits limits;
    limits.time = 20s;
    limits.memoryBytes = std::size_t{128} << 20;
    const ChildResult result = RunInto({"grow"}, limits).result;
    EXPECT_FALSE(result.Succeeded());
    EXPECT_NE(result.outcome, ChildOutcome::TimedOut);
}

TEST(ChildRun, MissingProgramIsNotStarted)
{
    std::FILE* file = std::tmpfile();
    EXPECT_EQ(RunChild("/nonexistent/converter", {}, {}, ::fileno(file)).outcome, ChildOutcome::NotStarted);
    std::fclose(file);
}

} // namespace
