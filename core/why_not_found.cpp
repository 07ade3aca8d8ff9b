#include "core/why_not_found.h"

#include <optional>

#include "krellers/kreller_list.h"
#include "platform/FileSystem.h"

namespace {

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string Description(const TKrellerRow& row)
{
    return row.Strings.empty() ? std::string() : row.Strings.front();
}

std::string KrellerNamed(const TKrellerRow& row)
{
    return "the kreller " + Quoted(row.Caption) + " (" + Description(row) + ")";
}

// The start path (with its trailing '/') path lies strictly below, as the walk would reach it.
bool LiesUnder(const std::string& path, const std::string& startPath)
{
    const std::string start = platform::WithTrailingSlash(startPath);
    return path.size() > start.size() && path.compare(0, start.size(), start) == 0;
}

// Why the walk from start never reaches path: the first directory on the way it does not enter.
// Nothing when it enters every one. The path itself counts when it is a directory.
std::optional<std::string> BlockedOnTheWay(const std::string& path, bool isDirectory, const std::string& startPath,
                                           const TKrellerRow* directoriesRow)
{
    const std::size_t from = platform::WithTrailingSlash(startPath).size();
    for (std::size_t slash = path.find('/', from);; slash = path.find('/', slash + 1)) {
        if (slash == std::string::npos && !isDirectory)
            return std::nullopt;
        const std::string dir = path.substr(0, slash);
        const std::optional<FileEntry> entry = platform::LookupEntry(dir);
        if (!entry)
            return Quoted(path) + " lies in " + Quoted(dir) + ", which the search cannot read.";
        if (entry->IsSymbolicLink)
            return Quoted(path) + " lies in " + Quoted(dir) + ", a link to a directory, which the search does not enter.";
        const TChainVerdict verdict = JudgeDirectory(directoriesRow, *entry, dir, nullptr);
        if (!verdict.Passed()) {
            std::string text = Quoted(path) + (dir == path ? " is" : " lies in") + " a directory that " +
                               KrellerNamed(*verdict.RefusedBy) + " does not enter";
            if (dir != path)
                text += ": " + Quoted(dir);
            if (verdict.Failed)
                text += "; its test failed: " + verdict.Error;
            return text + ".";
        }
        if (slash == std::string::npos)
            return std::nullopt;
    }
}

// Told after the verdict when a kreller saw only part of the file's text.
std::string PartlySearchedNote(TTextLimit limit)
{
    switch (limit) {
    case TTextLimit::Time:
        return " Its text was not searched whole: making it took longer than the time limit.";
    case TTextLimit::Size:
        return " Its text was not searched whole: it grew past the size limit.";
    case TTextLimit::None:
        break;
    }
    return {};
}

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

std::string WhyNotFound(std::string path, const std::vector<std::string>& startPaths, const TKrellerList& chain,
                        const TKrellerRow* directoriesRow)
{
    path = WithoutTrailingSlashes(std::move(path));
    const std::optional<FileEntry> entry = platform::LookupEntry(path);
    if (!entry)
        return Quoted(path) + " does not exist.";
    // Any start path the file lies under can find it; the first that lets the walk reach it counts.
    std::optional<std::string> blocked;
    bool reached = false;
    bool under = false;
    for (const std::string& start : startPaths) {
        if (!LiesUnder(path, start))
            continue;
        under = true;
        std::optional<std::string> why = BlockedOnTheWay(path, entry->IsDirectory(), start, directoriesRow);
        if (!why) {
            reached = true;
            break;
        }
        if (!blocked)
            blocked = std::move(why);
    }
    if (!under)
        return Quoted(path) + " is not under any start path.";
    if (!reached)
        return *blocked;
    if (entry->IsDirectory())
        return Quoted(path) + " is a directory: the search enters it but lists only files.";
    const TChainVerdict verdict = chain.JudgeFile(*entry, path, directoriesRow, nullptr);
    if (verdict.Passed())
        return Quoted(path) + " passes every kreller: the search finds it." + PartlySearchedNote(verdict.TextLimit);
    if (verdict.RefusedBy == &chain.NameRow())
        return Quoted(path) + " is refused by the name box: its name does not match " +
               Quoted(chain.NameFilter().Text()) + ".";
    std::string text = Quoted(path) + " is refused by " + KrellerNamed(*verdict.RefusedBy);
    if (verdict.Failed)
        return text + ", whose test failed: " + verdict.Error + "." + PartlySearchedNote(verdict.TextLimit);
    const TChainKreller* kreller = verdict.RefusedBy->Kreller;
    const std::string reason = kreller ? kreller->WhyRefused(*entry, path) : std::string();
    return text + (reason.empty() ? "" : ": " + reason) + "." + PartlySearchedNote(verdict.TextLimit);
}
