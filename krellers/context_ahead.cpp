#include "krellers/context_ahead.h"

#include "krellers/context_engine.h"
#include "krellers/context_plan.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <system_error>
#include <utility>

struct TContextAhead::TItem {
    enum class TState { Waiting, Working, Done };

    explicit TItem(platform::TListedFile&& file) : Path(std::move(file.Path)), ListedRegular(file.Regular) {}

    const std::string Path;
    const bool ListedRegular;
    TState State = TState::Waiting;
    std::atomic<bool> Abandoned = false;  // asked for no more: the worker may stop at once
    TAheadAnswer Answer;
    std::optional<platform::TContentIdentity> Read;  // what the worker judged
    std::chrono::steady_clock::time_point Finished;
};

bool TContextAhead::CanJudge(std::string_view condition)
{
    return !condition.empty() && TContextPlan::Make(condition, ContextValuePasses).has_value();
}

TContextAhead::TContextAhead(std::string condition, TLimits limits)
    : condition_(std::move(condition)),
      limits_(limits),
      room_(std::max<std::size_t>(1, limits.FilesAheadPerWorker) * std::max(1u, limits.Workers))
{
    const unsigned workers = std::max(1u, limits_.Workers);
    workers_.reserve(std::max(workers, limits_.WorkersWhenWaiting));
    const std::lock_guard lock(mutex_);  // a worker that starts another does so holding it
    platform::StartWorkers(workers_, workers, [this] { Work(); });
    counts_.MostWorkers = workers_.size();
}

TContextAhead::~TContextAhead()
{
    EndWorkers();
}

TAheadCounts TContextAhead::EndWorkers()
{
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    workReady_.notify_all();
    for (platform::TWorkerThread& worker : workers_)
        worker.Join();
    workers_.clear();
    return Counts();
}

bool TContextAhead::Queue(std::vector<platform::TListedFile> files)
{
    bool queued = false;
    bool roomForAll = true;
    {
        const std::lock_guard lock(mutex_);
        for (platform::TListedFile& file : files) {
            if (waiting_.size() == limits_.QueuedPaths) {
                roomForAll = false;
                break;
            }
            // A path met again (a directory listed twice, or ahead and again when entered) keeps
            // its first place; a second file at a place is of a listing read ahead that the walk
            // did not use after all.
            if ((passed_ && !(*passed_ < file.Place)) || where_.contains(file.Path))
                continue;
            const platform::TWalkPlace place = file.Place;
            const auto at = order_.lower_bound(place);
            if (at != order_.end() && at->first == place)
                continue;
            const auto placed = order_.emplace_hint(at, place, std::make_shared<TItem>(std::move(file)));
            where_.emplace(placed->second->Path, place);
            waiting_.emplace_hint(waiting_.end(), place, placed->second);
            queued = true;
        }
        queued = queued && ahead_ < room_;  // else the workers wake when the chain makes room
    }
    if (queued)
        workReady_.notify_all();
    return roomForAll;
}

TContextAhead::TTake TContextAhead::Take(const std::string& path, const std::function<bool()>& keepWaiting,
                                         TAheadAnswer& answer)
{
    std::unique_lock lock(mutex_);
    const auto found = where_.find(path);
    if (found == where_.end())
        return TTake::NotAhead;
    const auto place = order_.find(found->second);
    passed_ = found->second;
    where_.erase(found);
    const std::size_t aheadBefore = ahead_;
    DropBefore(place);
    const TItemPtr item = std::move(place->second);
    order_.erase(place);
    if (item->State == TItem::TState::Waiting) {
        waiting_.erase(*passed_);
        ++counts_.NotBegun;
        WakeForRoom(aheadBefore);
        return TTake::NotAhead;  // judged here sooner than a worker could get to it
    }
    --ahead_;
    WakeForRoom(aheadBefore);
    const TTake taken = WaitForAnswer(lock, item, keepWaiting);
    if (taken != TTake::Answered)
        return taken;
    // An older answer holds only for the file as the worker found it.
    if (std::chrono::steady_clock::now() - item->Finished > limits_.FreshFor) {
        lock.unlock();
        const bool unchanged = platform::ContentIdentityOf(path) == item->Read;
        lock.lock();
        if (!unchanged) {
            ++counts_.Stale;
            return TTake::NotAhead;
        }
    }
    answer = item->Answer;
    ++counts_.Used;
    return TTake::Answered;
}

TContextAhead::TTake TContextAhead::WaitForAnswer(std::unique_lock<std::mutex>& lock, const TItemPtr& item,
                                                  const std::function<bool()>& keepWaiting)
{
    if (item->State == TItem::TState::Done)
        return TTake::Answered;
    ++counts_.Awaited;
    const auto began = std::chrono::steady_clock::now();
    const TTake taken = AwaitAnswer(lock, item, keepWaiting);
    counts_.AwaitedTime += std::chrono::steady_clock::now() - began;  // the lock is held again
    return taken;
}

TContextAhead::TTake TContextAhead::AwaitAnswer(std::unique_lock<std::mutex>& lock, const TItemPtr& item,
                                                const std::function<bool()>& keepWaiting)
{
    awaited_ = item.get();
    while (item->State != TItem::TState::Done) {
        answerReady_.wait_for(lock, std::chrono::milliseconds(5));
        if (item->State == TItem::TState::Done)
            break;
        lock.unlock();
        const bool wait = !keepWaiting || keepWaiting();
        lock.lock();
        if (!wait) {
            awaited_ = nullptr;
            item->Abandoned = true;
            ++counts_.Wasted;  // the worker's work on it is of no use now
            return TTake::GivenUp;
        }
    }
    awaited_ = nullptr;
    return TTake::Answered;
}

