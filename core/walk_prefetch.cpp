#include "core/walk_prefetch.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <utility>

namespace {

std::size_t BytesOf(const std::vector<platform::TListedName>& names)
{
    std::size_t bytes = 0;
    for (const platform::TListedName& listed : names)
        bytes += sizeof(platform::TListedName) + listed.Name.capacity();
    return bytes;
}

std::size_t BytesOf(const std::vector<FileEntry>& entries)
{
    std::size_t bytes = 0;
    for (const FileEntry& entry : entries)
        bytes += sizeof(FileEntry) + entry.Name.capacity();
    return bytes;
}

// A worker's longest sleep without being told of work: what ends a wait on the limit of held
// directories, which is released outside the lock.
constexpr auto kIdleWait = std::chrono::milliseconds(20);
// The walk's longest wait for a worker that is opening the directory it enters.
constexpr auto kOpeningWait = std::chrono::milliseconds(5);

} // namespace

// Names read by one request and their entries once stat'ed.
struct TWalkPrefetch::TBatchData {
    std::vector<platform::TListedName> Names;
    std::vector<FileEntry> Entries;
    std::int64_t Unknown = 0;
    std::size_t Bytes = 0;  // counted in bytesHeld_ until the walk takes the batch
    bool Stated = false;
};

// A directory's batches not yet taken by the walk, in listing order. Unlike a deque it allocates
// nothing until the first batch comes: most directories are read ahead in one batch, and a tree
// has tens of thousands of them.
class TWalkPrefetch::TBatchQueue {
public:
    bool empty() const { return first_ == batches_.size(); }
    std::size_t size() const { return batches_.size() - first_; }
    TBatchData& front() { return batches_[first_]; }
    // Counted from the front.
    TBatchData& operator[](std::size_t index) { return batches_[first_ + index]; }
    auto begin() const { return batches_.begin() + static_cast<std::ptrdiff_t>(first_); }
    auto end() const { return batches_.end(); }
    void push_back(TBatchData batch) { batches_.push_back(std::move(batch)); }
    void pop_front()
    {
        batches_[first_++] = {};
        if (empty())
            clear();
    }
    void clear()
    {
        batches_.clear();
        first_ = 0;
    }

private:
    std::vector<TBatchData> batches_;
    std::size_t first_ = 0;
};

// One directory the walk will or may enter. Every field is guarded by the prefetch's mutex, but
// Dropped, which a worker also reads between two stats.
struct TWalkPrefetch::TNode {
    enum class TState { Waiting, Opening, Open, Failed };
    TState State = TState::Waiting;
    std::shared_ptr<platform::TDirectoryHandle> Parent;  // opened below it, while Waiting
    std::string Name;
    std::shared_ptr<platform::TDirectoryHandle> Dir;  // open while names or stats are to be read
    std::optional<platform::TFileIdentity> Identity;  // of what a worker opened
    bool Searchable = false;  // names in it are known to be looked up
    TBatchQueue Batches;
    std::size_t TakenBatches = 0;
    std::size_t PendingStats = 0;
    std::size_t QueuedAhead = 0;  // its tasks in ahead_
    std::size_t EntriesTold = 0;  // the walk's alone: see TWalkPrefetch::EntriesTold
    bool AllTaken = false;  // the walk's alone: see TWalkPrefetch::AllTaken
    bool NamesDone = false;
    bool Wanted = false;  // the walk waits for it
    std::atomic<bool> Dropped = false;
    std::unordered_map<std::string, TNodePtr> Children;  // subdirectories not yet entered
};

struct TWalkPrefetch::TTask {
    enum class TKind { ListNames, StatBatch };
    TNodePtr Node;
    TKind Kind = TKind::ListNames;
    std::size_t Batch = 0;  // counted from the directory's first batch
};

TWalkPrefetch::TWalkPrefetch(unsigned workers, std::size_t byteLimit, platform::TEntryFacts facts)
    : byteLimit_(byteLimit), facts_(facts), user_(platform::EffectiveUserId())
{
    platform::StartWorkers(workers_, workers, [this] { Work(); });
}

