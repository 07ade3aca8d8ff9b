#pragma once
#include <cstddef>
#include <functional>
#include <pthread.h>
#include <vector>

namespace platform {

// A thread for a search's workers, on a stack of a size of its own. The system keeps the stacks
// of ended threads for new ones only while they add up to a few tens of megabytes: with the usual
// 8 MB, a run that starts and ends its 19 workers has every stack mapped, touched and unmapped
// again, which took two of the three milliseconds a search of an empty tree took.
class TWorkerThread {
public:
    // What a worker needs: its buffers live on the heap.
    static constexpr std::size_t kStackBytes = std::size_t{1} << 20;

    TWorkerThread() = default;
    // Runs work on a new thread; throws std::system_error when the system refuses one.
    explicit TWorkerThread(std::function<void()> work);
    ~TWorkerThread();  // waits for the thread, when it was not waited for
    TWorkerThread(TWorkerThread&& other) noexcept;
    TWorkerThread& operator=(TWorkerThread&& other) noexcept;
    TWorkerThread(const TWorkerThread&) = delete;
    TWorkerThread& operator=(const TWorkerThread&) = delete;

    bool Joinable() const { return running_; }
    // Waits for the thread to end.
    void Join();

private:
    pthread_t thread_{};
    bool running_ = false;
};

// Starts count threads running work into workers, as many as the system gives (each one more
// request in flight, none needed for the others to work); throws std::system_error when it gives
// none.
void StartWorkers(std::vector<TWorkerThread>& workers, unsigned count, const std::function<void()>& work);

} // namespace platform
