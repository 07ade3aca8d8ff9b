#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

// Seconds between 1601-01-01 and 1970-01-01.
constexpr std::uint64_t kEpochDifferenceSeconds = 11644473600ULL;
constexpr std::uint64_t kTicksPerSecond = 10000000ULL;

std::uint64_t ToFileTime(const struct statx_timestamp& t)
{
    if (t.tv_sec < -static_cast<std::int64_t>(kEpochDifferenceSeconds))
        return 0;
    return (static_cast<std::uint64_t>(t.tv_sec + static_cast<std::int64_t>(kEpochDifferenceSeconds))) * kTicksPerSecond
           + t.tv_nsec / 100;
}

bool IsHiddenName(const std::string& name)
{
    return !name.empty() && name[0] == '.' && !IsDotName(name);
}

std::uint32_t AttributesOf(const std::string& name, const struct statx& st, bool isLinkToDirectory)
{
    std::uint32_t attributes = 0;
    const mode_t type = st.stx_mode & S_IFMT;
    if (type == S_IFDIR || isLinkToDirectory)
        attributes |= faDirectory;
    else if (type == S_IFREG)
        attributes |= faArchive;
    else
        attributes |= faSysFile;  // FIFOs, sockets and devices
    if (!(st.stx_mode & S_IWUSR))
        attributes |= faReadOnly;
    if (IsHiddenName(name))
        attributes |= faHidden;
    return attributes;
}

FileEntry EntryFromStat(std::string name, const struct statx& st, bool isLinkToDirectory)
{
    FileEntry entry;
    entry.Attributes = AttributesOf(name, st, isLinkToDirectory);
    entry.Name = std::move(name);
    entry.Size = static_cast<std::int64_t>(st.stx_size);
    entry.Mode = st.stx_mode;
    entry.OwnerId = st.stx_uid;
    entry.LastWriteTime = ToFileTime(st.stx_mtime);
    entry.LastAccessTime = ToFileTime(st.stx_atime);
    // Some file systems (overlays among them) claim a birth time and report zero.
    const bool hasBirthTime = (st.stx_mask & STATX_BTIME) && (st.stx_btime.tv_sec != 0 || st.stx_btime.tv_nsec != 0);
    entry.CreationTime = hasBirthTime ? ToFileTime(st.stx_btime) : entry.LastWriteTime;
    return entry;
}

constexpr unsigned kStatxMask = STATX_TYPE | STATX_MODE | STATX_UID | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME;

// A link to a directory is an entry of its own that is never entered, so it keeps the link's
// data and is marked as a directory; a link to a file reports its target; a dangling link
// reports itself.
FileEntry LinkEntry(std::string name, const struct statx& link, const struct statx* target)
{
    const bool toDirectory = target && (target->stx_mode & S_IFMT) == S_IFDIR;
    FileEntry entry = EntryFromStat(std::move(name), (!target || toDirectory) ? link : *target, toDirectory);
    if (!target)
        entry.Attributes = (entry.Attributes & ~faSysFile) | faArchive;  // a dangling link is a file
    entry.IsSymbolicLink = true;
    return entry;
}

std::optional<FileEntry> StatEntry(int dirFd, const char* relative, std::string name)
{
    struct statx st;
    if (statx(dirFd, relative, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatxMask, &st) != 0)
        return std::nullopt;
    if ((st.stx_mode & S_IFMT) != S_IFLNK)
        return EntryFromStat(std::move(name), st, false);
    struct statx target;
    const bool dangling = statx(dirFd, relative, AT_NO_AUTOMOUNT, kStatxMask, &target) != 0;
    return LinkEntry(std::move(name), st, dangling ? nullptr : &target);
}

// The same for a name the listing calls a link, its target asked first: most links lead to files,
// whose entry is the target's, and the link itself is then not asked for.
std::optional<FileEntry> StatListedLink(int dirFd, const char* relative, std::string name)
{
    struct statx target;
    const bool dangling = statx(dirFd, relative, AT_NO_AUTOMOUNT, kStatxMask, &target) != 0;
    if (!dangling && (target.stx_mode & S_IFMT) != S_IFDIR)
        return LinkEntry(std::move(name), target, &target);
    struct statx link;
    if (statx(dirFd, relative, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatxMask, &link) != 0)
        return std::nullopt;
    if ((link.stx_mode & S_IFMT) != S_IFLNK)
        return EntryFromStat(std::move(name), link, false);  // no longer a link
    return LinkEntry(std::move(name), link, dangling ? nullptr : &target);
}

constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
constexpr int kBelowFlags = kDirectoryFlags | O_NOFOLLOW;

// A path longer than the system takes in one call is opened one component at a time, so a tree
// deeper than that is still walked to its bottom.
int OpenLongDirectoryPath(const std::string& dir)
{
    int fd = open(dir[0] == '/' ? "/" : ".", kDirectoryFlags);
    std::size_t start = 0;
    while (fd >= 0 && start < dir.size()) {
        const std::size_t slash = dir.find('/', start);
        const std::size_t end = slash == std::string::npos ? dir.size() : slash;
        if (end > start) {
            const int next = openat(fd, dir.substr(start, end - start).c_str(), kDirectoryFlags);
            close(fd);
            fd = next;
        }
        start = end + 1;
    }
    return fd;
}

int OpenDirectoryPath(const std::string& dir)
{
    if (dir.empty())
        return open(".", kDirectoryFlags);
    const int fd = open(dir.c_str(), kDirectoryFlags);
    return fd < 0 && errno == ENAMETOOLONG ? OpenLongDirectoryPath(dir) : fd;
}

// relative below base in one call, with no link followed at any component. extraFlags: O_PATH
// to find the directory without opening it for reading.
int OpenBelowAtOnce(int base, const std::string& relative, int extraFlags)
{
    open_how how{};
    how.flags = static_cast<std::uint64_t>(kBelowFlags | extraFlags);
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
    return static_cast<int>(syscall(SYS_openat2, base, relative.c_str(), &how, sizeof how));
}

// The same one component at a time, for kernels without openat2 and paths too long for one call.
int OpenBelowStepwise(int base, const std::string& relative, int extraFlags)
{
    int fd = fcntl(base, F_DUPFD_CLOEXEC, 0);
    std::size_t start = 0;
    while (fd >= 0 && start < relative.size()) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        if (end > start) {
            const int next = openat(fd, relative.substr(start, end - start).c_str(), kBelowFlags | extraFlags);
            const int error = errno;
            close(fd);
            errno = error;
            fd = next;
        }
        start = end + 1;
    }
    return fd;
}

bool OpenAtOnceUnavailable(int error)
{
    // ENOSYS: an old kernel; EPERM: a sandbox that refuses the call; the others: a path too long.
    return error == ENOSYS || error == EPERM || error == ENAMETOOLONG || error == E2BIG;
}

int OpenBelow(int base, const std::string& relative, int extraFlags)
{
    const int fd = OpenBelowAtOnce(base, relative, extraFlags);
    return fd < 0 && OpenAtOnceUnavailable(errno) ? OpenBelowStepwise(base, relative, extraFlags) : fd;
}

// The entries of one getdents64 buffer, handed to visit.
template <typename Visit>
void VisitNames(const char* buffer, std::size_t length, Visit&& visit)
{
    for (std::size_t offset = 0; offset < length;) {
        const auto* record = reinterpret_cast<const dirent64*>(buffer + offset);
        offset += record->d_reclen;
        visit(*record);
    }
}

TListedKind ListedKind(unsigned char type)
{
    switch (type) {
    case DT_UNKNOWN:
        return TListedKind::Unknown;
    case DT_REG:
        return TListedKind::Regular;
    case DT_DIR:
        return TListedKind::Directory;
    case DT_LNK:
        return TListedKind::Link;
    default:
        return TListedKind::Other;
    }
}

// Device and inode never change for an inode, so the attributes are not fetched anew for them
// (AT_STATX_DONT_SYNC): a network mount without caching would otherwise ask its server each time.
// Owner and permission bits come with them, as the cache has them.
std::optional<TDirectoryFacts> FactsAt(int fd, const char* relative, int flags)
{
    struct statx st;
    constexpr unsigned kMask = STATX_TYPE | STATX_INO | STATX_MODE | STATX_UID;
    if (statx(fd, relative, flags | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC, kMask, &st) != 0)
        return std::nullopt;
    return TDirectoryFacts{{static_cast<std::uint64_t>(makedev(st.stx_dev_major, st.stx_dev_minor)),
                            static_cast<std::uint64_t>(st.stx_ino)},
                           st.stx_uid, st.stx_mode};
}