// Workers that filled the room ahead sleep until half of it is free again, then all go on:
// waking one for every place that frees would cost a switch of threads for every file, or more
// when several are woken for one place and fight over it. Called with the lock held.
void TContextAhead::WakeForRoom(std::size_t aheadBefore)
{
    const std::size_t lowWater = room_ / 2;
    if (aheadBefore > lowWater && ahead_ <= lowWater)
        workReady_.notify_all();
}

// Called with the lock held.
void TContextAhead::Drop(TItem& item)
{
    where_.erase(item.Path);
    switch (item.State) {
    case TItem::TState::Waiting:
        return;  // out of the files waiting with the rest passed by
    case TItem::TState::Working:
        item.Abandoned = true;
        break;
    case TItem::TState::Done:
        if (item.Read)
            counts_.WastedBytes += static_cast<std::uint64_t>(std::max<std::int64_t>(item.Read->Size, 0));
        break;
    }
    --ahead_;
    ++counts_.Wasted;
}

// Files at places before place were passed by: the chain will not ask for them. Called with the
// lock held.
void TContextAhead::DropBefore(TOrder::iterator place)
{
    waiting_.erase(waiting_.begin(), waiting_.lower_bound(place->first));
    for (auto passed = order_.begin(); passed != place; passed = order_.erase(passed))
        Drop(*passed->second);
}

// Every worker has an engine of its own for the whole run, so the condition is planned once; it
// is told to stop by the flags of the file it is at.
void TContextAhead::Work()
{
    const TItem* current = nullptr;
    TContextEngine engine({[] {}, [this, &current] { return ending_ || current->Abandoned; }});
    engine.PieceBytes = limits_.PieceBytes;
    platform::TWaitWatch watch;
    watch.Sample = limits_.SampleWaits;
    bool idled = true;
    for (TItemPtr item = NextToJudge(nullptr, idled); item; item = NextToJudge(item.get(), idled)) {
        current = item.get();
        try {
            item->Answer.Passes = engine.TestFile(item->Path, condition_, {}, item->ListedRegular);
        } catch (const std::exception& error) {
            item->Answer = {false, true, error.what()};
        } catch (...) {
            item->Answer = {false, true, "unknown error"};
        }
        item->Read = engine.LastFileIdentity();
        WatchWaits(watch, idled);
    }
}

// Every so often a worker looks at how it has waited since its last look, unless it idled for
// want of work meanwhile: sleeping on its files, it starts one more worker.
void TContextAhead::WatchWaits(platform::TWaitWatch& watch, bool& idled)
{
    const auto now = std::chrono::steady_clock::now();
    if (!watch.Due(now))
        return;
    if (std::exchange(idled, false))
        watch.Restart(now);
    else if (watch.Waiting(now))
        AddWorker();
}

// Called on a worker; EndWorkers sees every worker started before it set ending_.
void TContextAhead::AddWorker()
{
    const std::lock_guard lock(mutex_);
    if (ending_ || workers_.size() >= limits_.WorkersWhenWaiting)
        return;
    try {
        workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        return;  // the system gives no more: the workers there are go on
    }
    counts_.MostWorkers = workers_.size();
}

// Only the answer the chain waits for wakes it: the others would wake it to find its own not yet
// there, a switch of threads each. Called with the lock held, which it lets go of to wake it.
void TContextAhead::Finish(TItem& item, std::chrono::steady_clock::time_point finished,
                           std::unique_lock<std::mutex>& lock)
{
    item.State = TItem::TState::Done;
    item.Finished = finished;
    ++counts_.Judged;
    if (item.Abandoned && item.Read)
        counts_.WastedBytes += static_cast<std::uint64_t>(std::max<std::int64_t>(item.Read->Size, 0));
    if (awaited_ != &item)
        return;
    lock.unlock();
    answerReady_.notify_all();
    lock.lock();
}

// Marks finished (when a file was) done, and gives the next file the chain will ask for that no
// worker has begun, once there is room ahead; nothing when the workers are to end. One hold of
// the lock for both, so the workers meet the chain at the lock half as often. idled is set when
// the worker slept for want of work or room.
TContextAhead::TItemPtr TContextAhead::NextToJudge(TItem* finished, bool& idled)
{
    const auto now = std::chrono::steady_clock::now();
    std::unique_lock lock(mutex_);
    if (finished)
        Finish(*finished, now, lock);
    for (;;) {
        if (ending_)
            return nullptr;
        if (ahead_ < room_ && !waiting_.empty()) {
            TItemPtr item = std::move(waiting_.begin()->second);
            waiting_.erase(waiting_.begin());
            item->State = TItem::TState::Working;
            ++ahead_;
            counts_.PeakAhead = std::max(counts_.PeakAhead, ahead_);
            return item;
        }
        idled = true;
        workReady_.wait(lock);
    }
}

TAheadCounts TContextAhead::Counts() const
{
    const std::lock_guard lock(mutex_);
    return counts_;
}

std::size_t TContextAhead::BytesPerWorker() const
{
    return limits_.PieceBytes + std::size_t{64} * 1024;
}
