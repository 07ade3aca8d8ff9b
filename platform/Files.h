#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A file operation that failed; what() is the path and the system's message, Code() the errno value.
class EFileError : public std::runtime_error {
public:
    EFileError(const std::string& path, int code);
    int Code() const { return code_; }

protected:
    // For derived errors with a text of their own.
    EFileError(int code, const std::string& message);

private:
    int code_;
};

// A file that is refused because it is not a regular file: a FIFO, a socket or a device, whose
// reading might never end.
class ENotRegularFile : public EFileError {
public:
    explicit ENotRegularFile(const std::string& path);
};

// A regular file read from its start in steps of the caller's size.
class TFileReader {
public:
    // Throws EFileError when path cannot be opened, ENotRegularFile for anything but a regular
    // file or a directory (EISDIR). Opening never waits, not even for a FIFO.
    explicit TFileReader(const std::string& path);
    ~TFileReader();
    TFileReader(const TFileReader&) = delete;
    TFileReader& operator=(const TFileReader&) = delete;

    // Appends up to count bytes to buffer and says how many; 0 only at the end of the file.
    // Throws EFileError.
    std::size_t ReadSome(std::string& buffer, std::size_t count);
    // The size the file had when it was opened.
    std::int64_t Size() const { return size_; }

private:
    std::string path_;
    int fd_ = -1;
    std::int64_t size_ = 0;
};

// The whole content of a regular file. Anything else (a directory, a FIFO, a device) is refused
// instead of read, so a misplaced special file can never block the caller (as TFileReader).
std::string ReadWholeFile(const std::string& path);

// Replaces path with content so that readers see either the old file or the complete new one: the
// bytes go to a temporary file in the same directory, are flushed to the disk and renamed over path.
// The temporary file is unnamed until it is complete, so a killed write leaves nothing behind;
// where the file system has no unnamed files, a named one is used, and those that killed writes
// of the same path left (their writer no longer runs) are removed first.
// An existing file keeps its permissions; a symbolic link keeps pointing at the file it names.
void WriteFileAtomically(const std::string& path, std::string_view content);

// Renames from to to, replacing a file that is already there.
void RenameReplacing(const std::string& from, const std::string& to);

// Renames from to to unless something already exists at to: false then, and nothing changes.
// Throws EFileError for any other failure.
bool RenameUnlessTaken(const std::string& from, const std::string& to);

// Removes the file (not a directory) at path; false when it could not be removed.
bool RemoveFile(const std::string& path);

// Whether anything (a file, a directory, a dangling link) exists at path.
bool PathExists(const std::string& path);

// Whether a file exists at path that is not to be replaced: one that has no write permission
// bit at all (made read-only on purpose, which holds even for root) or that this process may not write.
bool IsWriteProtected(const std::string& path);

// Whether this process may create files in dir.
bool IsDirectoryWritable(const std::string& dir);

// The full path of the running program.
std::string RunningProgramPath();

// The user's configuration directory: $XDG_CONFIG_HOME when it is an absolute path, otherwise
// ~/.config; empty when no home directory is known.
std::string UserConfigDirectory();

// The user's data directory: $XDG_DATA_HOME when it is an absolute path, otherwise
// ~/.local/share; empty when no home directory is known.
std::string UserDataDirectory();

// The directory part of path (without a trailing '/'; "/" for the root, "." when path has no '/').
std::string DirectoryPart(const std::string& path);

} // namespace platform