std::optional<TFileIdentity> IdentityAt(int fd, const char* relative, int flags)
{
    const std::optional<TDirectoryFacts> facts = FactsAt(fd, relative, flags);
    return facts ? std::optional<TFileIdentity>(facts->Identity) : std::nullopt;
}

// "." and ".." of a listing are the directory and its parent: counted by the walk and never taken
// up, so what a stat would tell of them is not worth a request each (a sixth of a tree's stats).
FileEntry DotEntry(const std::string& name)
{
    FileEntry entry;
    entry.Name = name;
    entry.Attributes = faDirectory;
    entry.Mode = S_IFDIR;
    return entry;
}

} // namespace

TDirectoryHandle TDirectoryHandle::Open(const std::string& path)
{
    const int fd = OpenDirectoryPath(path);
    return {fd, fd < 0 ? errno : 0};
}

TDirectoryHandle::~TDirectoryHandle()
{
    if (fd_ >= 0)
        close(fd_);
}

TDirectoryHandle::TDirectoryHandle(TDirectoryHandle&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_)
{
}

TDirectoryHandle& TDirectoryHandle::operator=(TDirectoryHandle&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
    }
    return *this;
}

TDirectoryHandle TDirectoryHandle::Duplicate() const
{
    if (fd_ < 0)
        return {-1, error_ != 0 ? error_ : EBADF};
    const int fd = fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    return {fd, fd < 0 ? errno : 0};
}

std::optional<TFileIdentity> TDirectoryHandle::Identity() const
{
    if (fd_ < 0)
        return std::nullopt;
    return IdentityAt(fd_, "", AT_EMPTY_PATH);
}

std::optional<TDirectoryFacts> TDirectoryHandle::Facts() const
{
    if (fd_ < 0)
        return std::nullopt;
    return FactsAt(fd_, "", AT_EMPTY_PATH);
}

bool OwnerMaySearch(const TDirectoryFacts& facts, std::uint32_t user)
{
    return facts.OwnerId == user && (facts.Mode & S_IXUSR) != 0;
}

std::uint32_t EffectiveUserId()
{
    return geteuid();
}

// Found as OpenBelow finds it, but only as a place in the tree (O_PATH): a network mount is not
// asked to open the directory nor to close it again.
std::optional<TFileIdentity> TDirectoryHandle::IdentityBelow(const std::string& relative) const
{
    if (fd_ < 0 || relative.empty())
        return std::nullopt;
    const int fd = platform::OpenBelow(fd_, relative, O_PATH);
    if (fd < 0)
        return std::nullopt;
    const std::optional<TFileIdentity> identity = IdentityAt(fd, "", AT_EMPTY_PATH);
    close(fd);
    return identity;
}

TDirectoryHandle TDirectoryHandle::OpenBelow(const std::string& relative) const
{
    if (fd_ < 0)
        return {-1, error_ != 0 ? error_ : EBADF};
    const int fd = platform::OpenBelow(fd_, relative, 0);
    return {fd, fd < 0 ? errno : 0};
}

bool ReadNameBatch(const TDirectoryHandle& dir, std::vector<TListedName>& names)
{
    if (!dir.IsOpen())
        return false;
    alignas(dirent64) char buffer[32768];
    const ssize_t got = getdents64(dir.Descriptor(), buffer, sizeof buffer);
    if (got <= 0)
        return false;
    // A record is about 32 bytes for a short name: a first request sizes the vector once instead
    // of at every doubling; names appended later grow it as usual, never by one request's worth.
    if (names.empty())
        names.reserve(static_cast<std::size_t>(got) / 32);
    VisitNames(buffer, static_cast<std::size_t>(got), [&](const dirent64& record) {
        names.push_back({record.d_name, ListedKind(record.d_type)});
    });
    return true;
}