TWalkPrefetch::~TWalkPrefetch()
{
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    workReady_.notify_all();
    for (platform::TWorkerThread& worker : workers_)
        worker.Join();
    // Dismantled a node at a time: a chain read far ahead would otherwise be freed recursively.
    for (TNodePtr& root : roots_)
        DropTree(std::move(root));
    ahead_.clear();
    wanted_.clear();
}

namespace {

// A handle counted among those the workers hold open, until its last holder lets it go.
struct TCountedHandle {
    TCountedHandle(platform::TDirectoryHandle dir, std::shared_ptr<std::atomic<int>> held)
        : Handle(std::move(dir)), Held(std::move(held))
    {
        ++*Held;
    }
    ~TCountedHandle() { --*Held; }
    TCountedHandle(const TCountedHandle&) = delete;
    TCountedHandle& operator=(const TCountedHandle&) = delete;

    platform::TDirectoryHandle Handle;
    std::shared_ptr<std::atomic<int>> Held;
};

} // namespace

// One allocation for the handle and its count, as a tree has a handle to hold for every directory.
std::shared_ptr<platform::TDirectoryHandle> TWalkPrefetch::Hold(platform::TDirectoryHandle dir)
{
    auto counted = std::make_shared<TCountedHandle>(std::move(dir), heldDirectories_);
    return {counted, &counted->Handle};
}

TWalkPrefetch::TNodePtr TWalkPrefetch::Adopt(platform::TDirectoryHandle dir)
{
    auto node = std::make_shared<TNode>();
    node->State = TNode::TState::Open;
    node->Dir = Hold(std::move(dir));
    node->Wanted = true;
    std::unique_lock lock(mutex_);
    roots_.push_back(node);
    Queue({TTask{node, TTask::TKind::ListNames, 0}}, true);
    UnlockAndWake(lock);
    return node;
}

TWalkPrefetch::TNodePtr TWalkPrefetch::AdoptListed(platform::TDirectoryHandle dir,
                                                   const std::vector<std::string>& subdirectories)
{
    auto node = std::make_shared<TNode>();
    node->State = TNode::TState::Open;
    node->NamesDone = true;
    const std::shared_ptr<platform::TDirectoryHandle> held = Hold(std::move(dir));
    std::vector<TTask> tasks;
    for (const std::string& name : subdirectories) {
        tasks.push_back(ChildTask(held, name));
        node->Children[name] = tasks.back().Node;
    }
    std::unique_lock lock(mutex_);
    roots_.push_back(node);
    Queue(std::move(tasks), false);
    UnlockAndWake(lock);
    return node;
}

TWalkPrefetch::TNodePtr TWalkPrefetch::Enter(TNode& parent, const std::string& name, platform::TDirectoryHandle dir,
                                             const std::function<bool()>& waiting)
{
    TNodePtr child;
    {
        const std::lock_guard lock(mutex_);
        if (const auto found = parent.Children.find(name); found != parent.Children.end()) {
            child = std::move(found->second);
            parent.Children.erase(found);
        }
    }
    if (!child)
        return Adopt(std::move(dir));
    std::unique_lock lock(mutex_);
    if (!AwaitOpening(child, lock, waiting))
        return nullptr;
    if (child->State == TNode::TState::Waiting) {
        // Not begun: it is read from the walk's own handle, with nothing to compare.
        child->Parent.reset();
        child->Dir = Hold(std::move(dir));
        child->State = TNode::TState::Open;
        roots_.push_back(child);
        return child;
    }
    if (child->State == TNode::TState::Open) {
        lock.unlock();
        const std::optional<platform::TFileIdentity> opened = dir.Identity();
        lock.lock();
        if (opened && opened == child->Identity) {
            roots_.push_back(child);
            return child;
        }
    }
    DropTree(child);
    lock.unlock();
    return Adopt(std::move(dir));
}

