#include "TextCache.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kMagic[8] = {'F', 'K', 'T', 'E', 'X', 'T', '0', '2'};
constexpr std::size_t kHeaderWords = 7; // key (4), text length, checksum, cut
constexpr std::size_t kHeaderBytes = sizeof kMagic + kHeaderWords * 8;
constexpr std::size_t kEntryNameLength = 4 * 16 + 3;
constexpr const char* kTempPrefix = ".tmp-";
constexpr std::time_t kStaleTempSeconds = 3600;
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;  // a multiple of 8: see Checksum
constexpr std::uint64_t kChecksumStart = 1469598103934665603ULL;

// FNV-1a over 8-byte words, then the bytes left over. Fed in chunks of whole words but the last,
// it gives the same sum as over the whole text at once.
std::uint64_t Checksum(std::uint64_t hash, const char* data, std::size_t size)
{
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, data + i, 8);
        hash = (hash ^ word) * 1099511628211ULL;
    }
    for (; i < size; ++i)
        hash = (hash ^ static_cast<unsigned char>(data[i])) * 1099511628211ULL;
    return hash;
}

void PutWord(std::string& out, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t GetWord(const std::string& in, std::size_t offset)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(in[offset + static_cast<std::size_t>(i)]);
    return value;
}

struct EntryHeader {
    FileKey key;
    std::uint64_t length = 0;
    std::uint64_t checksum = 0;
    TextCut cut = TextCut::None;
};

std::string HeaderBytes(const EntryHeader& header)
{
    std::string bytes(kMagic, sizeof kMagic);
    for (const std::uint64_t word : {header.key.device, header.key.inode, header.key.size,
                                     static_cast<std::uint64_t>(header.key.modifiedNs), header.length, header.checksum,
                                     static_cast<std::uint64_t>(header.cut)})
        PutWord(bytes, word);
    return bytes;
}

std::optional<EntryHeader> ParseHeader(const std::string& bytes)
{
    if (bytes.size() != kHeaderBytes || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return std::nullopt;
    EntryHeader header{{GetWord(bytes, 8), GetWord(bytes, 16), GetWord(bytes, 24), static_cast<std::int64_t>(GetWord(bytes, 32))},
                       GetWord(bytes, 40), GetWord(bytes, 48), static_cast<TextCut>(GetWord(bytes, 56))};
    if (GetWord(bytes, 56) > static_cast<std::uint64_t>(TextCut::SizeLimit))
        return std::nullopt;
    return header;
}

// Calls transfer (a read or a write from the given offset) until size bytes are done, going on
// after interrupted calls; false when a call fails or the file ends first.
template <typename TTransfer>
bool EveryByte(std::size_t size, TTransfer transfer)
{
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = transfer(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads size bytes from offset into bytes; false when the file ends first or a read fails.
bool ReadAt(int fd, std::uint64_t offset, std::size_t size, std::string& bytes)
{
    bytes.resize(size);
    return EveryByte(size, [&](std::size_t done) {
        return ::pread(fd, bytes.data() + done, size - done, static_cast<off_t>(offset + done));
    });
}

std::uint64_t FileBytes(int fd)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
}

// The checksum of length bytes from offset, read a chunk at a time; nothing when they cannot be read.
std::optional<std::uint64_t> ChecksumAt(int fd, std::uint64_t offset, std::uint64_t length)
{
    std::uint64_t hash = kChecksumStart;
    std::string chunk;
    for (std::uint64_t done = 0; done < length;) {
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, length - done));
        if (!ReadAt(fd, offset + done, size, chunk))
            return std::nullopt;
        hash = Checksum(hash, chunk.data(), chunk.size());
        done += size;
    }
    return hash;
}

// The header of the entry open at fd when the entry is whole and undamaged and belongs to key.
std::optional<EntryHeader> CheckedHeader(int fd, const FileKey& key)
{
    std::string bytes;
    const std::uint64_t size = FileBytes(fd);
    if (size < kHeaderBytes || !ReadAt(fd, 0, kHeaderBytes, bytes))
        return std::nullopt;
    std::optional<EntryHeader> header = ParseHeader(bytes);
    if (!header || !(header->key == key) || header->length != size - kHeaderBytes ||
        ChecksumAt(fd, kHeaderBytes, header->length) != header->checksum)
        return std::nullopt;
    return header;
}

