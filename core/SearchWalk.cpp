#include "core/SearchWalk.h"

#include <algorithm>
#include <cerrno>
#include <thread>
#include <vector>

#include "core/walk_prefetch.h"

namespace {

bool IsDotEntry(const std::string& name)
{
    return name == "." || name == "..";
}

} // namespace

// One directory being walked. Without workers its entries are read completely before the walk
// descends; with them they arrive a batch at a time. Only every AnchorSpacing-th level keeps its
// handle, so a deep tree stays far from the limit of open files.
struct TSearchWalk::TFrame {
    std::string Dir;  // with a trailing '/'
    std::vector<FileEntry> Entries;
    std::size_t Next = 0;
    platform::TDirectoryHandle Anchor;  // open on anchor levels only
    std::shared_ptr<TWalkPrefetch::TNode> Listing;  // where further entries come from, with workers
};

// The workers of one scan: they end before the scan's frames are let go, whatever way it ends.
class TSearchWalk::TPrefetchScope {
public:
    explicit TPrefetchScope(TSearchWalk& walk) : walk_(walk)
    {
        if (walk.Workers > 0)
            walk.prefetch_ = std::make_unique<TWalkPrefetch>(walk.Workers, walk.LookAheadBytes);
    }
    ~TPrefetchScope()
    {
        if (walk_.prefetch_)
            walk_.PeakLookAheadBytes = walk_.prefetch_->PeakBytes();
        walk_.prefetch_.reset();
    }
    TPrefetchScope(const TPrefetchScope&) = delete;
    TPrefetchScope& operator=(const TPrefetchScope&) = delete;

private:
    TSearchWalk& walk_;
};

TSearchWalk::TSearchWalk(TWalkHost& host) : host_(host) {}

TSearchWalk::~TSearchWalk() = default;

unsigned TSearchWalk::DefaultWorkers()
{
    return std::clamp(std::thread::hardware_concurrency() * 2, 4u, 16u);
}

void TUnreadDirectories::Count(int error, const std::string& path)
{
    if (error == ENOENT)
        return;
    ++Total;
    if (FirstPaths.size() < PathsKept && !path.empty())
        FirstPaths.push_back(path);
    if (error == EACCES || error == EPERM)
        ++Permission;
    else if (error == EMFILE || error == ENFILE)
        ++TooManyOpenFiles;
}

std::string UnreadDirectoriesText(const TUnreadDirectories& unread)
{
    if (unread.Total == 0)
        return {};
    std::string reasons;
    const auto addReason = [&](std::int64_t count, const char* why) {
        if (count == 0)
            return;
        reasons += reasons.empty() ? " (" : ", ";
        reasons += why + std::string(": ") + std::to_string(count);
    };
    addReason(unread.Permission, "permission");
    addReason(unread.TooManyOpenFiles, "too many open files");
    if (!reasons.empty())
        reasons += ')';
    return std::string(UnreadableDirectoriesCaption) + ": " + std::to_string(unread.Total) + reasons;
}

std::string UnreadDirectoriesWithPathsText(const TUnreadDirectories& unread)
{
    std::string text = UnreadDirectoriesText(unread);
    for (const std::string& path : unread.FirstPaths)
        text += "\n    " + path;
    const auto told = static_cast<std::int64_t>(unread.FirstPaths.size());
    if (told > 0 && unread.Total > told)
        text += "\n    and " + std::to_string(unread.Total - told) + " more";
    return text;
}

void TSearchWalk::ResetCounters()
{
    TotalCount = 0;
    FoundCount = 0;
    CurrentPath.clear();
    Unread = {};
    MissingStartPaths.clear();
}

void TSearchWalk::ScanDirectory(const std::string& dir)
{
    // An explicit stack instead of recursion: trees thousands of levels deep are walked without
    // exhausting the call stack.
    std::vector<TFrame> frames;
    platform::TDirectoryHandle start = platform::TDirectoryHandle::Open(dir);
    if (!start.IsOpen() && (start.Error() == ENOENT || start.Error() == ENOTDIR)) {
        MissingStartPaths.push_back(dir);
        return;
    }
    const TPrefetchScope workers(*this);
    PushFrame(frames, std::move(start), platform::WithTrailingSlash(dir), nullptr);
    while (!frames.empty() && !StopRequested) {
        TFrame& frame = frames.back();
        if (frame.Next == frame.Entries.size()) {
            if (!Refill(frame))
                PopFrame(frames);
            continue;
        }
        const FileEntry& entry = frame.Entries[frame.Next++];
        TakeUpEntry(entry, frame.Dir);
        if (!pendingDirectory_.empty())
            EnterPending(frames, entry.Name);
        else if (frame.Listing && entry.IsDirectory())
            prefetch_->Skip(*frame.Listing, entry.Name);  // refused: what was read of it goes
    }
}