namespace {

// An entry of the given kind (faArchive or faDirectory, with its mode's type) known by name alone.
FileEntry UnstatedEntry(std::string name, std::uint32_t kind, std::uint32_t type)
{
    FileEntry entry;
    entry.Attributes = kind;
    if (IsHiddenName(name))
        entry.Attributes |= faHidden;
    entry.Name = std::move(name);
    entry.Mode = type;
    entry.FactsKnown = false;
    return entry;
}

} // namespace

FileEntry UnstatedFileEntry(std::string name)
{
    return UnstatedEntry(std::move(name), faArchive, S_IFREG);
}

bool TEntryLookup::SparesStat(const TListedName& listed) const
{
    switch (listed.Kind) {
    case TListedKind::Regular:
        return facts_ != TEntryFacts::All;
    case TListedKind::Directory:
        return facts_ == TEntryFacts::NamesOnly && !IsDotName(listed.Name);
    default:
        return false;
    }
}

std::optional<FileEntry> TEntryLookup::Entry(TListedName listed)
{
    if (searchable_ && SparesStat(listed)) {
        return listed.Kind == TListedKind::Directory ? UnstatedEntry(std::move(listed.Name), faDirectory, S_IFDIR)
                                                     : UnstatedFileEntry(std::move(listed.Name));
    }
    std::optional<FileEntry> entry;
    if (listed.Kind == TListedKind::Link && dir_.IsOpen())
        entry = StatListedLink(dir_.Descriptor(), listed.Name.c_str(), listed.Name);
    else
        entry = StatEntryIn(dir_, listed.Name);
    searchable_ = searchable_ || (entry && !IsDotName(listed.Name));
    return entry;
}

std::optional<FileEntry> StatEntryIn(const TDirectoryHandle& dir, const std::string& name)
{
    if (!dir.IsOpen())
        return std::nullopt;
    if (IsDotName(name))
        return DotEntry(name);
    return StatEntry(dir.Descriptor(), name.c_str(), name);
}

TDirectoryListing ReadDirectory(const TDirectoryHandle& dir, const std::function<bool()>& keepGoing)
{
    return ReadDirectoryPart(dir, SIZE_MAX, keepGoing);
}

TDirectoryListing ReadDirectoryPart(const TDirectoryHandle& dir, std::size_t names,
                                    const std::function<bool()>& keepGoing, TEntryFacts facts)
{
    TDirectoryListing listing;
    TEntryLookup lookup(dir, facts);
    std::vector<TListedName> batch;
    std::size_t read = 0;
    while (read < names && (listing.NamesLeft = ReadNameBatch(dir, batch))) {
        read += batch.size();
        for (TListedName& listed : batch) {
            if (!keepGoing()) {
                listing.Interrupted = true;
                listing.NamesLeft = false;
                return listing;
            }
            if (auto entry = lookup.Entry(std::move(listed)))
                listing.Entries.push_back(std::move(*entry));
            else
                ++listing.UnknownCount;
        }
        batch.clear();
    }
    return listing;
}

std::vector<FileEntry> ListDirectory(const std::string& dir)
{
    return ReadDirectory(TDirectoryHandle::Open(dir), [] { return true; }).Entries;
}

std::optional<FileEntry> LookupEntry(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    std::optional<FileEntry> entry = StatEntry(AT_FDCWD, path.c_str(), FileNamePart(path));
    if (entry || errno != ENAMETOOLONG)
        return entry;
    const int dir = OpenLongDirectoryPath(ParentDirectory(path));
    if (dir < 0)
        return std::nullopt;
    const std::string name = FileNamePart(path);
    entry = StatEntry(dir, name.c_str(), name);
    close(dir);
    return entry;
}

namespace {

// The one entry of dir that is shown as shown, or nothing when none or several are.
std::optional<std::string> OnlyEntryShownAs(const std::string& dir, const std::string& shown,
                                            const std::function<std::string(const std::string&)>& shownName)
{
    std::optional<std::string> found;
    for (const FileEntry& entry : ListDirectory(dir)) {
        if (IsDotName(entry.Name) || shownName(entry.Name) != shown)
            continue;
        if (found)
            return std::nullopt;
        found = entry.Name;
    }
    return found;
}

} // namespace

