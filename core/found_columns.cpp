#include "core/found_columns.h"

#include <array>
#include <cstdio>
#include <sys/stat.h>

#include "platform/Dates.h"
#include "platform/FileFacts.h"

namespace {

constexpr std::array<const char*, FoundColumnCount> kCaptions = {
    "File name", "Full path", "Size, KB", "Date", "Modified", "Accessed", "Type", "Extension", "Owner", "Permissions",
};

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kSecondsPerDay = 86'400;

char TypeLetter(std::uint32_t mode)
{
    switch (mode & S_IFMT) {
    case S_IFDIR: return 'd';
    case S_IFLNK: return 'l';
    case S_IFIFO: return 'p';
    case S_IFSOCK: return 's';
    case S_IFCHR: return 'c';
    case S_IFBLK: return 'b';
    default: return '-';
    }
}

// The execute place of one class: x, or the special bit's letter (lower case with x, upper without).
char ExecuteLetter(std::uint32_t mode, std::uint32_t executeBit, std::uint32_t specialBit, char special)
{
    const bool execute = mode & executeBit;
    if (!(mode & specialBit))
        return execute ? 'x' : '-';
    return execute ? special : static_cast<char>(special - 'a' + 'A');
}

} // namespace

std::string FoundColumnCaption(TFoundColumn column)
{
    const auto index = static_cast<std::size_t>(column);
    return index < kCaptions.size() ? kCaptions[index] : "";
}

bool IsOptionalFoundColumn(TFoundColumn column)
{
    return static_cast<int>(column) >= static_cast<int>(TFoundColumn::Modified);
}

std::string DateTimeText(std::uint64_t fileTime)
{
    const std::uint64_t secondOfDay = (fileTime / kTicksPerSecond) % kSecondsPerDay;
    char clock[8];
    std::snprintf(clock, sizeof clock, "%02u:%02u", static_cast<unsigned>(secondOfDay / 3600),
                  static_cast<unsigned>(secondOfDay / 60 % 60));
    return platform::FormatShortDate(platform::FileTimeToUtcDate(fileTime)) + " " + clock;
}

std::string PermissionsText(std::uint32_t mode)
{
    std::string text(10, '-');
    text[0] = TypeLetter(mode);
    text[1] = mode & S_IRUSR ? 'r' : '-';
    text[2] = mode & S_IWUSR ? 'w' : '-';
    text[3] = ExecuteLetter(mode, S_IXUSR, S_ISUID, 's');
    text[4] = mode & S_IRGRP ? 'r' : '-';
    text[5] = mode & S_IWGRP ? 'w' : '-';
    text[6] = ExecuteLetter(mode, S_IXGRP, S_ISGID, 's');
    text[7] = mode & S_IROTH ? 'r' : '-';
    text[8] = mode & S_IWOTH ? 'w' : '-';
    text[9] = ExecuteLetter(mode, S_IXOTH, S_ISVTX, 't');
    return text;
}

std::string_view ExtensionOf(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    return name.substr(dot + 1);
}

std::string FoundCellText(const TFoundRow& row, TFoundColumn column)
{
    switch (column) {
    case TFoundColumn::Name: return std::string(row.Name());
    case TFoundColumn::Path: return row.Path;
    case TFoundColumn::Modified: return DateTimeText(row.LastWriteTime);
    case TFoundColumn::Accessed: return DateTimeText(row.LastAccessTime);
    case TFoundColumn::Type: return platform::TypeDescriptionForName(std::string(row.Name()), row.IsDirectory);
    case TFoundColumn::Extension: return std::string(ExtensionOf(row.Name()));
    case TFoundColumn::Owner: return platform::UserName(row.OwnerId);
    case TFoundColumn::Permissions: return PermissionsText(row.Mode);
    default: return {};
    }
}

std::string ShownColumnsText(const std::vector<TFoundColumn>& shown)
{
    std::string text;
    for (const TFoundColumn column : shown) {
        if (!IsOptionalFoundColumn(column))
            continue;
        if (!text.empty())
            text += ';';
        text += FoundColumnCaption(column);
    }
    return text;
}

std::vector<TFoundColumn> ParseShownColumns(std::string_view text)
{
    std::vector<TFoundColumn> shown;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(';'), text.size());
        const std::string_view caption = text.substr(0, end);
        for (int i = 0; i < FoundColumnCount; ++i) {
            const auto column = static_cast<TFoundColumn>(i);
            if (IsOptionalFoundColumn(column) && caption == kCaptions[static_cast<std::size_t>(i)])
                shown.push_back(column);
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return shown;
}
