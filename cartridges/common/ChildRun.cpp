#include "ChildRun.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using SteadyClock = std::chrono::steady_clock;

// Sanitized helpers reserve terabytes of shadow address space, so an address-space limit would stop
// them before main; the sanitizer's own resident-size watchdog takes its place there.
#if defined(FK_SANITIZED_BUILD)
constexpr bool kLimitBySanitizer = true;
#else
constexpr bool kLimitBySanitizer = false;
#endif

// The child's environment: the parent's, with the sanitizer limit added where it applies.
std::vector<std::string> ChildEnvironment(const ChildLimits& limits)
{
    std::vector<std::string> entries;
    std::string sanitizerOptions;
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, "ASAN_OPTIONS=", 13) == 0)
            sanitizerOptions = *e + 13;
        else
            entries.emplace_back(*e);
    }
    if (kLimitBySanitizer) {
        const std::size_t megabytes = std::max<std::size_t>(limits.memoryBytes >> 20, 1);
        if (!sanitizerOptions.empty())
            sanitizerOptions += ':';
        sanitizerOptions += "hard_rss_limit_mb=" + std::to_string(megabytes) + ":allocator_may_return_null=1";
    }
    if (!sanitizerOptions.empty())
        entries.push_back("ASAN_OPTIONS=" + sanitizerOptions);
    return entries;
}

std::vector<char*> PointersOf(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (auto& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

void SetLimit(int resource, rlim_t value)
{
    const rlimit limit{value, value};
    ::setrlimit(resource, &limit);
}

// Runs in the forked child: only async-signal-safe calls from here to execve.
[[noreturn]] void BecomeHelper(const char* program, char* const* argv, char* const* envp, int outputFd, rlim_t cpuSeconds,
                               rlim_t memoryBytes)
{
    const int nullFd = ::open("/dev/null", O_RDONLY);
    if (nullFd < 0 || ::dup2(nullFd, STDIN_FILENO) < 0 || ::dup2(outputFd, STDOUT_FILENO) < 0)
        ::_exit(127);
    ::close_range(3, ~0U, 0);
    SetLimit(RLIMIT_CPU, cpuSeconds);
    SetLimit(RLIMIT_CORE, 0);
    if (!kLimitBySanitizer)
        SetLimit(RLIMIT_AS, memoryBytes);
    ::execve(program, argv, envp);
    ::_exit(127);
}

ChildResult ResultOfStatus(int status)
{
    if (WIFEXITED(status)) {
        const int code = WEXITSTATUS(status);
        // execve failed in the child.
        if (code == 127)
            return {ChildOutcome::NotStarted, code};
        return {code == 0 ? ChildOutcome::Finished : ChildOutcome::Failed, code};
    }
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU)
        return {ChildOutcome::TimedOut, -1};
    return {ChildOutcome::Killed, -1};
}

// Calls the caller's waiting work when a step has passed since the last call.
class TWaitSteps {
public:
    explicit TWaitSteps(const ChildLimits& limits) : limits_(limits) {}

    void Tick()
    {
        const auto now = SteadyClock::now();
        if (limits_.whileWaiting && now - last_ >= limits_.waitStep) {
            last_ = now;
            limits_.whileWaiting();
        }
    }
private:
    const ChildLimits& limits_;
    SteadyClock::time_point last_{};  // the first tick calls at once
};

std::uint64_t FileBytes(int fd)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

void KillAndReap(pid_t pid)
{
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// Waits for the child to end; kills it at the deadline or once its output passes the limit.
ChildResult AwaitChild(pid_t pid, int outputFd, const ChildLimits& limits, SteadyClock::time_point deadline)
{
    TWaitSteps steps(limits);
    for (;;) {
        steps.Tick();
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return ResultOfStatus(status);
        if (done < 0 && errno != EINTR)
            return {ChildOutcome::Failed, -1};
        const bool late = SteadyClock::now() >= deadline;
        if (late || FileBytes(outputFd) > limits.outputBytes) {
            KillAndReap(pid);
            return {late ? ChildOutcome::TimedOut : ChildOutcome::OutputTooLong, -1};
        }
        ::usleep(1000);
    }
}

} // namespace

ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments, const ChildLimits& limits,
                     int outputFd)
{
    std::vector<std::string> argvStrings{program};
    argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envStrings = ChildEnvironment(limits);
    std::vector<char*> argv = PointersOf(argvStrings);
    std::vector<char*> envp = PointersOf(envStrings);
    const auto cpuSeconds = static_cast<rlim_t>(std::chrono::ceil<std::chrono::seconds>(limits.time).count() + 1);
    const auto deadline = SteadyClock::now() + limits.time;
    const pid_t pid = ::fork();
    if (pid < 0)
        return {};
    if (pid == 0)
        BecomeHelper(program.c_str(), argv.data(), envp.data(), outputFd, cpuSeconds, limits.memoryBytes);
    return AwaitChild(pid, outputFd, limits, deadline);
}
