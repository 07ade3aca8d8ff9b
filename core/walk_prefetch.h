#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/WorkerThread.h"

// Reads the directories a walk is about to enter on worker threads, ahead of it: their names and
// the stat of every entry, so that many requests are in flight while the walk hands entries on one
// at a time. Work is taken in the order the walk will need it (depth first, in listing order),
// what the walk waits for first of all, and what is read ahead is bounded in bytes.
//
// The walk opens every directory it enters itself, as it would without workers; a listing read
// ahead is used only when it is of the very directory the walk opened, so a directory swapped,
// removed or refused meanwhile is treated exactly as without workers.
class TWalkPrefetch {
public:
    struct TNode;
    using TNodePtr = std::shared_ptr<TNode>;

    // workers threads read at most about byteLimit bytes of names and entries ahead of the walk,
    // finding out facts of each entry.
    TWalkPrefetch(unsigned workers, std::size_t byteLimit, platform::TEntryFacts facts = platform::TEntryFacts::All);
    ~TWalkPrefetch();  // gives up all work and ends the workers
    TWalkPrefetch(const TWalkPrefetch&) = delete;
    TWalkPrefetch& operator=(const TWalkPrefetch&) = delete;

    // The listing of a directory the walk opened, read by the workers from that handle.
    TNodePtr Adopt(platform::TDirectoryHandle dir);
    // A directory the walk has listed itself, whose subdirectories it is yet to enter: the
    // workers read those ahead, opened below dir.
    TNodePtr AdoptListed(platform::TDirectoryHandle dir, const std::vector<std::string>& subdirectories);
    // The listing of the subdirectory name of parent, which the walk opened as dir: the one read
    // ahead when it is that directory, else one read from dir. waiting is called while a worker
    // is still opening it; when it says no, nothing is given.
    TNodePtr Enter(TNode& parent, const std::string& name, platform::TDirectoryHandle dir,
                   const std::function<bool()>& waiting);
    // The listing of the subdirectory name of parent that a worker opened and read ahead, when
    // identityNow (asked once the worker has opened it) tells that the name still leads to that
    // very directory; so the walk need not open it itself. Nothing when it was not read ahead,
    // could not be opened or is another directory now: the walk then opens it and calls Enter.
    // stopped is set when waiting said no while a worker was opening it.
    TNodePtr EnterOpened(TNode& parent, const std::string& name,
                         const std::function<std::optional<platform::TFileIdentity>()>& identityNow,
                         const std::function<bool()>& waiting, bool& stopped);
    enum class TAhead { Read, NotYet, NotRead };
    // Copies of the entries of the subdirectory name of parent that the workers have read ahead,
    // in listing order from its first on, as far as they are stat'ed (Read, maybe none); NotYet
    // while a worker has still to open it or to stat its first names; NotRead when it is not read
    // ahead (not a subdirectory they know of, or one they could not open). When Read, listing is
    // its listing, for the entries of its own subdirectories.
    TAhead EntriesAhead(TNode& parent, const std::string& name, std::vector<FileEntry>& entries,
                        TNodePtr& listing) const;
    // How many of node's entries, from its first on, the walk has told its host. Kept for the
    // walk, on its thread alone.
    static std::size_t EntriesTold(const TNode& node);
    static void SetEntriesTold(TNode& node, std::size_t told);
    // Whether the walk has taken node's last batch, or learnt that none was left.
    static bool AllTaken(const TNode& node);
    // The subdirectory name of parent will not be entered: what was read of it is dropped.
    void Skip(TNode& parent, const std::string& name);
    // The walk is done with node and everything below it.
    void Release(const TNodePtr& node);

    enum class TBatch { Ready, Last, End, Pending };
    // Replaces entries with the next entries of node, in listing order, when they are read (Ready,
    // or Last when no more follow, with unknown set to the names among them that could not be
    // stat'ed); End when all were handed out; Pending when they did not arrive within wait.
    TBatch NextBatch(TNode& node, std::vector<FileEntry>& entries, std::int64_t& unknown,
                     std::chrono::steady_clock::duration wait);

    // The most bytes held ahead at any moment so far.
    std::size_t PeakBytes() const;

    // Names stat'ed in one piece of work.
    static constexpr std::size_t kBatchNames = 64;
    // Directories the workers hold open at most for work ahead; the walk's own needs come first.
    static constexpr int kHeldDirectories = 128;

private:
    struct TTask;
    struct TBatchData;
    class TBatchQueue;
    struct TStated;

    bool AwaitOpening(const TNodePtr& child, std::unique_lock<std::mutex>& lock, const std::function<bool()>& waiting);
    void Work();
    bool TakeTask(std::unique_lock<std::mutex>& lock, TTask& task);
    bool Runnable(const TTask& task) const;
    void ListNames(TTask& task, std::unique_lock<std::mutex>& lock);
    void StatBatch(TTask& task, std::unique_lock<std::mutex>& lock);
    static std::vector<TBatchData> SplitIntoBatches(std::vector<platform::TListedName> names);
    static TTask ChildTask(const std::shared_ptr<platform::TDirectoryHandle>& dir, const std::string& name);
    static TStated StatNames(const TNodePtr& node, const std::shared_ptr<platform::TDirectoryHandle>& dir,
                             std::vector<platform::TListedName>& names, platform::TEntryFacts facts,
                             bool searchable);
    void Deliver(TNode& node, std::size_t batchIndex, TStated stated);
    void Queue(std::vector<TTask> tasks, bool wanted);
    void UnlockAndWake(std::unique_lock<std::mutex>& lock);
    void Want(TNode& node);
    void DropTree(TNodePtr node);
    void FinishWhenDone(TNode& node);
    std::shared_ptr<platform::TDirectoryHandle> Hold(platform::TDirectoryHandle dir);

    std::size_t byteLimit_;
    platform::TEntryFacts facts_;
    std::uint32_t user_;  // whose directories' own bits tell that their names may be looked up
    mutable std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable batchReady_;
    std::deque<TTask> ahead_;   // speculative work, the nearest first
    std::deque<TTask> wanted_;  // work the walk waits for
    // Wakes asked for while the lock is held, given once it is released: a thread woken under
    // the lock only waits for it, and on a busy machine may take the processor from its holder.
    std::size_t workersToWake_ = 0;
    bool walkToWake_ = false;
    std::size_t bytesHeld_ = 0;
    std::size_t peakBytes_ = 0;
    std::shared_ptr<std::atomic<int>> heldDirectories_ = std::make_shared<std::atomic<int>>(0);
    bool ending_ = false;
    std::vector<TNodePtr> roots_;  // the directories the walk holds: the walk's alone
    std::vector<platform::TWorkerThread> workers_;
};
