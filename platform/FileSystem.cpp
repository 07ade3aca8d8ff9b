#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

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
    if (!name.empty() && name[0] == '.' && name != "." && name != "..")
        attributes |= faHidden;
    return attributes;
}

FileEntry EntryFromStat(std::string name, const struct statx& st, bool isLinkToDirectory)
{
    FileEntry entry;
    entry.Attributes = AttributesOf(name, st, isLinkToDirectory);
    entry.Name = std::move(name);
    entry.Size = static_cast<std::int64_t>(st.stx_size);
    entry.LastWriteTime = ToFileTime(st.stx_mtime);
    entry.LastAccessTime = ToFileTime(st.stx_atime);
    // Some file systems (overlays among them) claim a birth time and report zero.
    const bool hasBirthTime = (st.stx_mask & STATX_BTIME) && (st.stx_btime.tv_sec != 0 || st.stx_btime.tv_nsec != 0);
    entry.CreationTime = hasBirthTime ? ToFileTime(st.stx_btime) : entry.LastWriteTime;
    return entry;
}

constexpr unsigned kStatxMask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME;

// A link to a directory is an entry of its own that is never entered, so it keeps the link's
// data and is marked as a directory; a link to a file reports its target; a dangling link
// reports itself.
std::optional<FileEntry> StatEntry(int dirFd, const char* relative, std::string name)
{
    struct statx st;
    if (statx(dirFd, relative, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatxMask, &st) != 0)
        return std::nullopt;
    if ((st.stx_mode & S_IFMT) != S_IFLNK)
        return EntryFromStat(std::move(name), st, false);
    struct statx target;
    const bool dangling = statx(dirFd, relative, AT_NO_AUTOMOUNT, kStatxMask, &target) != 0;
    const bool toDirectory = !dangling && (target.stx_mode & S_IFMT) == S_IFDIR;
    FileEntry entry = EntryFromStat(std::move(name), (dangling || toDirectory) ? st : target, toDirectory);
    if (dangling)
        entry.Attributes = (entry.Attributes & ~faSysFile) | faArchive;  // a dangling link is a file
    entry.IsSymbolicLink = true;
    return entry;
}

constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

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

int OpenDirectory(const std::string& dir)
{
    if (dir.empty())
        return open(".", kDirectoryFlags);
    const int fd = open(dir.c_str(), kDirectoryFlags);
    return fd < 0 && errno == ENAMETOOLONG ? OpenLongDirectoryPath(dir) : fd;
}

} // namespace

std::vector<FileEntry> ListDirectory(const std::string& dir)
{
    std::vector<FileEntry> entries;
    const int dirFd = OpenDirectory(dir);
    if (dirFd < 0)
        return entries;
    DIR* stream = fdopendir(dirFd);
    if (!stream) {
        close(dirFd);
        return entries;
    }
    while (const dirent* d = readdir(stream)) {
        if (auto entry = StatEntry(dirFd, d->d_name, d->d_name))
            entries.push_back(std::move(*entry));
    }
    closedir(stream);
    return entries;
}

std::optional<FileEntry> LookupEntry(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    return StatEntry(AT_FDCWD, path.c_str(), FileNamePart(path));
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
