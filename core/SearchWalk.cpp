#include "core/SearchWalk.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "core/walk_prefetch.h"

namespace {

// Tells host the entries of listing from the first not told before, and marks them told when it
// takes them all. The walk reaches a subdirectory from every level within reach above it as it
// goes down: telling the same files again would cost its thread as much as the first time. False
// when the host did not take them.
bool TellNewEntries(TWalkHost& host, TWalkPrefetch::TNode& listing, const std::string& dir,
                    const std::vector<FileEntry>& entries, const platform::TWalkPlace::TDirectory& place)
{
    const std::size_t told = TWalkPrefetch::EntriesTold(listing);
    if (told >= entries.size())
        return true;
    if (!host.EntriesListed(dir, std::span(entries).subspan(told), {place, static_cast<std::uint32_t>(told)}))
        return false;
    TWalkPrefetch::SetEntriesTold(listing, entries.size());
    return true;
}

// Tells host the entries of the subdirectory of dir that parent listed as entry, as far as the
// workers have read them, and those of its subdirectories down to levels in all, while budget
// lasts; each entry looked at is taken from it, and all of it when the host takes no more. False
// when the workers have yet to read it.
bool TellSubdirectoryAhead(TWalkHost& host, const TWalkPrefetch& prefetch, TWalkPrefetch::TNode& parent,
                           const std::string& dir, const FileEntry& entry, const platform::TWalkPlace& place,
                           int levels, std::size_t& budget)
{
    const std::string& name = entry.Name;
    const std::string path = dir + name;
    if (!host.MayListAhead(entry, path))
        return true;
    std::vector<FileEntry> entries;
    std::shared_ptr<TWalkPrefetch::TNode> listing;
    const TWalkPrefetch::TAhead ahead = prefetch.EntriesAhead(parent, name, entries, listing);
    if (ahead != TWalkPrefetch::TAhead::Read)
        return ahead == TWalkPrefetch::TAhead::NotRead;
    if (entries.empty())
        return true;
    const std::string inside = path + '/';
    const platform::TWalkPlace::TDirectory below = place.Below();
    if (!TellNewEntries(host, *listing, inside, entries, below)) {
        budget = 0;
        return true;
    }
    budget -= std::min(budget, entries.size());
    for (std::size_t i = 0; levels > 1 && i < entries.size() && budget > 0; ++i) {
        if (platform::IsSubdirectoryToWalk(entries[i]))
            TellSubdirectoryAhead(host, prefetch, *listing, inside, entries[i], {below, static_cast<std::uint32_t>(i)},
                                  levels - 1, budget);
    }
    return true;
}

} // namespace

// One directory being walked. The walk reads its entries a part at a time, or the workers hand
// them over a batch at a time. Only every AnchorSpacing-th level keeps its handle for opening
// deeper levels, so a deep tree stays far from the limit of open files.
struct TSearchWalk::TFrame {
    std::string Dir;  // with a trailing '/'
    std::vector<FileEntry> Entries;
    std::size_t Next = 0;
    platform::TDirectoryHandle Handle;  // open on anchor levels, and while the walk reads names itself
    bool Anchor = false;
    bool NamesLeft = false;  // the walk reads its names itself and has not reached their end
    bool AheadAsked = false;  // listed by the walk itself, its subdirectories were given to the workers
    std::shared_ptr<TWalkPrefetch::TNode> Listing;  // where further entries come from, with workers
    platform::TWalkPlace::TDirectory Place;  // of the directory: its entries' places lie below it
    std::uint32_t First = 0;  // the index of Entries[0] among all the directory's entries
    std::size_t ToldAhead = 0;  // subdirectories in Entries before it were told ahead
};

