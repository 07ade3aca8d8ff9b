#include "Cartridge.h"

#include "ConverterMain.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string LowerExtension(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension;
}

bool StartsWith(const std::string& path, const std::string& signature)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // Non-blocking, in case the path was swapped for a FIFO after the check.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    std::string head(signature.size(), '\0');
    ssize_t n = -1;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        do
            n = ::pread(fd, head.data(), head.size(), 0);
        while (n < 0 && errno == EINTR);
    }
    ::close(fd);
    return n == static_cast<ssize_t>(head.size()) && head == signature;
}

// What the converter's outcome says of its text: whole, cut short by a limit (the text before is
// good), or no text at all.
std::optional<TextCut> CutOf(const ChildResult& result)
{
    switch (result.outcome) {
    case ChildOutcome::Finished:
        return TextCut::None;
    case ChildOutcome::TimedOut:
        return TextCut::TimeLimit;
    case ChildOutcome::OutputTooLong:
        return TextCut::SizeLimit;
    case ChildOutcome::Failed:
        if (result.exitStatus == kConvertedInPart)
            return TextCut::SizeLimit;
        return std::nullopt;
    case ChildOutcome::Killed:
    case ChildOutcome::NotStarted:
        break;
    }
    return std::nullopt;
}

// Sizes as the program writes them: 1 KB = 1000 bytes, one decimal.
std::string SizeText(std::uint64_t bytes)
{
    char text[32];
    if (bytes < 1000000)
        std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1e3);
    else
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

} // namespace

Cartridge::Cartridge(CartridgeDescription description, std::string helperPath, TextCache cache, ChildLimits limits)
    : description_(std::move(description)), helperPath_(std::move(helperPath)), cache_(std::move(cache)), limits_(limits)
{
}

bool Cartridge::AcceptFile(const std::string& path) const
{
    const std::string extension = LowerExtension(path);
    return std::find(description_.extensions.begin(), description_.extensions.end(), extension) != description_.extensions.end() &&
           StartsWith(path, description_.signature);
}

std::optional<StoredText> Cartridge::GetContextFile(const std::string& path)
{
    const std::optional<FileKey> key = FileKey::Of(path);
    if (!key)
        return std::nullopt;
    if (std::optional<StoredText> cached = cache_.Find(*key))
        return cached;
    return Convert(*key, path);
}

std::optional<StoredText> Cartridge::Convert(const FileKey& key, const std::string& path)
{
    uncached_.reset();
    std::optional<TextDraft> draft = cache_.StartDraft();
    if (!draft)
        return std::nullopt;
    const ChildResult converted = RunChild(helperPath_, {path}, limits_, draft->Fd());
    // A helper that could not be started says nothing about the document: try again next time.
    if (converted.outcome == ChildOutcome::NotStarted)
        return std::nullopt;
    const std::optional<TextCut> cut = CutOf(converted);
    // A document that failed is remembered as empty too, so a hostile file costs its time limit once.
    if (!cut && ::ftruncate(draft->Fd(), 0) != 0)
        return std::nullopt;
    std::optional<StoredText> stored = cache_.Commit(key, *draft, cut.value_or(TextCut::None));
    if (stored && stored->path == draft->Path())
        uncached_.emplace(std::move(*draft));
    return stored;
}

std::string Cartridge::GetContext(const std::string& path)
{
    const std::optional<StoredText> stored = GetContextFile(path);
    return stored ? ReadStoredText(*stored).value_or(std::string()) : std::string();
}

std::string HelperPathBeside(const std::string& libraryPath, const std::string& helperName)
{
    const std::size_t slash = libraryPath.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : libraryPath.substr(0, slash);
    return folder + "/libexec/" + helperName;
}

std::string CacheUsageText(const CacheUsage& usage, std::uint64_t limitBytes)
{
    return std::to_string(usage.files) + (usage.files == 1 ? " document, " : " documents, ") + SizeText(usage.bytes) +
           " of " + SizeText(limitBytes);
}
