#pragma once
#include <sys/stat.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Attribute bits of a directory entry.
enum FileAttribute : std::uint32_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
    faAnyFile = 0x3F,
};

// What the walk knows of one directory entry. Times are 100-nanosecond ticks since 1601-01-01 UTC.
struct FileEntry {
    std::string Name;              // the entry's bytes, without directory
    std::int64_t Size = 0;         // full 64-bit size (a 32-bit size is wrong from 2 GiB on)
    std::uint32_t Attributes = 0;
    std::uint64_t CreationTime = 0;
    std::uint64_t LastAccessTime = 0;
    std::uint64_t LastWriteTime = 0;
    bool IsSymbolicLink = false;   // a link to a directory is listed but never entered
    std::uint32_t Mode = 0;        // the file's type and permission bits, as stat reports them
    std::uint32_t OwnerId = 0;     // the owning user's id
    // False when only the name and the kind are known: a regular file or directory listed without
    // a stat, whose size, times, owner and permission bits are left empty for whoever needs them to
    // look up.
    bool FactsKnown = true;

    bool IsDirectory() const { return (Attributes & faDirectory) != 0; }
};

namespace platform {

// "." or "..": the directory itself and its parent, listed in every directory.
inline bool IsDotName(const std::string& name)
{
    return name == "." || name == "..";
}

// A directory of its own below the one listed, which a walk may enter: not a link to one, nor
// "." or "..".
inline bool IsSubdirectoryToWalk(const FileEntry& entry)
{
    return entry.IsDirectory() && !entry.IsSymbolicLink && !IsDotName(entry.Name);
}

// Where an entry stands in the order a depth-first walk takes entries up: the place of the
// directory it lies in, and its own index among that directory's entries. Places compare in the
// walk's order: an entry comes after the subdirectory it lies in and before the entries that
// follow that subdirectory. A directory's place is shared by everything below it, so a place
// costs one link per level however deep, and nearby places compare in a few steps.
struct TWalkPlace {
    struct TDirectoryPlace;
    using TDirectory = std::shared_ptr<const TDirectoryPlace>;
    TDirectory Directory;  // empty: at the top, as the start directory of a scan is
    std::uint32_t Index = 0;

    // The place of the subdirectory at this place, for the entries in it.
    TDirectory Below() const;
};

struct TWalkPlace::TDirectoryPlace {
    TDirectory Parent;
    std::uint32_t Index = 0;  // in the parent
    std::size_t Depth = 1;    // levels from the top, itself included
};

bool operator<(const TWalkPlace& a, const TWalkPlace& b);
bool operator==(const TWalkPlace& a, const TWalkPlace& b);

// Whether the listing found a regular file (or a link to one): it is read without another look
// at its type first.
inline bool IsListedRegular(const FileEntry& entry)
{
    return (entry.Mode & S_IFMT) == S_IFREG;
}

// Which file an open handle refers to, whatever names it has meanwhile.
struct TFileIdentity {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    bool operator==(const TFileIdentity&) const = default;
};

// What a stat of an open directory tells the walk: which it is, and who may look names up in it.
struct TDirectoryFacts {
    TFileIdentity Identity;
    std::uint32_t OwnerId = 0;
    std::uint32_t Mode = 0;
};

// Whether user surely may look names up in the directory: its owner, with the owner's search bit,
// which an access list keeps as it is. False when the bits alone do not tell.
bool OwnerMaySearch(const TDirectoryFacts& facts, std::uint32_t user);

// The user this process acts as when it opens files.
std::uint32_t EffectiveUserId();

// An open directory, or the reason (an errno value) why it could not be opened. Paths below it
// are opened relative to it, so the walk needs neither full paths nor one handle per level.
class TDirectoryHandle {
public:
    // The directory at path; a symbolic link given as path is followed, as it is the caller's choice.
    static TDirectoryHandle Open(const std::string& path);

