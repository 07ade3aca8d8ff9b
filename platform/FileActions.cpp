#include "platform/FileActions.h"

#include "platform/FileFacts.h"
#include "platform/GioHandles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

[[noreturn]] void ThrowSystemError(const std::string& path, int error)
{
    throw std::runtime_error(path + ": " + std::strerror(error));
}

TFileStamp StampOf(const statx_timestamp& stamp)
{
    return {true, stamp.tv_sec, stamp.tv_nsec};
}

// The type of a file that is not a regular one, told by its mode alone.
const char* SpecialContentType(std::uint32_t mode)
{
    switch (mode & S_IFMT) {
    case S_IFDIR: return "inode/directory";
    case S_IFLNK: return "inode/symlink";
    case S_IFIFO: return "inode/fifo";
    case S_IFSOCK: return "inode/socket";
    case S_IFCHR: return "inode/chardevice";
    case S_IFBLK: return "inode/blockdevice";
    default: return nullptr;
    }
}

std::string RegularContentType(const std::string& path)
{
    GObjectPtr<GFile> file(g_file_new_for_path(path.c_str()));
    GObjectPtr<GFileInfo> info(g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                                 G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, nullptr));
    const char* type = info ? g_file_info_get_content_type(info.get()) : nullptr;
    if (type)
        return type;
    GCharPtr guessed(g_content_type_guess(path.c_str(), nullptr, 0, nullptr));
    return guessed.get();
}

std::string LinkTargetOf(const std::string& path, std::size_t sizeHint)
{
    std::vector<char> buffer(sizeHint + 1 > 256 ? sizeHint + 1 : 256);
    for (;;) {
        const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size());
        if (length < 0)
            ThrowSystemError(path, errno);
        if (static_cast<std::size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        buffer.resize(buffer.size() * 2);  // the link changed meanwhile
    }
}

} // namespace

void MoveToTrash(const std::string& path)
{
    GObjectPtr<GFile> file(g_file_new_for_path(path.c_str()));
    GError* error = nullptr;
    g_file_trash(file.get(), nullptr, &error);
    ThrowIfFailed(error);
}

void RenameWithoutReplacing(const std::string& path, const std::string& newPath)
{
    if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, newPath.c_str(), RENAME_NOREPLACE) == 0)
        return;
    if (errno != EINVAL && errno != ENOSYS)
        ThrowSystemError(newPath, errno);
    // A file system that cannot refuse by itself: asked first, then renamed.
    if (SomethingAt(newPath))
        ThrowSystemError(newPath, EEXIST);
    if (std::rename(path.c_str(), newPath.c_str()) != 0)
        ThrowSystemError(newPath, errno);
}

bool SomethingAt(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

TFileProperties ReadFileProperties(const std::string& path)
{
    struct statx facts {};
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &facts) != 0)
        ThrowSystemError(path, errno);
    TFileProperties properties;
    properties.Mode = facts.stx_mode;
    properties.Size = static_cast<std::int64_t>(facts.stx_size);
    properties.Modified = StampOf(facts.stx_mtime);
    properties.Accessed = StampOf(facts.stx_atime);
    properties.Changed = StampOf(facts.stx_ctime);
    if (facts.stx_mask & STATX_BTIME)
        properties.Created = StampOf(facts.stx_btime);
    properties.OwnerId = facts.stx_uid;
    properties.GroupId = facts.stx_gid;
    properties.OwnerName = UserName(facts.stx_uid);
    properties.GroupName = GroupName(facts.stx_gid);
    const char* special = SpecialContentType(facts.stx_mode);
    properties.ContentType = special ? special : RegularContentType(path);
    GCharPtr description(g_content_type_get_description(properties.ContentType.c_str()));
    properties.TypeDescription = description ? description.get() : properties.ContentType;
    if (S_ISLNK(facts.stx_mode))
        properties.LinkTarget = LinkTargetOf(path, facts.stx_size);
    return properties;
}

} // namespace platform