// The workers of one scan, whenever they start: they end before the scan's frames are let go,
// whatever way it ends.
class TSearchWalk::TPrefetchScope {
public:
    explicit TPrefetchScope(TSearchWalk& walk) : walk_(walk)
    {
        walk.PeakLookAheadBytes = 0;
        walk.readingAlone_ = 0;
        walk.askedWorkers_ = false;
        walk.workersRefused_ = false;
        walk.lookingAhead_ = walk.Workers > 0 && walk.LookAhead == TLookAhead::AtOnce && walk.StartWorkers();
        if (!walk.lookingAhead_)
            walk.WaitWatch.Restart(std::chrono::steady_clock::now());
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
    return std::clamp(std::thread::hardware_concurrency() * 8, 8u, 16u);
}

// The workers, noted as asked: the walk may have to wait for them, which the wait watch must
// not take for waiting on the file system.
TWalkPrefetch& TSearchWalk::Prefetch()
{
    askedWorkers_ = true;
    return *prefetch_;
}

// Whether the workers are there. When the system gives no thread (a user at the limit of
// processes), the scan goes on as without workers rather than fail.
bool TSearchWalk::StartWorkers()
{
    if (Workers > 0 && !prefetch_ && !workersRefused_) {
        try {
            prefetch_ = std::make_unique<TWalkPrefetch>(Workers, LookAheadBytes, facts_);
        } catch (const std::system_error&) {
            workersRefused_ = true;
        }
    }
    return prefetch_ != nullptr;
}

// Directories entered from now on are read ahead; those the walk is in stay its own to read.
void TSearchWalk::LookAheadWhenWaiting()
{
    if (lookingAhead_ || Workers == 0 || workersRefused_ || LookAhead != TLookAhead::WhenWaiting)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (std::exchange(askedWorkers_, false)) {
        WaitWatch.Restart(now);  // the walk may have slept for the workers of a long directory
        return;
    }
    if (!WaitWatch.Waiting(now))
        return;
    lookingAhead_ = StartWorkers();
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

platform::TEntryFacts TSearchWalk::FactsToAsk() const
{
    if (host_.NeedsFileFacts())
        return platform::TEntryFacts::All;
    return host_.NeedsDirectoryFacts() ? platform::TEntryFacts::NamesOfFiles : platform::TEntryFacts::NamesOnly;
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
    facts_ = FactsToAsk();
    listsAhead_ = host_.ListsAhead();
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
        else if (frame.Listing && platform::IsSubdirectoryToWalk(entry))
            Prefetch().Skip(*frame.Listing, entry.Name);  // refused: what was read of it goes
    }
}

void TSearchWalk::EnterPending(std::vector<TFrame>& frames, const std::string& name)
{
    TellEntriesAhead(frames.back());
    const std::string path = std::move(pendingDirectory_);
    const std::string entryName = name;  // frames may move when the new one is pushed
    pendingDirectory_.clear();
    if (!EnterReadAhead(frames, path, entryName))
        PushFrame(frames, OpenSubdirectory(frames, path), platform::WithTrailingSlash(path), &entryName);
}

// A subdirectory that the workers opened and read ahead is entered without the walk opening it
// again, when its path, followed as an open would follow it, still leads to that very directory:
// a network mount is then asked only to look the names up, not to open the directory, tell its
// attributes and close it. True when that settled it (entered, or stopped meanwhile).
bool TSearchWalk::EnterReadAhead(std::vector<TFrame>& frames, const std::string& path, const std::string& name)
{
    if (!frames.back().Listing || frames.size() % AnchorSpacing == 0)
        return false;  // an anchor level needs a handle of the walk's own
    LookAheadWhenWaiting();
    bool stopped = false;
    std::shared_ptr<TWalkPrefetch::TNode> listing = Prefetch().EnterOpened(
        *frames.back().Listing, name, [&] { return IdentityOf(frames, path); }, [this] { return KeepWaiting(); },
        stopped);
    if (!listing)
        return stopped;
    platform::TWalkPlace::TDirectory place = EnteredPlace(frames.back());
    TFrame& frame = frames.emplace_back();
    frame.Dir = platform::WithTrailingSlash(path);
    frame.Listing = std::move(listing);
    frame.Place = std::move(place);
    return true;
}

// The place of the frame's entry at index in Entries.
platform::TWalkPlace TSearchWalk::PlaceOf(const TFrame& frame, std::size_t index)
{
    return {frame.Place, frame.First + static_cast<std::uint32_t>(index)};
}

// The place of the subdirectory the walk is entering from frame, for the entries in it.
platform::TWalkPlace::TDirectory TSearchWalk::EnteredPlace(const TFrame& frame)
{
    return PlaceOf(frame, frame.Next - 1).Below();
}

// Entries of the subdirectories the walk is about to enter from frame are told to the host as
// far as the workers have read them, before the walk gets there: so what the host prepares for
// files runs ahead of the walk by more than the directory it is in. Those not read yet are told
// on a later call, or when the walk enters them; so are those the host could not take early (a
// full queue), which are not marked told.
void TSearchWalk::TellEntriesAhead(TFrame& frame)
{
    if (!listsAhead_ || !frame.Listing || !prefetch_)
        return;
    std::size_t budget = kEntriesToldAtOnce;
    for (std::size_t i = std::max(frame.Next, frame.ToldAhead); i < frame.Entries.size() && budget > 0;
         frame.ToldAhead = ++i) {
        const FileEntry& entry = frame.Entries[i];
        if (!platform::IsSubdirectoryToWalk(entry))
            continue;
        if (!TellSubdirectoryAhead(host_, *prefetch_, *frame.Listing, frame.Dir, entry, PlaceOf(frame, i),
                                   kLevelsToldAhead, budget))
            return;
    }
}

// Whether to go on waiting for a worker, letting events run meanwhile.
bool TSearchWalk::KeepWaiting()
{
    if (StopRequested)
        return false;  // a stop seen while the entry was taken up needs no more events
    LetEventsRunWhenDue();
    return !StopRequested;
}

// The walk opens every directory itself, as without workers, so that the same ones are entered
// and refused; the workers' listing is taken only for the directory it opened.
void TSearchWalk::PushFrame(std::vector<TFrame>& frames, platform::TDirectoryHandle dir, std::string path,
                            const std::string* name)
{
    LookAheadWhenWaiting();
    if (lookingAhead_ && !frames.empty() && !frames.back().Listing && !frames.back().AheadAsked)
        ReadSubdirectoriesAhead(frames);
    TFrame* parent = frames.empty() ? nullptr : &frames.back();
    if (!dir.IsOpen()) {
        Unread.Count(dir.Error(), path);
        if (parent && parent->Listing)
            Prefetch().Skip(*parent->Listing, *name);
        return;
    }
    TFrame frame;
    frame.Dir = std::move(path);
    frame.Place = parent ? EnteredPlace(*parent) : StartPlace();
    frame.Anchor = frames.size() % AnchorSpacing == 0;
    frame.Handle = std::move(dir);
    if ((lookingAhead_ || (parent && parent->Listing)) && !TakeListingFromWorkers(frame, parent, name))
        return;  // stopped while a worker was opening it
    if (!frame.Listing) {
        ReadAlone(frame, readingAlone_ < kReadingAloneFrames ? NamesReadAlone : SIZE_MAX);
        if (frame.NamesLeft)
            HandRestToWorkers(frame);
    }
    if (!frame.Anchor && !frame.NamesLeft)
        frame.Handle = {};
    frames.push_back(std::move(frame));
}

// A directory the walk listed itself before the workers started: its subdirectories from the
// one being entered on are read ahead, below a handle of its own, as the workers would have.
void TSearchWalk::ReadSubdirectoriesAhead(std::vector<TFrame>& frames)
{
    TFrame& frame = frames.back();
    frame.AheadAsked = true;
    if (frame.NamesLeft || frame.Next == 0)
        return;
    std::vector<std::string> subdirectories;
    for (std::size_t i = frame.Next - 1; i < frame.Entries.size(); ++i) {
        const FileEntry& entry = frame.Entries[i];
        if (platform::IsSubdirectoryToWalk(entry))
            subdirectories.push_back(entry.Name);
    }
    std::string path = frame.Dir;
    path.pop_back();
    platform::TDirectoryHandle dir = frame.Anchor ? frame.Handle.Duplicate() : OpenSubdirectory(frames, path);
    // Each subdirectory is still opened by the walk and its listing taken only when it is the
    // one the workers read, so a directory swapped meanwhile is read as without them.
    if (dir.IsOpen())
        frame.Listing = Prefetch().AdoptListed(std::move(dir), subdirectories);
}

// The frame's listing from the workers: the one they read ahead when its parent's listing was
// theirs, else one they begin now. False when the run stopped while a worker was opening it.
bool TSearchWalk::TakeListingFromWorkers(TFrame& frame, TFrame* parent, const std::string* name)
{
    TWalkPrefetch::TNode* parentListing = parent ? parent->Listing.get() : nullptr;
    platform::TDirectoryHandle forWorkers = frame.Anchor ? frame.Handle.Duplicate() : std::move(frame.Handle);
    if (!forWorkers.IsOpen()) {
        if (parentListing)
            Prefetch().Skip(*parentListing, *name);
        return true;  // the walk reads it itself
    }
    if (!parentListing) {
        frame.Listing = Prefetch().Adopt(std::move(forWorkers));
        return true;
    }
    frame.Listing = Prefetch().Enter(*parentListing, *name, std::move(forWorkers), [this] { return KeepWaiting(); });
    return frame.Listing != nullptr;
}

// The next names of the frame's directory, read and stat'ed on the walk's own thread.
void TSearchWalk::ReadAlone(TFrame& frame, std::size_t names)
{
    const auto keepGoing = [this] {
        LetEventsRunWhenDue();
        return !StopRequested;
    };
    platform::TDirectoryListing listing = platform::ReadDirectoryPart(frame.Handle, names, keepGoing, facts_);
    // Names that could not be stat'ed still count; nothing is known of them to hand on.
    TotalCount += listing.UnknownCount;
    TakeBatch(frame, std::move(listing.Entries));
    if (listing.NamesLeft != frame.NamesLeft)
        readingAlone_ += listing.NamesLeft ? 1 : -1;
    frame.NamesLeft = listing.NamesLeft;
    if (!frame.Entries.empty())
        host_.EntriesListed(frame.Dir, frame.Entries, {frame.Place, frame.First});
}

// The frame's entries, but those told before the walk entered it.
void TSearchWalk::TellEntriesNotToldAhead(const TFrame& frame)
{
    const std::size_t told = TWalkPrefetch::EntriesTold(*frame.Listing);
    const std::size_t skipped = std::min(frame.Entries.size(), told > frame.First ? told - frame.First : 0);
    if (skipped < frame.Entries.size())
        host_.EntriesListed(frame.Dir, std::span(frame.Entries).subspan(skipped),
                            {frame.Place, frame.First + static_cast<std::uint32_t>(skipped)});
}

// The directory's next entries replace those the walk has taken up.
void TSearchWalk::TakeBatch(TFrame& frame, std::vector<FileEntry> entries)
{
    frame.First += static_cast<std::uint32_t>(frame.Entries.size());
    frame.Entries = std::move(entries);
    frame.Next = 0;
    frame.ToldAhead = 0;
}

platform::TWalkPlace::TDirectory TSearchWalk::StartPlace()
{
    return platform::TWalkPlace{nullptr, scans_++}.Below();
}

// A directory longer than the walk reads itself: the workers list and stat the rest of it from
// the handle the walk has read so far, and read its subdirectories ahead.
void TSearchWalk::HandRestToWorkers(TFrame& frame)
{
    if (!StartWorkers())
        return;
    platform::TDirectoryHandle forWorkers = frame.Anchor ? frame.Handle.Duplicate() : std::move(frame.Handle);
    if (!forWorkers.IsOpen())
        return;  // the walk goes on reading it itself
    frame.Listing = Prefetch().Adopt(std::move(forWorkers));
    StopReadingAlone(frame);
}

void TSearchWalk::StopReadingAlone(TFrame& frame)
{
    if (frame.NamesLeft)
        --readingAlone_;
    frame.NamesLeft = false;
}

// The next entries of the frame's directory; false at its end or when the run stops.
bool TSearchWalk::Refill(TFrame& frame)
{
    if (frame.NamesLeft) {
        ReadAlone(frame, 1);
        if (!frame.NamesLeft && !frame.Anchor)
            frame.Handle = {};
        return frame.NamesLeft || !frame.Entries.empty();
    }
    // Knowing the last batch spares asking again for the end under the workers' lock.
    if (!frame.Listing || TWalkPrefetch::AllTaken(*frame.Listing))
        return false;
    const auto wait = std::max<std::chrono::steady_clock::duration>(EventInterval, std::chrono::milliseconds(1));
    std::vector<FileEntry> entries;
    for (;;) {
        std::int64_t unknown = 0;
        const TWalkPrefetch::TBatch batch = Prefetch().NextBatch(*frame.Listing, entries, unknown, wait);
        switch (batch) {
        case TWalkPrefetch::TBatch::Ready:
        case TWalkPrefetch::TBatch::Last:
            TotalCount += unknown;
            TakeBatch(frame, std::move(entries));
            if (!frame.Entries.empty()) {
                TellEntriesNotToldAhead(frame);
                return true;
            }
            if (batch == TWalkPrefetch::TBatch::Last)
                return false;
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
    TFrame& frame = frames.back();
    StopReadingAlone(frame);
    if (frame.Listing)
        Prefetch().Release(frame.Listing);
    frames.pop_back();
}

// The nearest open ancestor; the start directory at the bottom of the stack always is one.
const TSearchWalk::TFrame* TSearchWalk::NearestAnchor(const std::vector<TFrame>& frames)
{
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
        if (frame->Anchor && frame->Handle.IsOpen())
            return &*frame;
    }
    return nullptr;
}

platform::TDirectoryHandle TSearchWalk::OpenSubdirectory(const std::vector<TFrame>& frames, const std::string& path) const
{
    const TFrame* anchor = NearestAnchor(frames);
    return anchor ? anchor->Handle.OpenBelow(path.substr(anchor->Dir.size())) : platform::TDirectoryHandle{};
}

std::optional<platform::TFileIdentity> TSearchWalk::IdentityOf(const std::vector<TFrame>& frames, const std::string& path)
{
    const TFrame* anchor = NearestAnchor(frames);
    return anchor ? anchor->Handle.IdentityBelow(path.substr(anchor->Dir.size())) : std::nullopt;
}

void TSearchWalk::TakeUpEntry(const FileEntry& entry, const std::string& dir)
{
    IgnoreCurrent = false;
    ++TotalCount;
    if (platform::IsDotName(entry.Name))
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
