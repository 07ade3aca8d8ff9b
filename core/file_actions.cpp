#include "core/file_actions.h"

#include <cstdio>
#include <ctime>
#include <sys/stat.h>

#include "core/found_columns.h"
#include "platform/FileSystem.h"

namespace {

constexpr std::size_t kPathsNamed = 5;
constexpr const char* kReplacementMark = "\xEF\xBF\xBD";

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// The first paths, one a line, and how many more there are.
std::string NamedPaths(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < kPathsNamed; ++i)
        text += "\n" + lines[i];
    if (lines.size() > kPathsNamed)
        text += "\n... and " + std::to_string(lines.size() - kPathsNamed) + " more";
    return text;
}

std::string Octal(std::uint32_t mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", mode & 07777u);
    return text;
}

std::string NameAndId(const std::string& name, std::uint32_t id)
{
    return name == std::to_string(id) ? name : name + " (" + std::to_string(id) + ")";
}

std::string TypeText(const platform::TFileProperties& properties)
{
    if (properties.TypeDescription.empty() || properties.TypeDescription == properties.ContentType)
        return properties.ContentType;
    return properties.TypeDescription + " (" + properties.ContentType + ")";
}

} // namespace

std::string RenameRefusal(const std::string& path, const std::string& newName,
                          const std::function<bool(const std::string&)>& taken)
{
    if (newName.empty())
        return "The new name is empty.";
    if (newName.find('/') != std::string::npos)
        return "A file name cannot hold \"/\".";
    if (newName.find('\0') != std::string::npos)
        return "A file name cannot hold a NUL character.";
    if (platform::IsDotName(newName))
        return Quoted(newName) + " is not a file name.";
    if (newName == platform::FileNamePart(path))
        return {};
    // A name that is not UTF-8 is shown with U+FFFD for its odd bytes; taking that text back
    // would write the marks instead of the bytes.
    if (newName.find(kReplacementMark) != std::string::npos &&
        platform::FileNamePart(path).find(kReplacementMark) == std::string::npos)
        return "The name holds bytes shown as \"" + std::string(kReplacementMark) + "\"; type the new name in full.";
    const std::string target = RenamedPath(path, newName);
    if (taken(target))
        return Quoted(newName) + " already exists in " + platform::ParentDirectory(path) + ".";
    return {};
}

std::string RenamedPath(const std::string& path, const std::string& newName)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? newName : path.substr(0, slash + 1) + newName;
}

std::string RenameQuestion(const std::string& path, const std::string& newName)
{
    return "Rename " + Quoted(path) + " to " + Quoted(newName) + "?";
}

std::string TrashQuestion(const std::vector<std::string>& paths)
{
    if (paths.size() == 1)
        return "Move " + Quoted(paths.front()) + " to the Trash?";
    return "Move these " + std::to_string(paths.size()) + " files to the Trash?" + NamedPaths(paths);
}

TTrashOutcome TrashEach(const std::vector<std::string>& paths, const std::function<void(const std::string&)>& trash)
{
    TTrashOutcome outcome;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        try {
            trash(paths[i]);
            outcome.Trashed.push_back(i);
        } catch (const std::exception& error) {
            outcome.Failures.push_back(error.what());
        }
    }
    return outcome;
}

std::string TrashFailureText(const TTrashOutcome& outcome)
{
    if (outcome.Failures.empty())
        return {};
    const std::size_t total = outcome.Failures.size() + outcome.Trashed.size();
    const std::string head = total == 1 ? "The file was not moved to the Trash:"
                                        : std::to_string(outcome.Failures.size()) + " of " + std::to_string(total) +
                                              " files were not moved to the Trash:";
    return head + NamedPaths(outcome.Failures);
}

std::string StampText(const platform::TFileStamp& stamp)
{
    if (!stamp.Known)
        return "unknown";
    const std::time_t seconds = static_cast<std::time_t>(stamp.Seconds);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%09u UTC", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, stamp.Nanoseconds);
    return text;
}

std::vector<std::pair<std::string, std::string>> PropertyRows(const std::string& path,
                                                              const platform::TFileProperties& properties)
{
    std::vector<std::pair<std::string, std::string>> rows{
        {"Name", platform::FileNamePart(path)},
        {"Folder", platform::ParentDirectory(path)},
        {"Type", TypeText(properties)},
        {"Size", std::to_string(properties.Size) + " bytes"},
        {"Modified", StampText(properties.Modified)},
        {"Accessed", StampText(properties.Accessed)},
        {"Changed", StampText(properties.Changed)},
        {"Created", StampText(properties.Created)},
        {"Owner", NameAndId(properties.OwnerName, properties.OwnerId)},
        {"Group", NameAndId(properties.GroupName, properties.GroupId)},
        {"Permissions", PermissionsText(properties.Mode) + " (" + Octal(properties.Mode) + ")"},
    };
    if (properties.LinkTarget)
        rows.emplace_back("Link target", *properties.LinkTarget);
    return rows;
}