TWalkPrefetch::TNodePtr TWalkPrefetch::EnterOpened(TNode& parent, const std::string& name,
                                                   const std::function<std::optional<platform::TFileIdentity>()>& identityNow,
                                                   const std::function<bool()>& waiting, bool& stopped)
{
    stopped = false;
    std::unique_lock lock(mutex_);
    const auto found = parent.Children.find(name);
    if (found == parent.Children.end())
        return nullptr;
    const TNodePtr child = found->second;
    if (!AwaitOpening(child, lock, waiting)) {
        parent.Children.erase(name);
        stopped = true;
        return nullptr;
    }
    if (child->State == TNode::TState::Waiting)
        return nullptr;  // not begun: Enter has it read from the walk's own handle
    parent.Children.erase(name);
    if (child->State == TNode::TState::Open) {
        const std::optional<platform::TFileIdentity> opened = child->Identity;
        lock.unlock();
        const std::optional<platform::TFileIdentity> now = identityNow();
        if (now && now == opened) {
            roots_.push_back(child);
            return child;
        }
        lock.lock();
    }
    DropTree(child);
    return nullptr;
}

// Waits while a worker is opening child; false, with child dropped, when waiting says no.
bool TWalkPrefetch::AwaitOpening(const TNodePtr& child, std::unique_lock<std::mutex>& lock,
                                 const std::function<bool()>& waiting)
{
    while (child->State == TNode::TState::Opening) {
        batchReady_.wait_for(lock, kOpeningWait);
        if (child->State != TNode::TState::Opening)
            break;
        lock.unlock();
        const bool goOn = waiting();
        lock.lock();
        if (!goOn) {
            DropTree(child);
            return false;
        }
    }
    return true;
}

void TWalkPrefetch::Skip(TNode& parent, const std::string& name)
{
    const std::lock_guard lock(mutex_);
    if (const auto found = parent.Children.find(name); found != parent.Children.end()) {
        TNodePtr child = std::move(found->second);
        parent.Children.erase(found);
        DropTree(std::move(child));
    }
}

void TWalkPrefetch::Release(const TNodePtr& node)
{
    // Once the walk has taken a directory's last entries, the workers have no more to do with it,
    // and only the walk itself takes its children away: with none left there is nothing to drop.
    if (!node->AllTaken || !node->Children.empty()) {
        const std::lock_guard lock(mutex_);
        DropTree(node);
    }
    // The walk releases the deepest directory it holds, so it is found at once from the back.
    const auto held = std::find(roots_.rbegin(), roots_.rend(), node);
    if (held != roots_.rend())
        roots_.erase(std::next(held).base());
}

TWalkPrefetch::TBatch TWalkPrefetch::NextBatch(TNode& node, std::vector<FileEntry>& entries, std::int64_t& unknown,
                                               std::chrono::steady_clock::duration wait)
{
    std::unique_lock lock(mutex_);
    const auto decided = [&] {
        return (!node.Batches.empty() && node.Batches.front().Stated)
               || (node.Batches.empty() && node.NamesDone) || node.State == TNode::TState::Failed
               || node.Dropped;
    };
    if (!decided()) {
        Want(node);
        UnlockAndWake(lock);
        lock.lock();
        batchReady_.wait_for(lock, wait, decided);
        if (!decided())
            return TBatch::Pending;
    }
    if (node.Batches.empty() || !node.Batches.front().Stated) {
        node.AllTaken = node.Batches.empty() && node.NamesDone;
        return TBatch::End;
    }
    TBatchData& batch = node.Batches.front();
    entries = std::move(batch.Entries);
    unknown = batch.Unknown;
    const bool wasFull = bytesHeld_ >= byteLimit_;
    bytesHeld_ -= batch.Bytes;
    const bool roomAgain = wasFull && bytesHeld_ < byteLimit_;
    node.Batches.pop_front();
    ++node.TakenBatches;
    node.Wanted = false;
    const bool last = node.NamesDone && node.Batches.empty();
    node.AllTaken = last;
    lock.unlock();
    if (roomAgain)
        workReady_.notify_all();
    return last ? TBatch::Last : TBatch::Ready;
}

