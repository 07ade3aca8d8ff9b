#include "platform/Files.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

// Closes a descriptor on every way out of a function.
class TDescriptor {
public:
    explicit TDescriptor(int fd) : fd_(fd) {}
    ~TDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;

    int Get() const { return fd_; }
    // Hands the descriptor over to the caller.
    int Release() { return std::exchange(fd_, -1); }
    // Closes now, so that a failing close (a full disk on some file systems) is seen.
    int Close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

[[noreturn]] void ThrowFileError(const std::string& path, int code = errno)
{
    throw EFileError(path, code);
}

void WriteAll(int fd, std::string_view content, const std::string& path)
{
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            ThrowFileError(path);
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
}

// The file a write to path really changes: a symbolic link is followed, so that a settings file
// kept elsewhere through a link stays there.
std::string WriteTarget(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

const std::string kTemporaryMark = ".tmp-";

// The prefix of the names of temporary files written for target: ".<name>.tmp-", then the
// writer's process id and a counter.
std::string TemporaryPrefix(const std::string& target)
{
    return "." + FileNamePart(target) + kTemporaryMark;
}

std::string TemporaryStem(const std::string& target)
{
    return DirectoryPart(target) + "/" + TemporaryPrefix(target) + std::to_string(::getpid()) + "-";
}

// A new file beside target that no one else uses; created with mode 0666 so the umask applies.
int CreateTemporaryBeside(const std::string& target, std::string& temporaryPath)
{
    static unsigned counter = 0;
    const std::string stem = TemporaryStem(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = stem + std::to_string(++counter);
        const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Gives the unnamed file behind fd a temporary name beside target; false when that is not possible.
bool LinkBeside(int fd, const std::string& target, std::string& temporaryPath)
{
    static unsigned counter = 0;
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const std::string stem = TemporaryStem(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = stem + "u" + std::to_string(++counter);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporaryPath.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// The process id in a temporary file's name after its prefix; 0 when there is none.
pid_t WriterOf(const std::string& name, std::size_t prefixLength)
{
    pid_t pid = 0;
    std::size_t at = prefixLength;
    for (; at < name.size() && name[at] >= '0' && name[at] <= '9' && pid < 100000000; ++at)
        pid = pid * 10 + (name[at] - '0');
    return at < name.size() && name[at] == '-' ? pid : 0;
}

bool ProcessIsGone(pid_t pid)
{
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Temporary files of earlier writes of target that were killed before they finished: their
// writer no longer runs.
void RemoveStaleTemporaries(const std::string& target)
{
    const std::string dir = DirectoryPart(target);
    const std::string prefix = TemporaryPrefix(target);
    DIR* stream = ::opendir(dir.c_str());
    if (!stream)
        return;
    while (const dirent* entry = ::readdir(stream)) {
        const std::string name = entry->d_name;
        if (!name.starts_with(prefix))
            continue;
        const pid_t writer = WriterOf(name, prefix.size());
        struct stat info {};
        const std::string path = dir + "/" + name;
        if (writer > 0 && writer != ::getpid() && ProcessIsGone(writer) && ::lstat(path.c_str(), &info) == 0
            && S_ISREG(info.st_mode))
            ::unlink(path.c_str());
    }
    ::closedir(stream);
}

void CopyPermissionsOf(const std::string& existing, int fd)
{
    struct stat info {};
    if (::stat(existing.c_str(), &info) == 0)
        ::fchmod(fd, info.st_mode & 07777);
}

// Makes a finished rename durable; failure only costs durability, not correctness.
void SyncDirectory(const std::string& dir)
{
    const TDescriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0)
        ::fsync(fd.Get());
}

} // namespace

EFileError::EFileError(const std::string& path, int code)
    : std::runtime_error(path + ": " + std::strerror(code)), code_(code)
{
}

EFileError::EFileError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}

ENotRegularFile::ENotRegularFile(const std::string& path) : EFileError(EINVAL, path + ": not a regular file") {}

TFileReader::TFileReader(const std::string& path) : path_(path)
{
    // O_NONBLOCK keeps the open itself from waiting on a FIFO; the check below then refuses it.
    TDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    // A socket, and a device without a driver, cannot even be opened.
    if (fd.Get() < 0 && errno == ENXIO)
        throw ENotRegularFile(path);
    if (fd.Get() < 0)
        ThrowFileError(path);
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        ThrowFileError(path);
    if (S_ISDIR(info.st_mode))
        ThrowFileError(path, EISDIR);
    if (!S_ISREG(info.st_mode))
        throw ENotRegularFile(path);
    size_ = info.st_size;
    fd_ = fd.Release();
}

TFileReader::~TFileReader()
{
    ::close(fd_);
}

std::size_t TFileReader::ReadSome(std::string& buffer, std::size_t count)
{
    const std::size_t start = buffer.size();
    buffer.resize(start + count);
    for (;;) {
        const ssize_t got = ::read(fd_, buffer.data() + start, count);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            buffer.resize(start);
            ThrowFileError(path_);
        }
        buffer.resize(start + static_cast<std::size_t>(got));
        return static_cast<std::size_t>(got);
    }
}

std::string ReadWholeFile(const std::string& path)
{
    TFileReader file(path);
    std::string content;
    content.reserve(static_cast<std::size_t>(file.Size()) + 65536);  // room for the read that finds the end
    while (file.ReadSome(content, 65536) > 0) {
    }
    return content;
}

namespace {

// Closes the finished file and renames it from temporaryPath over target; the temporary name is
// removed when that fails.
void RenameIntoPlace(TDescriptor& fd, const std::string& target, const std::string& temporaryPath)
{
    try {
        if (fd.Close() != 0)
            ThrowFileError(target);
        RenameReplacing(temporaryPath, target);
    } catch (...) {
        ::unlink(temporaryPath.c_str());
        throw;
    }
}

// The bytes and the file's permissions, flushed to the disk.
void WriteDurably(int fd, std::string_view content, const std::string& target)
{
    CopyPermissionsOf(target, fd);
    WriteAll(fd, content, target);
    if (::fsync(fd) != 0)
        ThrowFileError(target);
}

// Through an unnamed file, which a killed write leaves nothing of: the file gets a name only once
// its content is complete, and that name is renamed over target at once. False when the file
// system offers no unnamed files (nothing was written then).
bool WriteThroughUnnamedFile(const std::string& target, std::string_view content)
{
    TDescriptor fd(::open(DirectoryPart(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (fd.Get() < 0)
        return false;
    WriteDurably(fd.Get(), content, target);
    std::string temporaryPath;
    if (!LinkBeside(fd.Get(), target, temporaryPath))
        return false;
    RenameIntoPlace(fd, target, temporaryPath);
    return true;
}

void WriteThroughNamedFile(const std::string& target, std::string_view content)
{
    std::string temporaryPath;
    TDescriptor fd(CreateTemporaryBeside(target, temporaryPath));
    if (fd.Get() < 0)
        ThrowFileError(target);
    try {
        WriteDurably(fd.Get(), content, target);
    } catch (...) {
        ::unlink(temporaryPath.c_str());
        throw;
    }
    RenameIntoPlace(fd, target, temporaryPath);
}

} // namespace

void WriteFileAtomically(const std::string& path, std::string_view content)
{
    const std::string target = WriteTarget(path);
    RemoveStaleTemporaries(target);
    if (!WriteThroughUnnamedFile(target, content))
        WriteThroughNamedFile(target, content);
    SyncDirectory(DirectoryPart(target));
}

void RenameReplacing(const std::string& from, const std::string& to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        ThrowFileError(to);
}

bool RenameUnlessTaken(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    // File systems without the exclusive rename: check first, then rename.
    if (errno != EINVAL && errno != ENOSYS)
        ThrowFileError(to);
    if (PathExists(to))
        return false;
    RenameReplacing(from, to);
    return true;
}

bool RemoveFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

bool PathExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool IsWriteProtected(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
           ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

bool IsDirectoryWritable(const std::string& dir)
{
    return ::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::string RunningProgramPath()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    if (length < 0)
        ThrowFileError("/proc/self/exe");
    return std::string(path, static_cast<std::size_t>(length));
}

namespace {

// Relative values are to be ignored, so a stray setting cannot scatter files in the working directory.
std::string XdgDirectory(const char* variable, const char* belowHome)
{
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return value;
    const std::string home = HomeDirectory();
    return home.empty() ? std::string() : WithTrailingSlash(home) + belowHome;
}

} // namespace

std::string UserConfigDirectory()
{
    return XdgDirectory("XDG_CONFIG_HOME", ".config");
}

std::string UserDataDirectory()
{
    return XdgDirectory("XDG_DATA_HOME", ".local/share");
}

std::string DirectoryPart(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace platform
