#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/ThreadWaits.h"
#include "platform/FileSystem.h"

// What the walk asks of the one who runs it: the main window in the program, a stand-in in tests.
class TWalkHost {
public:
    virtual ~TWalkHost() = default;
    // Lets pending window events run (the timer, the progress dialog, its stop link).
    virtual void LetEventsRun() = 0;
    virtual bool DirectoryPasses(const FileEntry& entry, const std::string& path) = 0;
    virtual bool FilePassesKrellers(const FileEntry& entry, const std::string& path) = 0;
    virtual void AddFoundFile(const FileEntry& entry, const std::string& path) = 0;
    // Whether the files handed on must come with all a stat tells (size, times, owner, permission
    // bits). Asked at the start of every scan; when not, regular files are listed by name alone,
    // with FactsKnown false, sparing a request per file.
    virtual bool NeedsFileFacts() { return true; }
    // The same for directories, asked when files need no facts: when not, directories are listed
    // by name alone too.
    virtual bool NeedsDirectoryFacts() { return true; }
    // Entries of dir (which ends in '/') the walk is to take up, in the order it will, before any
    // of them is: a chance to prepare for the files among them. They stand at first and the places
    // after it in the walk's order. Entries of a subdirectory may be told before the walk enters
    // it, when ListsAhead says so; the walk may then not enter it after all, nor take up those very
    // entries. Each entry is told once, unless the host said false (it did not take them all): then
    // they are told again when the walk enters their directory.
    virtual bool EntriesListed(const std::string& dir, std::span<const FileEntry> entries,
                               const platform::TWalkPlace& first)
    {
        (void)dir;
        (void)entries;
        (void)first;
        return true;
    }
    // Whether entries of subdirectories read ahead are to be told before the walk enters them.
    // Asked at the start of every scan.
    virtual bool ListsAhead() { return false; }
    // Whether the entries of the subdirectory at path may be told ahead: not when it will be
    // refused once the walk gets there.
    virtual bool MayListAhead(const FileEntry& directory, const std::string& path)
    {
        (void)directory;
        (void)path;
        return true;
    }
};

// Directories of a run that the walk meant to enter but could not open.
struct TUnreadDirectories {
    std::int64_t Total = 0;
    std::int64_t Permission = 0;        // refused by the directory's permissions
    std::int64_t TooManyOpenFiles = 0;  // the process or the system ran out of file handles
    std::vector<std::string> FirstPaths;  // the first PathsKept of them, in the order met

    static constexpr std::size_t PathsKept = 5;

    // Counts one failure of path by its errno value. A directory that vanished before it was
    // opened was not missed and is not counted.
    void Count(int error, const std::string& path = {});
    bool operator==(const TUnreadDirectories&) const = default;
};

// What every summary calls them.
inline constexpr const char* UnreadableDirectoriesCaption = "Directories that could not be read";

// The line the run summary gives for them; empty when every directory could be read.
std::string UnreadDirectoriesText(const TUnreadDirectories& unread);
// The count line followed by the first paths, one a line, and how many more there were.
std::string UnreadDirectoriesWithPathsText(const TUnreadDirectories& unread);

class TWalkPrefetch;

// The recursive walk of one search run: depth first, in the order the file system lists entries,
// every file handed to the kreller chain. Stop and ignore requests arrive as flags set by the
// host while events run. With workers, directories are read ahead of the walk on threads of
// their own; what the host is asked, in which order, and what is counted stay the same.
class TSearchWalk {
public:
    explicit TSearchWalk(TWalkHost& host);
    ~TSearchWalk();

    // Clears the counters for a new run (the flags are the run's to clear).
    void ResetCounters();
    void ScanDirectory(const std::string& dir);

    bool StopRequested = false;
    bool IgnoreCurrent = false;     // cleared for every entry the walk takes up
    std::int64_t TotalCount = 0;    // entries enumerated, "." and ".." included
    std::int64_t FoundCount = 0;    // files that passed the chain
    std::string CurrentPath;        // the entry taken up last
    TUnreadDirectories Unread;      // directories that could not be opened
    std::vector<std::string> MissingStartPaths;  // start paths that name no directory

    // Events run at most this often: asking the event loop costs about as much as a stat, so it
    // is not asked for every entry. Zero lets them run at every entry.
    std::chrono::steady_clock::duration EventInterval = std::chrono::milliseconds(15);

    // Every this many levels a directory stays open while the walk is below it; deeper ones are
    // opened relative to the nearest such ancestor. So a tree of any depth is walked in time
    // proportional to its size, holding about one handle per this many levels.
    static constexpr std::size_t AnchorSpacing = 32;