TWalkPrefetch::TAhead TWalkPrefetch::EntriesAhead(TNode& parent, const std::string& name,
                                                  std::vector<FileEntry>& entries, TNodePtr& listing) const
{
    entries.clear();
    const std::lock_guard lock(mutex_);
    const auto found = parent.Children.find(name);
    if (found == parent.Children.end() || found->second->State == TNode::TState::Failed)
        return TAhead::NotRead;
    const TNode& child = *found->second;
    if (child.TakenBatches != 0)
        return TAhead::NotRead;
    if (child.State != TNode::TState::Open)
        return TAhead::NotYet;
    bool read = child.NamesDone && child.Batches.empty();
    for (const TBatchData& batch : child.Batches) {
        if (!batch.Stated)
            break;
        read = true;
        entries.insert(entries.end(), batch.Entries.begin(), batch.Entries.end());
    }
    if (!read)
        return TAhead::NotYet;
    listing = found->second;
    return TAhead::Read;
}

std::size_t TWalkPrefetch::EntriesTold(const TNode& node)
{
    return node.EntriesTold;
}

void TWalkPrefetch::SetEntriesTold(TNode& node, std::size_t told)
{
    node.EntriesTold = told;
}

bool TWalkPrefetch::AllTaken(const TNode& node)
{
    return node.AllTaken;
}

std::size_t TWalkPrefetch::PeakBytes() const
{
    const std::lock_guard lock(mutex_);
    return peakBytes_;
}

void TWalkPrefetch::Work()
{
    std::unique_lock lock(mutex_);
    TTask task;
    while (TakeTask(lock, task)) {
        if (task.Kind == TTask::TKind::ListNames)
            ListNames(task, lock);
        else
            StatBatch(task, lock);
        task = {};
        if (workersToWake_ != 0 || walkToWake_) {
            UnlockAndWake(lock);
            lock.lock();
        }
    }
}

bool TWalkPrefetch::Runnable(const TTask& task) const
{
    if (bytesHeld_ >= byteLimit_)
        return false;
    return task.Kind != TTask::TKind::ListNames || task.Node->State != TNode::TState::Waiting
           || *heldDirectories_ < kHeldDirectories;
}

bool TWalkPrefetch::TakeTask(std::unique_lock<std::mutex>& lock, TTask& task)
{
    for (;;) {
        if (ending_)
            return false;
        if (!wanted_.empty()) {
            task = std::move(wanted_.front());
            wanted_.pop_front();
        } else if (!ahead_.empty() && Runnable(ahead_.front())) {
            task = std::move(ahead_.front());
            ahead_.pop_front();
            --task.Node->QueuedAhead;
        } else {
            workReady_.wait_for(lock, kIdleWait);
            continue;
        }
        if (!task.Node->Dropped)
            return true;
    }
}

// What a worker learnt of a batch of names, gathered without the lock.
struct TWalkPrefetch::TStated {
    std::vector<FileEntry> Entries;
    std::int64_t Unknown = 0;
    std::size_t Bytes = 0;
    std::vector<TTask> Subdirectories;  // to be read ahead, in listing order
    bool Searchable = false;  // a stat of a name in the directory worked, or was known to
};

