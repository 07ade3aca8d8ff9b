#include "ChildRun.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
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

struct Fd {
    int fd = -1;
    explicit Fd(int value = -1) : fd(value) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    void Close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

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

ChildOutcome OutcomeOfStatus(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 0 ? ChildOutcome::Finished : ChildOutcome::Failed;
    return ChildOutcome::Killed;
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
    // How long one wait may last: to the deadline, and never past the next step.
    int Milliseconds(SteadyClock::time_point deadline) const
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
        const long long cap = limits_.whileWaiting ? limits_.waitStep.count() : 1000;
        return left < 0 ? 0 : static_cast<int>(std::min<long long>(left, cap));
    }

private:
    const ChildLimits& limits_;
    SteadyClock::time_point last_{};  // the first tick calls at once
};

// Reads the child's output until it closes the pipe; answers Finished there, or the limit it hit.
ChildOutcome CollectOutput(int fd, SteadyClock::time_point deadline, std::size_t maxBytes, std::string& output,
                           TWaitSteps& steps)
{
    char buffer[65536];
    for (;;) {
        steps.Tick();
        if (SteadyClock::now() >= deadline)
            return ChildOutcome::TimedOut;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, steps.Milliseconds(deadline));
        if (ready < 0 && errno != EINTR)
            return ChildOutcome::Failed;
        if (ready <= 0)
            continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return ChildOutcome::Finished;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return ChildOutcome::Failed;
        }
        if (output.size() + static_cast<std::size_t>(n) > maxBytes)
            return ChildOutcome::OutputTooLong;
        output.append(buffer, static_cast<std::size_t>(n));
    }
}

// Waits for the child to end by the deadline; kills it past that. Answers the wait status, or
// nothing when the deadline passed first.
bool ReapBy(pid_t pid, SteadyClock::time_point deadline, int& status, TWaitSteps& steps)
{
    for (;;) {
        steps.Tick();
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return true;
        if (done < 0 && errno != EINTR)
            return false;
        if (SteadyClock::now() >= deadline)
            return false;
        ::usleep(1000);
    }
}

void KillAndReap(pid_t pid)
{
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments, const ChildLimits& limits)
{
    ChildResult result;
    std::vector<std::string> argvStrings{program};
    argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envStrings = ChildEnvironment(limits);
    std::vector<char*> argv = PointersOf(argvStrings);
    std::vector<char*> envp = PointersOf(envStrings);
    const auto cpuSeconds = static_cast<rlim_t>(std::chrono::ceil<std::chrono::seconds>(limits.time).count() + 1);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return result;
    Fd readEnd(pipeFds[0]);
    Fd writeEnd(pipeFds[1]);
    const auto deadline = SteadyClock::now() + limits.time;
    const pid_t pid = ::fork();
    if (pid < 0)
        return result;
    if (pid == 0)
        BecomeHelper(program.c_str(), argv.data(), envp.data(), writeEnd.fd, cpuSeconds, limits.memoryBytes);
    writeEnd.Close();

    TWaitSteps steps(limits);
    result.outcome = CollectOutput(readEnd.fd, deadline, limits.outputBytes, result.output, steps);
    int status = 0;
    if (result.outcome == ChildOutcome::Finished && ReapBy(pid, deadline, status, steps)) {
        result.outcome = OutcomeOfStatus(status);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
            result.outcome = ChildOutcome::NotStarted;
    } else {
        if (result.outcome == ChildOutcome::Finished)
            result.outcome = ChildOutcome::TimedOut;
        KillAndReap(pid);
    }
    if (!result.Succeeded())
        result.output.clear();
    return result;
}
