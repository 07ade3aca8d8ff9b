#pragma once
#include <cstdint>
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

    bool IsDirectory() const { return (Attributes & faDirectory) != 0; }
};

namespace platform {

// Every entry of dir, "." and ".." included, in the order the file system returns them.
// The directory is read completely and closed before returning, so a deep walk holds no handles.
// An unreadable or missing directory gives no entries; an entry that vanishes before its stat is
// left out.
std::vector<FileEntry> ListDirectory(const std::string& dir);

// The entry that path names (a file, a directory, a link), or nothing when there is none.
std::optional<FileEntry> LookupEntry(const std::string& path);

// dir with exactly one trailing '/' added when missing.
std::string WithTrailingSlash(const std::string& dir);
// The part of path after its last '/'.
std::string FileNamePart(const std::string& path);

std::string CurrentDirectory();
// Throws std::runtime_error with the system's text when the directory cannot be entered.
void SetCurrentDirectory(const std::string& dir);
// Creates dir with any missing parents; true when it exists afterwards.
bool CreateDirectories(const std::string& dir);
bool DirectoryExists(const std::string& dir);

// $HOME, or the password database's home; empty when neither is known.
std::string HomeDirectory();
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