void TSearchWalk::EnterPending(std::vector<TFrame>& frames, const std::string& name)
{
    const std::string path = std::move(pendingDirectory_);
    const std::string entryName = name;  // frames may move when the new one is pushed
    pendingDirectory_.clear();
    PushFrame(frames, OpenSubdirectory(frames, path), platform::WithTrailingSlash(path), &entryName);
}

// The walk opens every directory itself, as without workers, so that the same ones are entered
// and refused; the workers' listing is taken only for the directory it opened.
void TSearchWalk::PushFrame(std::vector<TFrame>& frames, platform::TDirectoryHandle dir, std::string path,
                            const std::string* name)
{
    TWalkPrefetch::TNode* parent = frames.empty() ? nullptr : frames.back().Listing.get();
    if (!dir.IsOpen()) {
        Unread.Count(dir.Error(), path);
        if (parent)
            prefetch_->Skip(*parent, *name);
        return;
    }
    const bool anchor = frames.size() % AnchorSpacing == 0;
    TFrame frame{std::move(path), {}, 0, {}, nullptr};
    if (prefetch_) {
        platform::TDirectoryHandle forWorkers = anchor ? dir.Duplicate() : std::move(dir);
        if (forWorkers.IsOpen() && parent) {
            frame.Listing = prefetch_->Enter(*parent, *name, std::move(forWorkers), [this] {
                if (StopRequested)
                    return false;  // a stop seen while the entry was taken up needs no more events
                LetEventsRunWhenDue();
                return !StopRequested;
            });
            if (!frame.Listing)
                return;  // stopped meanwhile
        } else if (forWorkers.IsOpen()) {
            frame.Listing = prefetch_->Adopt(std::move(forWorkers));
        } else if (parent) {
            prefetch_->Skip(*parent, *name);
        }
    }
    if (!frame.Listing) {
        platform::TDirectoryListing listing = ReadListing(dir);
        // Names that could not be stat'ed still count; nothing is known of them to hand on.
        TotalCount += listing.UnknownCount;
        frame.Entries = std::move(listing.Entries);
        host_.EntriesListed(frame.Dir, frame.Entries);
    }
    if (anchor)
        frame.Anchor = std::move(dir);
    frames.push_back(std::move(frame));
}

// The next entries of a directory the workers read; false at its end or when the run stops.
bool TSearchWalk::Refill(TFrame& frame)
{
    if (!frame.Listing)
        return false;
    const auto wait = std::max<std::chrono::steady_clock::duration>(EventInterval, std::chrono::milliseconds(1));
    for (;;) {
        std::int64_t unknown = 0;
        switch (prefetch_->NextBatch(*frame.Listing, frame.Entries, unknown, wait)) {
        case TWalkPrefetch::TBatch::Ready:
            TotalCount += unknown;
            frame.Next = 0;
            if (!frame.Entries.empty()) {
                host_.EntriesListed(frame.Dir, frame.Entries);
                return true;
            }
            break;
        case TWalkPrefetch::TBatch::End:
            return false;
        case TWalkPrefetch::TBatch::Pending:
            LetEventsRunWhenDue();
            if (StopRequested)
                return false;
            break;
        }
    }
}

void TSearchWalk::PopFrame(std::vector<TFrame>& frames)
{
    if (frames.back().Listing)
        prefetch_->Release(frames.back().Listing);
    frames.pop_back();
}

platform::TDirectoryListing TSearchWalk::ReadListing(const platform::TDirectoryHandle& dir)
{
    return platform::ReadDirectory(dir, [this] {
        LetEventsRunWhenDue();
        return !StopRequested;
    });
}

platform::TDirectoryHandle TSearchWalk::OpenSubdirectory(const std::vector<TFrame>& frames, const std::string& path) const
{
    // The nearest open ancestor; the start directory at the bottom of the stack always is one.
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
        if (frame->Anchor.IsOpen())
            return frame->Anchor.OpenBelow(path.substr(frame->Dir.size()));
    }
    return {};
}

void TSearchWalk::TakeUpEntry(const FileEntry& entry, const std::string& dir)
{
    IgnoreCurrent = false;
    ++TotalCount;
    if (IsDotEntry(entry.Name))
        return;
    CurrentPath.assign(dir).append(entry.Name);  // its buffer is reused from entry to entry
    LetEventsRunWhenDue();
    if (entry.IsDirectory()) {
        // A link to a directory is never entered, so the walk cannot loop or leave the tree.
        if (!entry.IsSymbolicLink && host_.DirectoryPasses(entry, CurrentPath))
            pendingDirectory_ = CurrentPath;
        return;
    }
    if (host_.FilePassesKrellers(entry, CurrentPath)) {
        host_.AddFoundFile(entry, CurrentPath);
        ++FoundCount;
    }
}

void TSearchWalk::LetEventsRunWhenDue()
{
    const auto now = std::chrono::steady_clock::now();
    if (eventsEverRan_ && now - lastEvents_ < EventInterval)
        return;
    eventsEverRan_ = true;
    lastEvents_ = now;
    host_.LetEventsRun();
}