    // Threads that read directories ahead of the walk; none reads them on the walk's own thread.
    unsigned Workers = DefaultWorkers();
    // When they start: at the start of every scan, or once the walk finds itself waiting for the
    // file system (a cold disk, a network mount). From the start pays on a warm cache too, since
    // the walk enters what they read without opening it again: on 2 cores /usr is walked in 0.66
    // of the time without them, and in 0.46 while three other programs keep the cores busy (more
    // threads, a larger share of the processors).
    enum class TLookAhead { AtOnce, WhenWaiting };
    TLookAhead LookAhead = TLookAhead::AtOnce;
    platform::TWaitWatch WaitWatch;
    // Names of a directory the walk reads itself before the workers take over the rest: so a
    // huge directory is read in parts, costing neither a long stretch without events nor the
    // memory of all its entries at once, and by all workers even when the walk does not wait.
    std::size_t NamesReadAlone = 4096;
    // What they hold ahead of the walk at most, in bytes of names and entries.
    std::size_t LookAheadBytes = std::size_t{64} << 20;
    // The most they held ahead during the last directory scanned (none when they did not start).
    std::size_t PeakLookAheadBytes = 0;

    // Many more threads than cores: reading directories mostly waits for the disk or the network,
    // and each thread keeps one more request in flight. On 2 cores, 16 rather than 4 took a cold
    // /usr in 0.95 of the time and an sshfs mount in 0.81, a warm tree in the same time.
    static unsigned DefaultWorkers();

private:
    struct TFrame;
    class TPrefetchScope;

    TWalkPrefetch& Prefetch();
    bool StartWorkers();
    void LookAheadWhenWaiting();
    void TakeUpEntry(const FileEntry& entry, const std::string& dir);
    void LetEventsRunWhenDue();
    void EnterPending(std::vector<TFrame>& frames, const std::string& name);
    static platform::TWalkPlace PlaceOf(const TFrame& frame, std::size_t index);
    static platform::TWalkPlace::TDirectory EnteredPlace(const TFrame& frame);
    platform::TWalkPlace::TDirectory StartPlace();
    void TellEntriesAhead(TFrame& frame);
    static void TakeBatch(TFrame& frame, std::vector<FileEntry> entries);
    bool EnterReadAhead(std::vector<TFrame>& frames, const std::string& path, const std::string& name);
    bool KeepWaiting();
    void PushFrame(std::vector<TFrame>& frames, platform::TDirectoryHandle dir, std::string path,
                   const std::string* name);
    void ReadSubdirectoriesAhead(std::vector<TFrame>& frames);
    bool TakeListingFromWorkers(TFrame& frame, TFrame* parent, const std::string* name);
    void ReadAlone(TFrame& frame, std::size_t names);
    void HandRestToWorkers(TFrame& frame);
    void TellEntriesNotToldAhead(const TFrame& frame);
    void StopReadingAlone(TFrame& frame);
    bool Refill(TFrame& frame);
    void PopFrame(std::vector<TFrame>& frames);
    platform::TDirectoryHandle OpenSubdirectory(const std::vector<TFrame>& frames, const std::string& path) const;
    static const TFrame* NearestAnchor(const std::vector<TFrame>& frames);
    platform::TEntryFacts FactsToAsk() const;
    static std::optional<platform::TFileIdentity> IdentityOf(const std::vector<TFrame>& frames, const std::string& path);

    TWalkHost& host_;
    std::unique_ptr<TWalkPrefetch> prefetch_;  // during a scan, once workers are needed
    platform::TEntryFacts facts_ = platform::TEntryFacts::All;  // of the scan under way
    bool listsAhead_ = false;    // the host of the scan under way is told entries ahead
    std::uint32_t scans_ = 0;    // so far: places of a later scan come after an earlier one's
    // Entries told ahead at one time at most, so the walk is never held up long.
    static constexpr std::size_t kEntriesToldAtOnce = 256;
    // Levels of subdirectories below the directory the walk is in whose entries are told ahead.
    static constexpr int kLevelsToldAhead = 4;
    bool askedWorkers_ = false;  // since the wait watch last looked
    bool lookingAhead_ = false;  // every directory entered from now on is read by the workers
    bool workersRefused_ = false;  // the system gave this scan no thread: it is walked alone
    int readingAlone_ = 0;       // frames holding a handle to read the rest of their names
    // Frames that hold their handles while the walk reads their names itself; deeper ones are
    // read whole, so a deep tree of huge directories cannot exhaust the open files.
    static constexpr int kReadingAloneFrames = 64;
    std::chrono::steady_clock::time_point lastEvents_{};
    bool eventsEverRan_ = false;
    std::string pendingDirectory_;  // the subdirectory the entry just taken up asks to enter
};