bool MakeDirectories(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

struct EntryFile {
    std::string path;
    std::uint64_t bytes = 0;
    timespec used{};
};

bool IsEntryName(const char* name)
{
    return std::strlen(name) == kEntryNameLength && name[0] != '.';
}

bool IsTempName(const char* name)
{
    return std::strncmp(name, kTempPrefix, std::strlen(kTempPrefix)) == 0;
}

bool Older(const timespec& a, const timespec& b)
{
    return a.tv_sec != b.tv_sec ? a.tv_sec < b.tv_sec : a.tv_nsec < b.tv_nsec;
}

// The entries in directory; temporary files of writes that never finished (the writer was killed)
// are removed on the way once they are old enough not to belong to a write under way.
std::vector<EntryFile> ListEntries(const std::string& directory, bool removeAllTemps)
{
    std::vector<EntryFile> entries;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return entries;
    const std::time_t now = std::time(nullptr);
    while (const dirent* d = ::readdir(dir)) {
        const std::string path = directory + d->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (IsTempName(d->d_name)) {
            if (removeAllTemps || now - st.st_mtim.tv_sec > kStaleTempSeconds)
                ::unlink(path.c_str());
        } else if (IsEntryName(d->d_name)) {
            entries.push_back({path, static_cast<std::uint64_t>(st.st_size), st.st_mtim});
        }
    }
    ::closedir(dir);
    return entries;
}

std::uint64_t TotalBytes(const std::vector<EntryFile>& entries)
{
    std::uint64_t total = 0;
    for (const auto& e : entries)
        total += e.bytes;
    return total;
}

} // namespace

bool WriteAll(int fd, const std::string& bytes)
{
    return EveryByte(bytes.size(), [&](std::size_t done) { return ::write(fd, bytes.data() + done, bytes.size() - done); });
}

std::optional<std::string> ReadStoredText(const StoredText& text)
{
    const int fd = ::open(text.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    std::string bytes;
    const bool read = ReadAt(fd, text.offset, static_cast<std::size_t>(text.length), bytes);
    ::close(fd);
    return read ? std::optional<std::string>(std::move(bytes)) : std::nullopt;
}

std::optional<FileKey> FileKey::Of(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileKey{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                   static_cast<std::uint64_t>(st.st_size),
                   static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

TextCache::TextCache(std::string directory, std::uint64_t limitBytes)
    : directory_(std::move(directory)), limitBytes_(limitBytes)
{
    if (!directory_.empty() && directory_.back() != '/')
        directory_ += '/';
}

std::string TextCache::EntryPath(const FileKey& key) const
{
    char name[kEntryNameLength + 1];
    std::snprintf(name, sizeof name, "%016llx-%016llx-%016llx-%016llx", static_cast<unsigned long long>(key.device),
                  static_cast<unsigned long long>(key.inode), static_cast<unsigned long long>(key.size),
                  static_cast<unsigned long long>(key.modifiedNs));
    return directory_ + name;
}

std::optional<StoredText> TextCache::Find(const FileKey& key)
{
    if (directory_.empty())
        return std::nullopt;
    const std::string path = EntryPath(key);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    const std::optional<EntryHeader> header = CheckedHeader(fd, key);
    if (header)
        ::futimens(fd, nullptr); // the modification time is the entry's last use
    ::close(fd);
    if (!header) {
        ::unlink(path.c_str());
        knownBytes_.reset();
        return std::nullopt;
    }
    return StoredText{path, kHeaderBytes, header->length, header->cut};
}

std::optional<std::string> TextCache::Lookup(const FileKey& key)
{
    const std::optional<StoredText> found = Find(key);
    return found ? ReadStoredText(*found) : std::nullopt;
}

namespace {

// A draft file in folder (which ends in '/'), its offset past the header's room.
std::optional<TextDraft> DraftIn(const std::string& folder)
{
    std::string path = folder + kTempPrefix + "XXXXXX";
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    TextDraft draft(fd, path);
    if (::lseek(fd, static_cast<off_t>(kHeaderBytes), SEEK_SET) != static_cast<off_t>(kHeaderBytes))
        return std::nullopt;
    return draft;
}

std::string TemporaryFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/";
}

} // namespace

TextDraft::~TextDraft()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!path_.empty())
        ::unlink(path_.c_str());
}

