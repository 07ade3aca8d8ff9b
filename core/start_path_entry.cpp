#include "core/start_path_entry.h"

#include <QMimeData>
#include <QString>
#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace {

constexpr const char* kUriListType = "text/uri-list";
constexpr const char* kPlainTextType = "text/plain";

// "~" or "~name" at the start of the path, as the home folder it names; the rest as it stands.
std::string WithHomeExpanded(const std::string& path, const std::string& home)
{
    if (path.empty() || path.front() != '~')
        return path.empty() || path.front() == '/' ? path : platform::WithTrailingSlash(home) + path;
    const std::size_t slash = std::min(path.find('/'), path.size());
    const std::string user = path.substr(1, slash - 1);
    const std::string userHome = user.empty() ? home : platform::HomeDirectoryOf(user);
    if (userHome.empty())
        return platform::WithTrailingSlash(home) + path;  // no such account: a folder named so
    return userHome + path.substr(slash);
}

// Repeated slashes and "." parts dropped; the result begins with '/'.
std::string WithoutEmptyParts(const std::string& path)
{
    std::string clean;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view part(path.data() + start, end - start);
        if (!part.empty() && part != ".") {
            clean += '/';
            clean += part;
        }
        start = end + 1;
    }
    return clean.empty() ? "/" : clean;
}

std::vector<std::string> NonBlankLines(const QByteArray& text)
{
    return StartPathLines(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

bool IsValidUtf8(const std::string& text)
{
    return QString::fromUtf8(text).toUtf8().toStdString() == text;
}

} // namespace

std::string ExpandedStartPath(std::string_view typed, const std::string& home)
{
    const std::string text = platform::Trimmed(typed);
    if (text.empty())
        return {};
    if (const std::optional<std::string> local = platform::PathOfFileUrl(text))
        return WithoutEmptyParts(*local);
    return WithoutEmptyParts(WithHomeExpanded(text, home));
}

TStartPathCheck CheckStartPath(std::string_view typed, const std::string& home)
{
    const std::string path = ExpandedStartPath(typed, home);
    if (path.empty())
        return {};
    if (platform::DirectoryExists(path))
        return {platform::WithTrailingSlash(path), {}};
    if (platform::LookupEntry(path))
        return {{}, "\"" + path + "\" is not a folder: a start path must be a folder."};
    return {{}, "The folder \"" + path + "\" does not exist."};
}

TStartPathChecks CheckStartPaths(const std::vector<std::string>& texts, const std::string& home)
{
    TStartPathChecks checks;
    for (const std::string& text : texts) {
        TStartPathCheck check = CheckStartPath(text, home);
        if (!check.Path.empty()) {
            checks.Paths.push_back(std::move(check.Path));
        } else if (!check.Refusal.empty()) {
            checks.RefusedTexts.push_back(text);
            checks.Refusal += (checks.Refusal.empty() ? "" : "\n") + check.Refusal;
        }
    }
    return checks;
}

std::vector<std::string> StartPathLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        std::string trimmed = platform::Trimmed(text.substr(start, end - start));
        if (!trimmed.empty())
            lines.push_back(std::move(trimmed));
        start = end + 1;  // CR LF leaves an empty line between, which is dropped
    }
    return lines;
}

std::vector<std::string> DroppedStartPaths(const QMimeData& data)
{
    std::vector<std::string> paths;
    if (data.hasFormat(kUriListType)) {
        for (const std::string& line : NonBlankLines(data.data(kUriListType))) {
            if (line.front() == '#')
                continue;  // a comment of the format
            if (std::optional<std::string> path = platform::PathOfFileUrl(line))
                paths.push_back(std::move(*path));
        }
        return paths;
    }
    const QByteArray text = data.hasFormat(kPlainTextType) ? data.data(kPlainTextType) : data.text().toUtf8();
    return NonBlankLines(text);
}

bool MayHoldStartPaths(const QMimeData& data)
{
    return data.hasFormat(kUriListType) || data.hasText();
}

std::vector<std::string> TFolderCompletion::Candidates(std::string_view typed)
{
    const std::string text(typed);
    if (text == "~")
        return {"~/"};
    const std::size_t slash = text.rfind('/');
    const std::string typedDir = slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
    const std::string begun = text.substr(typedDir.size());
    if (text.empty() || (typedDir.empty() && begun.front() == '~'))
        return {};
    const std::string dir = typedDir.empty() ? platform::WithTrailingSlash(home_) : ExpandedStartPath(typedDir, home_);
    if (!listed_ || dir != listedDir_) {
        names_.clear();
        for (const FileEntry& entry : platform::ListDirectory(dir))
            if (entry.IsDirectory() && entry.Name != "." && entry.Name != ".." && IsValidUtf8(entry.Name))
                names_.push_back(entry.Name);
        listedDir_ = dir;
        listed_ = true;
    }
    const std::string key = platform::UpperCaseLocale(begun);
    const bool hiddenToo = !begun.empty() && begun.front() == '.';
    std::vector<std::pair<std::string, std::string>> matching;  // upper-cased name, name
    for (const std::string& name : names_) {
        std::string upper = platform::UpperCaseLocale(name);
        if ((hiddenToo || name.front() != '.') && upper.compare(0, key.size(), key) == 0)
            matching.emplace_back(std::move(upper), name);
    }
    std::sort(matching.begin(), matching.end());
    std::vector<std::string> candidates;
    candidates.reserve(matching.size());
    for (const auto& [upper, name] : matching)
        candidates.push_back(typedDir + name + "/");
    return candidates;
}
