#pragma once
#include <cstdint>
#include <optional>
#include <string>

// What identifies one version of a file: the same device, inode, size and modification time mean
// the same content, so its extracted text can be reused.
struct FileKey {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;

    bool operator==(const FileKey&) const = default;

    // The key of the regular file at path (links followed); nothing for anything else.
    static std::optional<FileKey> Of(const std::string& path);
};

struct CacheUsage {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
};

// Extracted texts on disk, one file per document version, in one directory that belongs to the
// cache alone. The total size is kept below a limit by dropping the least recently used entries.
// Every failure of the disk only costs a conversion: a missing, damaged or foreign entry is a miss
// (and is removed), a deleted directory is made again, a failed write leaves nothing behind.
class TextCache {
public:
    TextCache(std::string directory, std::uint64_t limitBytes);

    const std::string& Directory() const { return directory_; }
    std::uint64_t LimitBytes() const { return limitBytes_; }

    // The stored text for key, marked as just used; nothing on a miss.
    std::optional<std::string> Lookup(const FileKey& key);
    // Stores text for key (replacing an older entry, and the entries of the file's earlier
    // versions, which can never be asked for again), then evicts past the limit. False when the
    // text could not be stored; the cache is then as before.
    bool Store(const FileKey& key, const std::string& text);
    CacheUsage Usage() const;
    // Removes every entry.
    void Clear();

private:
    std::string EntryPath(const FileKey& key) const;
    bool WriteEntry(const std::string& path, const std::string& bytes) const;
    void Evict();
    // Removes the entries of the same file (device and inode) under other keys; true if any.
    bool DropOtherVersions(const FileKey& key) const;

    std::string directory_;
    std::uint64_t limitBytes_;
    std::optional<std::uint64_t> knownBytes_; // total size of the entries, once counted
};

// $XDG_CACHE_HOME/FileKreller/<name>/, falling back to ~/.cache; empty when neither is known.
std::string UserCacheDirectory(const std::string& name);

// Writes every byte to fd, going on after interrupted writes; false when the write fails.
bool WriteAll(int fd, const std::string& bytes);
