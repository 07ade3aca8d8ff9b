#include "platform/WorkerThread.h"

#include <memory>
#include <system_error>
#include <utility>

namespace platform {

namespace {

void* RunWork(void* work)
{
    const std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(work));
    (*owned)();
    return nullptr;
}

// Attributes asking for a stack of bytes, released however the start goes.
class TStackAttributes {
public:
    explicit TStackAttributes(std::size_t bytes)
    {
        pthread_attr_init(&attributes_);
        pthread_attr_setstacksize(&attributes_, bytes);
    }
    ~TStackAttributes() { pthread_attr_destroy(&attributes_); }
    TStackAttributes(const TStackAttributes&) = delete;
    TStackAttributes& operator=(const TStackAttributes&) = delete;
    const pthread_attr_t* Get() const { return &attributes_; }

private:
    pthread_attr_t attributes_{};
};

} // namespace

TWorkerThread::TWorkerThread(std::function<void()> work)
{
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    const TStackAttributes attributes(kStackBytes);
    const int error = pthread_create(&thread_, attributes.Get(), RunWork, owned.get());
    if (error != 0)
        throw std::system_error(error, std::generic_category(), "a worker thread could not start");
    owned.release();  // the thread owns it now
    running_ = true;
}

TWorkerThread::~TWorkerThread()
{
    Join();
}

TWorkerThread::TWorkerThread(TWorkerThread&& other) noexcept
    : thread_(other.thread_), running_(std::exchange(other.running_, false))
{
}

TWorkerThread& TWorkerThread::operator=(TWorkerThread&& other) noexcept
{
    if (this != &other) {
        Join();
        thread_ = other.thread_;
        running_ = std::exchange(other.running_, false);
    }
    return *this;
}

void StartWorkers(std::vector<TWorkerThread>& workers, unsigned count, const std::function<void()>& work)
{
    const std::size_t before = workers.size();
    for (unsigned i = 0; i < count; ++i) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            if (workers.size() == before)
                throw;
            return;
        }
    }
}

void TWorkerThread::Join()
{
    if (std::exchange(running_, false))
        pthread_join(thread_, nullptr);
}

} // namespace platform
