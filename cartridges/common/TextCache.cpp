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

constexpr char kMagic[8] = {'F', 'K', 'T', 'E', 'X', 'T', '0', '1'};
constexpr std::size_t kHeaderWords = 6; // key (4), text length, checksum
constexpr std::size_t kHeaderBytes = sizeof kMagic + kHeaderWords * 8;
constexpr std::size_t kEntryNameLength = 4 * 16 + 3;
constexpr const char* kTempPrefix = ".tmp-";
constexpr std::time_t kStaleTempSeconds = 3600;

std::uint64_t Checksum(const std::string& text)
{
    std::uint64_t hash = 1469598103934665603ULL; // FNV-1a
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
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

std::string Header(const FileKey& key, const std::string& text)
{
    std::string header(kMagic, sizeof kMagic);
    PutWord(header, key.device);
    PutWord(header, key.inode);
    PutWord(header, key.size);
    PutWord(header, static_cast<std::uint64_t>(key.modifiedNs));
    PutWord(header, text.size());
    PutWord(header, Checksum(text));
    return header;
}

// The text of an entry's bytes when they are a whole, undamaged entry for key.
std::optional<std::string> ParseEntry(const std::string& bytes, const FileKey& key)
{
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return std::nullopt;
    const FileKey stored{GetWord(bytes, 8), GetWord(bytes, 16), GetWord(bytes, 24),
                         static_cast<std::int64_t>(GetWord(bytes, 32))};
    const std::uint64_t length = GetWord(bytes, 40);
    if (!(stored == key) || length != bytes.size() - kHeaderBytes)
        return std::nullopt;
    std::string text = bytes.substr(kHeaderBytes);
    if (Checksum(text) != GetWord(bytes, 48))
        return std::nullopt;
    return text;
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

bool ReadWhole(int fd, std::string& bytes)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    return EveryByte(bytes.size(), [&](std::size_t done) { return ::read(fd, bytes.data() + done, bytes.size() - done); });
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

std::optional<std::string> TextCache::Lookup(const FileKey& key)
{
    if (directory_.empty())
        return std::nullopt;
    const std::string path = EntryPath(key);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    std::string bytes;
    std::optional<std::string> text;
    if (ReadWhole(fd, bytes))
        text = ParseEntry(bytes, key);
    if (text)
        ::futimens(fd, nullptr); // the modification time is the entry's last use
    ::close(fd);
    if (!text) {
        ::unlink(path.c_str());
        knownBytes_.reset();
    }
    return text;
}

bool TextCache::WriteEntry(const std::string& path, const std::string& bytes) const
{
    std::string temp = directory_ + kTempPrefix + "XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, bytes);
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temp.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
}

bool TextCache::Store(const FileKey& key, const std::string& text)
{
    if (directory_.empty() || kHeaderBytes + text.size() > limitBytes_)
        return false;
    const std::string bytes = Header(key, text) + text;
    const std::string path = EntryPath(key);
    // The directory may have been removed since the last write: make it again and count afresh.
    if (!WriteEntry(path, bytes)) {
        knownBytes_.reset();
        if (!MakeDirectories(directory_.substr(0, directory_.size() - 1)) || !WriteEntry(path, bytes))
            return false;
    }
    if (DropOtherVersions(key))
        knownBytes_.reset();
    if (!knownBytes_)
        knownBytes_ = TotalBytes(ListEntries(directory_, false));
    else
        *knownBytes_ += bytes.size();
    if (*knownBytes_ > limitBytes_)
        Evict();
    return true;
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

void TextCache::Evict()
{
    std::vector<EntryFile> entries = ListEntries(directory_, false);
    std::sort(entries.begin(), entries.end(), [](const EntryFile& a, const EntryFile& b) { return Older(a.used, b.used); });
    std::uint64_t total = TotalBytes(entries);
    // Down to three quarters, so the next few stores do not each pay for a listing.
    const std::uint64_t target = limitBytes_ / 4 * 3;
    for (const auto& entry : entries) {
        if (total <= target)
            break;
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