std::optional<TextDraft> TextCache::StartDraft()
{
    if (!directory_.empty()) {
        if (std::optional<TextDraft> draft = DraftIn(directory_))
            return draft;
        // The folder may have been removed since the last write: make it again and count afresh.
        knownBytes_.reset();
        if (MakeDirectories(directory_.substr(0, directory_.size() - 1)))
            if (std::optional<TextDraft> draft = DraftIn(directory_))
                return draft;
    }
    return DraftIn(TemporaryFolder());
}

std::optional<StoredText> TextCache::Commit(const FileKey& key, TextDraft& draft, TextCut cut)
{
    const int fd = draft.Fd();
    const std::uint64_t size = FileBytes(fd);
    if (size < kHeaderBytes && ::ftruncate(fd, static_cast<off_t>(kHeaderBytes)) != 0)
        return std::nullopt;
    const std::uint64_t length = size < kHeaderBytes ? 0 : size - kHeaderBytes;
    const std::optional<std::uint64_t> checksum = ChecksumAt(fd, kHeaderBytes, length);
    if (!checksum)
        return std::nullopt;
    const std::string header = HeaderBytes({key, length, *checksum, cut});
    if (!EveryByte(header.size(), [&](std::size_t done) {
            return ::pwrite(fd, header.data() + done, header.size() - done, static_cast<off_t>(done));
        }))
        return std::nullopt;
    StoredText text{draft.Path(), kHeaderBytes, length, cut};
    if (kHeaderBytes + length <= limitBytes_ && Place(key, draft))
        text.path = EntryPath(key);
    return text;
}

bool TextCache::Place(const FileKey& key, TextDraft& draft)
{
    const std::string path = EntryPath(key);
    if (directory_.empty() || draft.Path().compare(0, directory_.size(), directory_) != 0 ||
        ::rename(draft.Path().c_str(), path.c_str()) != 0)
        return false;
    const std::uint64_t bytes = FileBytes(draft.Fd());
    draft.Release();
    if (DropOtherVersions(key))
        knownBytes_.reset();
    if (!knownBytes_)
        knownBytes_ = TotalBytes(ListEntries(directory_, false));
    else
        *knownBytes_ += bytes;
    if (*knownBytes_ > limitBytes_)
        Evict(path);
    return true;
}

bool TextCache::Store(const FileKey& key, const std::string& text, TextCut cut)
{
    if (directory_.empty() || kHeaderBytes + text.size() > limitBytes_)
        return false;
    std::optional<TextDraft> draft = StartDraft();
    if (!draft || !WriteAll(draft->Fd(), text))
        return false;
    const std::optional<StoredText> stored = Commit(key, *draft, cut);
    return stored && stored->path == EntryPath(key);
}

bool TextCache::DropOtherVersions(const FileKey& key) const
{
    const std::string own = EntryPath(key).substr(directory_.size());
    const std::size_t sameFile = 2 * 16 + 2;  // "<device>-<inode>-" starts every name of the file
    DIR* dir = ::opendir(directory_.c_str());
    if (!dir)
        return false;
    bool dropped = false;
    while (const dirent* d = ::readdir(dir)) {
        if (IsEntryName(d->d_name) && own.compare(0, sameFile, d->d_name, sameFile) == 0 && own != d->d_name)
            dropped |= ::unlink((directory_ + d->d_name).c_str()) == 0;
    }
    ::closedir(dir);
    return dropped;
}

void TextCache::Evict(const std::string& spared)
{
    std::vector<EntryFile> entries = ListEntries(directory_, false);
    std::sort(entries.begin(), entries.end(), [](const EntryFile& a, const EntryFile& b) { return Older(a.used, b.used); });
    std::uint64_t total = TotalBytes(entries);
    // Down to three quarters, so the next few stores do not each pay for a listing.
    const std::uint64_t target = limitBytes_ / 4 * 3;
    for (const auto& entry : entries) {
        if (total <= target)
            break;
        if (entry.path == spared)
            continue;
        if (::unlink(entry.path.c_str()) == 0 || errno == ENOENT)
            total -= entry.bytes;
    }
    knownBytes_ = total;
}

CacheUsage TextCache::Usage() const
{
    const std::vector<EntryFile> entries = ListEntries(directory_, false);
    return {entries.size(), TotalBytes(entries)};
}

void TextCache::Clear()
{
    for (const auto& entry : ListEntries(directory_, true))
        ::unlink(entry.path.c_str());
    knownBytes_ = 0;
}

std::string UserCacheDirectory(const std::string& name)
{
    std::string base;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        base = std::string(home) + "/.cache";
    else
        return {};
    return base + "/FileKreller/" + name + "/";
}
