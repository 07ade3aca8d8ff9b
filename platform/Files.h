#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A file operation that failed; what() is the path and the system's message, Code() the errno value.
class EFileError : public std::runtime_error {
public:
    EFileError(const std::string& path, int code);
    int Code() const { return code_; }

private:
    int code_;
};

// The whole content of a regular file. Anything else (a directory, a FIFO, a device) is refused
// instead of read, so a misplaced special file can never block the caller.
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

// Whether anything (a file, a directory, a dangling link) exists at path.
bool PathExists(const std::string& path);

// Whether this process may create files in dir.
bool IsDirectoryWritable(const std::string& dir);

// The full path of the running program.
std::string RunningProgramPath();

// The user's configuration directory: $XDG_CONFIG_HOME when it is an absolute path, otherwise
// ~/.config; empty when no home directory is known.
std::string UserConfigDirectory();

// The directory part of path (without a trailing '/'; "/" for the root, "." when path has no '/').
std::string DirectoryPart(const std::string& path);

} // namespace platform