std::optional<std::string> PathShownAs(const std::string& shownPath,
                                       const std::function<std::string(const std::string&)>& shownName)
{
    std::string path = shownPath.starts_with('/') ? "/" : "";
    std::size_t start = path.size();
    while (start < shownPath.size()) {
        const std::size_t end = std::min(shownPath.find('/', start), shownPath.size());
        const std::string name = shownPath.substr(start, end - start);
        const std::string dir = path.empty() ? "." : path;
        if (!name.empty() && !LookupEntry(path + name)) {
            const std::optional<std::string> real = OnlyEntryShownAs(dir, name, shownName);
            if (!real)
                return std::nullopt;
            path += *real;
        } else {
            path += name;
        }
        if (end < shownPath.size())
            path += '/';
        start = end + 1;
    }
    return path;
}

std::string WithTrailingSlash(const std::string& dir)
{
    if (!dir.empty() && dir.back() == '/')
        return dir;
    return dir + '/';
}

std::string FileNamePart(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentDirectory(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string CurrentDirectory()
{
    std::string buffer(PATH_MAX, '\0');
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

void SetCurrentDirectory(const std::string& dir)
{
    if (chdir(dir.c_str()) != 0)
        throw std::runtime_error(std::string(std::strerror(errno)) + ": " + dir);
}

bool DirectoryExists(const std::string& dir)
{
    struct stat st;
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectories(const std::string& dir)
{
    if (dir.empty() || DirectoryExists(dir))
        return !dir.empty();
    std::string path = dir;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const auto slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0)
        CreateDirectories(path.substr(0, slash));
    return mkdir(path.c_str(), 0777) == 0 || DirectoryExists(path);
}

std::string HomeDirectory()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* user = getpwuid(getuid()); user && user->pw_dir)
        return user->pw_dir;
    return {};
}

std::string HomeDirectoryOf(const std::string& user)
{
    if (user.empty())
        return {};
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (getpwnam_r(user.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return {};
    return found->pw_dir;
}

std::string DefaultStartPath()
{
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return "/";
    return WithTrailingSlash(home);
}

TWorkingDirectoryGuard::TWorkingDirectoryGuard() : saved_(CurrentDirectory()) {}

TWorkingDirectoryGuard::~TWorkingDirectoryGuard()
{
    if (!saved_.empty())
        (void)chdir(saved_.c_str());
}

} // namespace platform

namespace platform {

namespace {

// Levels from the top of what lies at a place in directory, itself included.
std::size_t DepthIn(const TWalkPlace::TDirectory& directory)
{
    return (directory ? directory->Depth : 0) + 1;
}

// A place as one step of its path from the top: the directory it lies in, its index there and
// its depth.
struct TPlaceStep {
    const TWalkPlace::TDirectoryPlace* Parent;
    std::uint32_t Index;
    std::size_t Depth;
};

TPlaceStep StepOf(const TWalkPlace& place)
{
    return {place.Directory.get(), place.Index, DepthIn(place.Directory)};
}

TPlaceStep Up(const TPlaceStep& step)
{
    return {step.Parent->Parent.get(), step.Parent->Index, step.Depth - 1};
}

// Negative when a comes first in the walk, zero when they are the same place. Both paths are
// climbed to the level where they meet in one directory; the highest level where their indexes
// differ decides, else the deeper one lies in the other and comes after it.
int Compare(TPlaceStep a, TPlaceStep b)
{
    int deeper = 0;
    for (; a.Depth > b.Depth; a = Up(a))
        deeper = 1;
    for (; b.Depth > a.Depth; b = Up(b))
        deeper = -1;
    int order = 0;
    for (;;) {
        if (a.Index != b.Index)
            order = a.Index < b.Index ? -1 : 1;
        if (a.Parent == b.Parent)
            break;
        a = Up(a);
        b = Up(b);
    }
    return order != 0 ? order : deeper;
}

} // namespace

TWalkPlace::TDirectory TWalkPlace::Below() const
{
    return std::make_shared<const TDirectoryPlace>(TDirectoryPlace{Directory, Index, DepthIn(Directory)});
}

bool operator<(const TWalkPlace& a, const TWalkPlace& b)
{
    return Compare(StepOf(a), StepOf(b)) < 0;
}

bool operator==(const TWalkPlace& a, const TWalkPlace& b)
{
    return Compare(StepOf(a), StepOf(b)) == 0;
}

} // namespace platform
