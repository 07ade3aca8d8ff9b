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

// What stopped the making of a text before the document's end.
enum class TextCut : std::uint8_t { None = 0, TimeLimit = 1, SizeLimit = 2 };

// A text that lies in a file: the file's bytes from offset to its end.
struct StoredText {
    std::string path;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    TextCut cut = TextCut::None;
};

// A text being written into a temporary file, after room for the entry's header; the file is
// removed with the draft unless it became a cache entry.
class TextDraft {
public:
    TextDraft(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~TextDraft();
    TextDraft(TextDraft&& other) noexcept : fd_(other.fd_), path_(std::move(other.path_)) { other.fd_ = -1; }
    TextDraft(const TextDraft&) = delete;
    TextDraft& operator=(const TextDraft&) = delete;
    TextDraft& operator=(TextDraft&&) = delete;

    int Fd() const { return fd_; }
    const std::string& Path() const { return path_; }
    // The file is an entry now, or gone: it is no longer the draft's to remove.
    void Release() { path_.clear(); }

private:
    int fd_;
    std::string path_;
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

    // Where the stored text for key lies, checked whole and marked as just used; nothing on a miss.
    std::optional<StoredText> Find(const FileKey& key);
    // The stored text for key, read into memory; nothing on a miss.
    std::optional<std::string> Lookup(const FileKey& key);
    // Stores text for key (replacing an older entry, and the entries of the file's earlier
    // versions, which can never be asked for again), then evicts past the limit. False when the
    // text could not be stored; the cache is then as before.
    bool Store(const FileKey& key, const std::string& text, TextCut cut = TextCut::None);

    // A new draft to write a text into a piece at a time: in the cache's folder, or in the folder
    // of temporary files when the cache has none. Nothing when neither can be written.
    std::optional<TextDraft> StartDraft();
    // The draft's text (what was written after the header) becomes the entry of key, as Store
    // does it. A text too long for the cache stays in the draft, which the caller keeps as long as
    // the text is wanted. Nothing when the draft cannot be read back.
    std::optional<StoredText> Commit(const FileKey& key, TextDraft& draft, TextCut cut);
    CacheUsage Usage() const;
    // Removes every entry.
    void Clear();

private:
    std::string EntryPath(const FileKey& key) const;
    // Moves a finished draft into the place of key's entry; false when it could not.
    bool Place(const FileKey& key, TextDraft& draft);
    // Drops the least recently used entries past the limit, sparing the one just stored.
    void Evict(const std::string& spared);
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
// The stored text read into memory; nothing when it cannot be read whole.
std::optional<std::string> ReadStoredText(const StoredText& text);
