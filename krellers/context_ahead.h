#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/ContentFile.h"
#include "platform/ThreadWaits.h"
#include "platform/WorkerThread.h"

// A worker's answer for one file, as the Context kreller would have given it.
struct TAheadAnswer {
    bool Passes = false;
    bool Failed = false;  // the test raised an error; Error is its message
    std::string Error;
};

// What the workers did during a run.
struct TAheadCounts {
    std::int64_t Judged = 0;        // files the workers finished
    std::int64_t Used = 0;          // answers the chain took
    std::int64_t Stale = 0;         // answers not used: the file had changed by the time it was asked for
    std::int64_t Wasted = 0;        // files begun that the chain never asked for
    std::uint64_t WastedBytes = 0;  // their sizes
    std::size_t PeakAhead = 0;      // most files begun and not yet asked for at one moment
    std::int64_t NotBegun = 0;      // files asked for before a worker began them, judged by the chain
    std::int64_t Awaited = 0;       // answers the chain waited for, a worker being at the file
    std::chrono::steady_clock::duration AwaitedTime{};  // how long it waited for them
    std::size_t MostWorkers = 0;    // workers at one time at most
};

// Judges files by their text on worker threads ahead of the kreller chain, so that several files
// are read and searched at once while the chain asks for them one at a time.
//
// Every path is queued with its place in the walk, and the chain asks for files in the order of
// their places; files of a subdirectory may be queued before the walk enters it, so the workers
// can be further ahead than one directory. Asking for a file drops what was queued at places
// before it and was not asked for (the chain refused it before it got here, or it was no file,
// or its directory was not entered after all).
//
// Only a condition that depends on nothing but the presence of its keywords is judged here: it
// calls nothing a caller added, so no plug-in runs on a worker. Every worker has an engine of its
// own. An answer older than a moment is used only when the file still is what the worker read,
// so a file changed, replaced or removed meanwhile is judged again where it is asked for.
class TContextAhead {
public:
    struct TLimits {
        unsigned Workers = 2;
        // Files begun and not yet asked for, per worker: what bounds work done in vain. A worker
        // holds only answers ahead, and the built-in krellers before the Context kreller have
        // let every queued file on, so a wide room costs little; a narrow one leaves workers idle
        // while the chain waits for a big file (4 instead of 16 took 1.07 times as long warm),
        // and wakes them more often (16 instead of 32 took 1.03 times as long on small files).
        std::size_t FilesAheadPerWorker = 32;
        // Paths waiting; further ones are not queued (their files are judged where asked for).
        std::size_t QueuedPaths = 8192;
        // Files are searched a piece of this size at a time, so that a worker holds at most about
        // this much text.
        std::size_t PieceBytes = std::size_t{256} << 10;
        // An answer asked for this soon after the worker finished the file is used as it stands:
        // a file changed while the search passes by may be read before or after the change
        // whoever reads it, and a second look at every file costs the chain's thread more than
        // the rest of its part (on small files it took 1.1 times as long).
        std::chrono::milliseconds FreshFor{50};
        // Workers there may be while the files keep them waiting (a cold disk, a network mount),
        // each one more request in flight: a worker that finds itself sleeping on its files
        // starts another. On 2 cores 8 rather than 3 took a cold /usr/share/doc in 0.74 of the
        // time, a warm one in 1.4 times, so they are not there from the start.
        unsigned WorkersWhenWaiting = 8;
        // Where a worker learns how it has waited; a stand-in in tests.
        std::function<platform::TThreadWaits()> SampleWaits = platform::ThreadWaits;
    };

    // Whether condition can be judged by the workers.
    static bool CanJudge(std::string_view condition);

    // Starts the workers; condition is one CanJudge accepts.
    TContextAhead(std::string condition, TLimits limits);
    // Gives up all work and ends the workers.
    ~TContextAhead();
    TContextAhead(const TContextAhead&) = delete;
    TContextAhead& operator=(const TContextAhead&) = delete;

    // Queues files at their places; a place the chain has passed is not queued. False when some
    // were not for want of room (QueuedPaths).
    bool Queue(std::vector<platform::TListedFile> files);

    enum class TTake {
        Answered,  // answer holds the worker's answer
        NotAhead,  // nothing usable was ahead for the file: it is to be judged where asked
        GivenUp,   // keepWaiting said no while a worker was at the file
    };
    // The answer for the file at path. While a worker is at it, keepWaiting is called every few
    // milliseconds; when it says no, the file is given up.
    TTake Take(const std::string& path, const std::function<bool()>& keepWaiting, TAheadAnswer& answer);

    TAheadCounts Counts() const;
    // Gives up all work, ends the workers and gives the counts of the run; nothing is asked of it
    // afterwards.
    TAheadCounts EndWorkers();
    // The most text a worker holds at once.
    std::size_t BytesPerWorker() const;

private:
    struct TItem;
    using TItemPtr = std::shared_ptr<TItem>;
    using TOrder = std::map<platform::TWalkPlace, TItemPtr>;

    void Work();
    TItemPtr NextToJudge(TItem* finished, bool& idled);
    void WatchWaits(platform::TWaitWatch& watch, bool& idled);
    void AddWorker();
    void Finish(TItem& item, std::chrono::steady_clock::time_point finished, std::unique_lock<std::mutex>& lock);
    void WakeForRoom(std::size_t aheadBefore);
    void Drop(TItem& item);
    void DropBefore(TOrder::iterator place);
    // The answer for item, counted and timed when it is not there yet.
    TTake WaitForAnswer(std::unique_lock<std::mutex>& lock, const TItemPtr& item,
                        const std::function<bool()>& keepWaiting);
    TTake AwaitAnswer(std::unique_lock<std::mutex>& lock, const TItemPtr& item,
                      const std::function<bool()>& keepWaiting);

    const std::string condition_;
    const TLimits limits_;
    const std::size_t room_;  // files begun and not yet asked for, at most
    mutable std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable answerReady_;
    const TItem* awaited_ = nullptr;  // the file the chain waits for, while it waits
    TOrder order_;  // files queued or begun and not yet asked for, in the order they will be
    std::unordered_map<std::string_view, platform::TWalkPlace> where_;  // the paths of order_'s files
    std::optional<platform::TWalkPlace> passed_;  // the place asked for last
    TOrder waiting_;  // of those, the ones no worker has begun
    std::size_t ahead_ = 0;   // files begun and not yet asked for or dropped
    TAheadCounts counts_;
    std::atomic<bool> ending_ = false;
    std::vector<platform::TWorkerThread> workers_;
};