// Opens the directory when it is not yet, then reads one request's worth of names and queues
// their stats, followed by the rest of the names. A small directory is read whole and stat'ed
// in the same piece of work: most directories are small, and every hand-over costs.
void TWalkPrefetch::ListNames(TTask& task, std::unique_lock<std::mutex>& lock)
{
    TNode& node = *task.Node;
    std::shared_ptr<platform::TDirectoryHandle> dir = node.Dir;
    std::shared_ptr<platform::TDirectoryHandle> parent;
    if (node.State == TNode::TState::Waiting) {
        node.State = TNode::TState::Opening;
        parent = std::move(node.Parent);
    }
    bool searchable = node.Searchable;
    lock.unlock();
    std::optional<platform::TFileIdentity> identity;
    if (parent) {
        platform::TDirectoryHandle opened = parent->OpenBelow(node.Name);
        const std::optional<platform::TDirectoryFacts> facts = opened.Facts();
        parent.reset();
        if (opened.IsOpen() && facts) {
            identity = facts->Identity;
            // The directory's own bits may tell that its names can be looked up, which spares
            // finding it out by a stat of its first name.
            searchable = platform::OwnerMaySearch(*facts, user_);
            dir = Hold(std::move(opened));
        }
    }
    std::vector<platform::TListedName> names;
    bool more = dir != nullptr;
    while (more && names.size() < kBatchNames && !node.Dropped)
        more = platform::ReadNameBatch(*dir, names);
    std::vector<TBatchData> batches = SplitIntoBatches(std::move(names));
    std::optional<TStated> stated;
    if (!more && batches.size() == 1)
        stated = StatNames(task.Node, dir, batches.front().Names, facts_, searchable);
    const bool opened = dir != nullptr;
    if (stated && stated->Subdirectories.empty())
        dir.reset();  // all is read: closed here, not under the lock the walk waits for
    lock.lock();
    node.Searchable = node.Searchable || searchable || (stated && stated->Searchable);
    if (identity) {
        node.Identity = identity;
        node.Dir = node.Dropped ? nullptr : dir;
        node.State = TNode::TState::Open;
    } else if (!opened) {
        node.State = TNode::TState::Failed;
    }
    walkToWake_ = true;
    if (node.Dropped || !opened)
        return;
    std::vector<TTask> tasks;
    std::size_t lastBatch = 0;
    for (TBatchData& batch : batches) {
        bytesHeld_ += batch.Bytes;
        lastBatch = node.TakenBatches + node.Batches.size();
        if (!stated)
            tasks.push_back({task.Node, TTask::TKind::StatBatch, lastBatch});
        node.Batches.push_back(std::move(batch));
        ++node.PendingStats;
    }
    peakBytes_ = std::max(peakBytes_, bytesHeld_);
    if (more)
        tasks.push_back({task.Node, TTask::TKind::ListNames, 0});
    else
        node.NamesDone = true;
    Queue(std::move(tasks), node.Wanted);
    if (stated)
        Deliver(node, lastBatch, std::move(*stated));
    FinishWhenDone(node);
}

std::vector<TWalkPrefetch::TBatchData> TWalkPrefetch::SplitIntoBatches(std::vector<platform::TListedName> names)
{
    std::vector<TBatchData> batches;
    if (!names.empty() && names.size() <= kBatchNames) {
        // Most directories: the names move as they are.
        TBatchData& batch = batches.emplace_back();
        batch.Bytes = BytesOf(names);
        batch.Names = std::move(names);
        return batches;
    }
    for (std::size_t from = 0; from < names.size(); from += kBatchNames) {
        TBatchData& batch = batches.emplace_back();
        const auto first = names.begin() + static_cast<std::ptrdiff_t>(from);
        const auto count = static_cast<std::ptrdiff_t>(std::min(kBatchNames, names.size() - from));
        batch.Names.assign(std::make_move_iterator(first), std::make_move_iterator(first + count));
        batch.Bytes = BytesOf(batch.Names);
    }
    return batches;
}

// Stats names of the directory node, with subdirectories made ready to be read ahead: all of it
// without the lock, which the walk and the other workers wait for. The names move into the entries.
TWalkPrefetch::TStated TWalkPrefetch::StatNames(const TNodePtr& node,
                                                const std::shared_ptr<platform::TDirectoryHandle>& dir,
                                                std::vector<platform::TListedName>& names,
                                                platform::TEntryFacts facts, bool searchable)
{
    TStated stated;
    stated.Entries.reserve(names.size());
    platform::TEntryLookup lookup(*dir, facts, searchable);
    for (platform::TListedName& listed : names) {
        if (node->Dropped)
            break;
        if (std::optional<FileEntry> entry = lookup.Entry(std::move(listed)))
            stated.Entries.push_back(std::move(*entry));
        else
            ++stated.Unknown;
    }
    stated.Bytes = BytesOf(stated.Entries);
    stated.Searchable = lookup.Searchable();
    for (const FileEntry& entry : stated.Entries) {
        if (platform::IsSubdirectoryToWalk(entry))
            stated.Subdirectories.push_back(ChildTask(dir, entry.Name));
    }
    return stated;
}

// The work of reading the subdirectory name of dir ahead, to be opened below dir.
TWalkPrefetch::TTask TWalkPrefetch::ChildTask(const std::shared_ptr<platform::TDirectoryHandle>& dir,
                                              const std::string& name)
{
    auto child = std::make_shared<TNode>();
    child->Parent = dir;
    child->Name = name;
    return {std::move(child), TTask::TKind::ListNames, 0};
}