    TDirectoryHandle() = default;
    ~TDirectoryHandle();
    TDirectoryHandle(TDirectoryHandle&& other) noexcept;
    TDirectoryHandle& operator=(TDirectoryHandle&& other) noexcept;
    TDirectoryHandle(const TDirectoryHandle&) = delete;
    TDirectoryHandle& operator=(const TDirectoryHandle&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Error() const { return error_; }
    int Descriptor() const { return fd_; }

    // The directory at relative ("a/b/c", no "." or ".." parts) below this one. No component may
    // be a symbolic link, so a directory swapped for a link after it was listed is refused (ELOOP
    // or ENOTDIR) and what opens always lies inside this directory's tree.
    TDirectoryHandle OpenBelow(const std::string& relative) const;

    // A second handle on the same directory, or the reason there is none.
    TDirectoryHandle Duplicate() const;
    // The directory's identity; nothing when it is not open or cannot be asked.
    std::optional<TFileIdentity> Identity() const;
    // The same with the directory's owner and permission bits, for the same single request.
    std::optional<TDirectoryFacts> Facts() const;
    // The identity of the directory that relative leads to below this one now, found as
    // OpenBelow finds it (no component a link); nothing when it leads to none. Cheaper than
    // opening it: a network mount is asked one lookup a component and nothing more.
    std::optional<TFileIdentity> IdentityBelow(const std::string& relative) const;

private:
    TDirectoryHandle(int fd, int error) : fd_(fd), error_(error) {}

    int fd_ = -1;
    int error_ = 0;
};

// What reading one directory gave.
struct TDirectoryListing {
    std::vector<FileEntry> Entries;  // in the order the file system returns them
    // Names that were listed but could not be stat'ed: vanished meanwhile, or in a directory that
    // may be listed but not searched. They count as entries but nothing is known of them.
    std::int64_t UnknownCount = 0;
    bool Interrupted = false;  // keepGoing said no before the end
    bool NamesLeft = false;    // a part was read: the directory may have names not yet read
};

// What a listing says a name is; a file system that does not tell leaves it Unknown.
enum class TListedKind : std::uint8_t { Unknown, Regular, Directory, Link, Other };

// A name as a directory listing gives it, with the kind the listing tells.
struct TListedName {
    std::string Name;
    TListedKind Kind = TListedKind::Unknown;
};

// The next names of the open directory, in the order the file system returns them, appended to
// names: as many as one request brings (about a thousand). False at the end or on an error.
bool ReadNameBatch(const TDirectoryHandle& dir, std::vector<TListedName>& names);

// How much a listing finds out of its entries: all a stat tells of each; of a regular file only
// its name and kind, which spares a request per file (the most of a walk's requests); or that of
// directories too, which spares one a directory.
enum class TEntryFacts { All, NamesOfFiles, NamesOnly };

// Finds out what the walk knows of the names of one directory, taken in listing order. A name
// listed as a regular file (or directory) is not stat'ed when the facts asked allow it, once a
// stat in the directory has worked: until then the directory may be one whose names can be listed
// but not looked up, and those count as unknown, as with every fact asked. A name listed as a link
// has its target stat'ed first: a link to a file needs nothing more.
class TEntryLookup {
public:
    // searchable: names in dir are already known to be looked up.
    TEntryLookup(const TDirectoryHandle& dir, TEntryFacts facts, bool searchable = false)
        : dir_(dir), facts_(facts), searchable_(searchable)
    {
    }
    // listed's name moves into the entry.
    std::optional<FileEntry> Entry(TListedName listed);
    // Whether a stat of a name in dir has worked, or it was known to.
    bool Searchable() const { return searchable_; }

private:
    bool SparesStat(const TListedName& listed) const;

    const TDirectoryHandle& dir_;
    TEntryFacts facts_;
    bool searchable_ = false;
};

// A regular file of which only the name is known.
FileEntry UnstatedFileEntry(std::string name);

// What the walk knows of the entry name of the open directory, or nothing when it vanished or
// cannot be stat'ed. A link to a directory is marked as a directory and keeps its own data; a link
// to a file reports its target; a dangling link reports itself. "." and ".." are known to be
// directories without asking: their sizes, times and modes are left empty.
std::optional<FileEntry> StatEntryIn(const TDirectoryHandle& dir, const std::string& name);

// Every entry of the open directory, "." and ".." included. keepGoing is asked before every
// entry, so that a huge directory lets events run and can be given up.
TDirectoryListing ReadDirectory(const TDirectoryHandle& dir, const std::function<bool()>& keepGoing);
// The same for the directory's next names only: whole requests of names until at least names
// were read or the directory ended. The handle keeps its place for the next part.
TDirectoryListing ReadDirectoryPart(const TDirectoryHandle& dir, std::size_t names,
                                    const std::function<bool()>& keepGoing, TEntryFacts facts = TEntryFacts::All);

// Every entry of dir, "." and ".." included, in the order the file system returns them.
// An unreadable or missing directory gives no entries; an entry that vanishes before its stat is
// left out.
std::vector<FileEntry> ListDirectory(const std::string& dir);

// The entry that path names (a file, a directory, a link), or nothing when there is none. A path
// longer than the system takes in one call is looked up from its directory, opened a name at a time.
std::optional<FileEntry> LookupEntry(const std::string& path);

// The existing path that reads as shownPath when each of its names is shown through shownName.
// A path that came back from a text widget has lost the bytes of names that are not valid UTF-8;
// this finds them again. A name that exists as given is taken as it is; otherwise the one entry of
// its directory shown the same way is. Nothing when some name has no such entry or several.
std::optional<std::string> PathShownAs(const std::string& shownPath,
                                       const std::function<std::string(const std::string&)>& shownName);

// dir with exactly one trailing '/' added when missing.
std::string WithTrailingSlash(const std::string& dir);
// The part of path after its last '/'.
std::string FileNamePart(const std::string& path);
// The directory path lies in: the part before its last '/' ("/" for the root, "." without one).
std::string ParentDirectory(const std::string& path);

std::string CurrentDirectory();
// Throws std::runtime_error with the system's text when the directory cannot be entered.
void SetCurrentDirectory(const std::string& dir);
// Creates dir with any missing parents; true when it exists afterwards.
bool CreateDirectories(const std::string& dir);
bool DirectoryExists(const std::string& dir);

// $HOME, or the password database's home; empty when neither is known.
std::string HomeDirectory();
// The home directory of the account named user; empty when there is no such account.
std::string HomeDirectoryOf(const std::string& user);
// Where a search starts when nothing else is set: the home directory with a trailing '/', or "/".
std::string DefaultStartPath();

// Restores the working directory it found when it goes out of scope, whatever happened meanwhile.
class TWorkingDirectoryGuard {
public:
    TWorkingDirectoryGuard();
    ~TWorkingDirectoryGuard();
    TWorkingDirectoryGuard(const TWorkingDirectoryGuard&) = delete;
    TWorkingDirectoryGuard& operator=(const TWorkingDirectoryGuard&) = delete;

private:
    std::string saved_;
};

} // namespace platform
