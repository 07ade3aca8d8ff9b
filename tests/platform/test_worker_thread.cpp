#include <gtest/gtest.h>

#include <atomic>
#include <pthread.h>
#include <thread>
#include <vector>

#include "platform/WorkerThread.h"

namespace {

std::size_t OwnStackBytes()
{
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0)
        return 0;
    std::size_t bytes = 0;
    pthread_attr_getstacksize(&attributes, &bytes);
    pthread_attr_destroy(&attributes);
    return bytes;
}

} // namespace

TEST(WorkerThread, RunsItsWorkOnAStackOfTheSizeAskedFor)
{
    std::size_t stack = 0;
    std::thread::id id;
    platform::TWorkerThread worker([&] {
        stack = OwnStackBytes();
        id = std::this_thread::get_id();
    });
    ASSERT_TRUE(worker.Joinable());
    worker.Join();
    EXPECT_FALSE(worker.Joinable());
    EXPECT_GE(stack, platform::TWorkerThread::kStackBytes);
    EXPECT_LT(stack, 2 * platform::TWorkerThread::kStackBytes);
    EXPECT_NE(id, std::this_thread::get_id());
}

// Moved, a thread is waited for once, by whoever holds it last; so is one never waited for.
TEST(WorkerThread, IsWaitedForOnceWhoeverHoldsItLast)
{
    std::atomic<int> ran = 0;
    {
        std::vector<platform::TWorkerThread> workers;
        platform::StartWorkers(workers, 5, [&] { ++ran; });
        ASSERT_EQ(workers.size(), 5u);
        platform::TWorkerThread moved = std::move(workers[0]);
        EXPECT_FALSE(workers[0].Joinable());
        EXPECT_TRUE(moved.Joinable());
        workers[1] = std::move(moved);
        EXPECT_FALSE(moved.Joinable());
        workers[2].Join();
    }
    EXPECT_EQ(ran, 5);
}
