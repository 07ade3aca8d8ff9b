#include "ChildProcess.h"

#include <grp.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kCannotArrange = 77;
constexpr uid_t kNobody = 65534;

void WriteAll(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written <= 0)
            return;
        done += static_cast<std::size_t>(written);
    }
}

[[noreturn]] void ChildMain(int fd, const std::function<std::optional<std::string>()>& work)
{
    std::optional<std::string> answer;
    try {
        answer = work();
    } catch (const std::exception& error) {
        answer = std::string("exception: ") + error.what();
    }
    if (answer)
        WriteAll(fd, *answer);
    // _exit: the child must not run the test program's exit handlers (leak checks among them).
    _exit(answer ? 0 : kCannotArrange);
}

} // namespace

std::optional<std::string> RunInChild(const std::function<std::optional<std::string>()>& work)
{
    int fds[2];
    if (pipe(fds) != 0)
        return std::nullopt;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        ChildMain(fds[1], work);
    }
    close(fds[1]);
    std::string answer;
    char buffer[4096];
    for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, static_cast<std::size_t>(got));
    close(fds[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return std::nullopt;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotArrange)
        return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child ended abnormally: " + answer;
    return answer;
}

bool DropPrivileges()
{
    if (geteuid() != 0)
        return true;
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
        return false;
    // A process that changed its user is no longer dumpable, which hides /proc/self from it and
    // from the sanitizers.
    prctl(PR_SET_DUMPABLE, 1);
    return true;
}

bool RefuseNewThreads()
{
    const rlimit one{1, 1};
    if (setrlimit(RLIMIT_NPROC, &one) != 0)
        return false;
    pthread_t thread{};
    if (pthread_create(&thread, nullptr, [](void*) -> void* { return nullptr; }, nullptr) != 0)
        return true;
    pthread_join(thread, nullptr);
    return false;
}
