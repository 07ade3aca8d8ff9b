#include "core/SearchWalk.h"

#include <cerrno>
#include <vector>

namespace {

bool IsDotEntry(const std::string& name)
{
    return name == "." || name == "..";
}

} // namespace

// One directory being walked. Its entries are read completely before the walk descends; only
// every AnchorSpacing-th level keeps its handle, so a deep tree stays far from the limit of open
// files.
struct TSearchWalk::TFrame {
    std::string Dir;  // with a trailing '/'
    std::vector<FileEntry> Entries;
    std::size_t Next = 0;
    platform::TDirectoryHandle Anchor;  // open on anchor levels only
};

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
    PushFrame(frames, std::move(start), platform::WithTrailingSlash(dir));
    while (!frames.empty() && !StopRequested) {
        TFrame& frame = frames.back();
        if (frame.Next == frame.Entries.size()) {
            frames.pop_back();
            continue;
        }
        const FileEntry& entry = frame.Entries[frame.Next++];
        TakeUpEntry(entry, frame.Dir);
        if (!pendingDirectory_.empty()) {
            const std::string path = std::move(pendingDirectory_);
            pendingDirectory_.clear();
            PushFrame(frames, OpenSubdirectory(frames, path), platform::WithTrailingSlash(path));
        }
    }
}

void TSearchWalk::PushFrame(std::vector<TFrame>& frames, platform::TDirectoryHandle dir, std::string path)
{
    if (!dir.IsOpen()) {
        Unread.Count(dir.Error(), path);
        return;
    }
    platform::TDirectoryListing listing = ReadListing(dir);
    // Names that could not be stat'ed still count; nothing is known of them to hand on.
    TotalCount += listing.UnknownCount;
    const bool anchor = frames.size() % AnchorSpacing == 0;
    frames.push_back({std::move(path), std::move(listing.Entries), 0, {}});
    if (anchor)
        frames.back().Anchor = std::move(dir);
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
    CurrentPath = dir + entry.Name;
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
