#include "platform/TerminationRequests.h"

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::array kSignals{SIGTERM, SIGHUP, SIGINT};

// The handler may do next to nothing: it writes a byte that the event loop reads.
int requestWriteEnd = -1;

extern "C" void NoteRequest(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(requestWriteEnd, &byte, 1);
    errno = saved;
}

void SetHandler(void (*handler)(int))
{
    struct sigaction action{};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        sigaction(signal, &action, nullptr);
}

} // namespace

struct TTerminationRequests::TState {
    std::array<int, 2> pipe{-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
};

TTerminationRequests::TTerminationRequests(std::function<void()> onRequest) : state_(std::make_unique<TState>())
{
    if (requestWriteEnd != -1)
        throw std::logic_error("Termination requests are already taken");
    if (pipe2(state_->pipe.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("Cannot watch for termination requests");
    state_->notifier = std::make_unique<QSocketNotifier>(state_->pipe[0], QSocketNotifier::Read);
    const int readEnd = state_->pipe[0];
    QObject::connect(state_->notifier.get(), &QSocketNotifier::activated, [readEnd, onRequest] {
        // Several signals before the loop looked are one request.
        char bytes[64];
        while (read(readEnd, bytes, sizeof bytes) > 0) {
        }
        onRequest();
    });
    requestWriteEnd = state_->pipe[1];
    SetHandler(NoteRequest);
}

TTerminationRequests::~TTerminationRequests()
{
    SetHandler(SIG_DFL);
    requestWriteEnd = -1;
    state_->notifier.reset();
    close(state_->pipe[0]);
    close(state_->pipe[1]);
}

} // namespace platform
