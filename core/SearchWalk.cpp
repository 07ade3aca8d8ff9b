#include "core/SearchWalk.h"

#include <vector>

namespace {

bool IsDotEntry(const std::string& name)
{
    return name == "." || name == "..";
}

// One directory being walked. Its entries are read completely and its handle closed before the
// walk descends, so a deep tree never runs into the limit of open files.
struct TDirectoryFrame {
    std::string Dir;  // with a trailing '/'
    std::vector<FileEntry> Entries;
    std::size_t Next = 0;
};

} // namespace

void TSearchWalk::ResetCounters()
{
    TotalCount = 0;
    FoundCount = 0;
    CurrentPath.clear();
}

void TSearchWalk::ScanDirectory(const std::string& dir)
{
    // An explicit stack instead of recursion: trees thousands of levels deep are walked without
    // exhausting the call stack.
    std::vector<TDirectoryFrame> frames;
    frames.push_back({platform::WithTrailingSlash(dir), platform::ListDirectory(dir), 0});
    while (!frames.empty() && !StopRequested) {
        TDirectoryFrame& frame = frames.back();
        if (frame.Next == frame.Entries.size()) {
            frames.pop_back();
            continue;
        }
        const FileEntry& entry = frame.Entries[frame.Next++];
        TakeUpEntry(entry, frame.Dir);
        if (!pendingDirectory_.empty()) {
            auto entries = platform::ListDirectory(pendingDirectory_);
            frames.push_back({platform::WithTrailingSlash(pendingDirectory_), std::move(entries), 0});
            pendingDirectory_.clear();
        }
    }
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