// Stats one batch of names.
void TWalkPrefetch::StatBatch(TTask& task, std::unique_lock<std::mutex>& lock)
{
    TNode& node = *task.Node;
    std::vector<platform::TListedName> names = std::move(node.Batches[task.Batch - node.TakenBatches].Names);
    const std::shared_ptr<platform::TDirectoryHandle> dir = node.Dir;
    const bool searchable = node.Searchable;
    lock.unlock();
    TStated stated = StatNames(task.Node, dir, names, facts_, searchable);
    lock.lock();
    if (node.Dropped)
        return;
    Deliver(node, task.Batch, std::move(stated));
    FinishWhenDone(node);
}

// Hands the walk a stat'ed batch and queues the subdirectories found in it, ahead of the rest of
// the directory, as the walk enters each before it goes on.
void TWalkPrefetch::Deliver(TNode& node, std::size_t batchIndex, TStated stated)
{
    TBatchData& batch = node.Batches[batchIndex - node.TakenBatches];
    bytesHeld_ -= batch.Bytes;
    batch.Bytes = stated.Bytes;
    bytesHeld_ += batch.Bytes;
    peakBytes_ = std::max(peakBytes_, bytesHeld_);
    for (const TTask& child : stated.Subdirectories)
        node.Children[child.Node->Name] = child.Node;
    batch.Entries = std::move(stated.Entries);
    batch.Unknown = stated.Unknown;
    batch.Stated = true;
    node.Searchable = node.Searchable || stated.Searchable;
    --node.PendingStats;
    Queue(std::move(stated.Subdirectories), false);
    walkToWake_ = true;
}

// New work goes to the front, in order: the walk needs it before what was queued earlier.
void TWalkPrefetch::Queue(std::vector<TTask> tasks, bool wanted)
{
    if (tasks.empty())
        return;
    if (!wanted) {
        for (TTask& task : tasks)
            ++task.Node->QueuedAhead;
    }
    std::deque<TTask>& queue = wanted ? wanted_ : ahead_;
    queue.insert(queue.begin(), std::make_move_iterator(tasks.begin()), std::make_move_iterator(tasks.end()));
    // One worker woken for each piece of work: waking them all only has them fight over the lock.
    workersToWake_ = std::min(workersToWake_ + tasks.size(), workers_.size());
}

void TWalkPrefetch::UnlockAndWake(std::unique_lock<std::mutex>& lock)
{
    const std::size_t workers = std::exchange(workersToWake_, 0);
    const bool walk = std::exchange(walkToWake_, false);
    lock.unlock();
    if (workers >= workers_.size())
        workReady_.notify_all();
    else
        for (std::size_t i = 0; i < workers; ++i)
            workReady_.notify_one();
    if (walk)
        batchReady_.notify_one();
}

// The node's queued work moves before all speculative work.
void TWalkPrefetch::Want(TNode& node)
{
    if (node.Wanted)
        return;
    node.Wanted = true;
    for (auto task = ahead_.begin(); task != ahead_.end() && node.QueuedAhead > 0;) {
        if (task->Node.get() != &node) {
            ++task;
            continue;
        }
        wanted_.push_back(std::move(*task));
        task = ahead_.erase(task);
        --node.QueuedAhead;
    }
    workersToWake_ = workers_.size();
}

void TWalkPrefetch::FinishWhenDone(TNode& node)
{
    if (node.NamesDone && node.PendingStats == 0)
        node.Dir.reset();  // subdirectories not yet opened hold it themselves
}

void TWalkPrefetch::DropTree(TNodePtr node)
{
    std::vector<TNodePtr> pending{std::move(node)};
    while (!pending.empty()) {
        TNodePtr current = std::move(pending.back());
        pending.pop_back();
        if (!current)
            continue;
        current->Dropped = true;
        for (const TBatchData& batch : current->Batches)
            bytesHeld_ -= batch.Bytes;
        current->Batches.clear();
        current->TakenBatches = 0;
        current->Dir.reset();
        current->Parent.reset();
        for (auto& [name, child] : current->Children)
            pending.push_back(std::move(child));
        current->Children.clear();
    }
}
