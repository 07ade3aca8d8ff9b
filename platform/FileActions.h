#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Moves the file or directory at path to the user's trash (the desktop's trash of the file's
// own file system). Throws the system's message when it cannot, e.g. on a file system without
// a trash or in a directory the user cannot write.
void MoveToTrash(const std::string& path);

// Gives the file at path the new path in the same directory. Never replaces a file that already
// has that name, not even one made a moment before. Throws the system's message.
void RenameWithoutReplacing(const std::string& path, const std::string& newPath);

// Whether anything (a dangling symbolic link too) has that path.
bool SomethingAt(const std::string& path);

// A time stamp as the file system keeps it; not Known when it keeps none (creation times on
// some file systems).
struct TFileStamp {
    bool Known = false;
    std::int64_t Seconds = 0;  // since 1970-01-01 UTC
    std::uint32_t Nanoseconds = 0;
};

// What the properties of a file show. A symbolic link is described itself, not what it points to.
struct TFileProperties {
    std::uint32_t Mode = 0;  // type and permission bits
    std::int64_t Size = 0;   // bytes
    TFileStamp Modified, Accessed, Changed, Created;
    std::uint32_t OwnerId = 0;
    std::uint32_t GroupId = 0;
    std::string OwnerName;
    std::string GroupName;
    std::string ContentType;      // "text/plain", "inode/directory"
    std::string TypeDescription;  // "plain text document"
    std::optional<std::string> LinkTarget;
};

// Reads them; throws the system's message when the file cannot be looked at. Only a regular file's
// first bytes are read (to tell its type), so a FIFO or a device is never opened.
TFileProperties ReadFileProperties(const std::string& path);

} // namespace platform
