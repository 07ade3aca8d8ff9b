#pragma once
// Start paths as the user types, pastes or drops them, and the folder names offered while typing.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class QMimeData;

// How many start paths the drop-down of recent ones keeps.
inline constexpr std::size_t RecentStartPathsLimit = 10;

// The path the text names. "~" and "~/..." lie in the home folder, "~name/..." in that account's;
// a file URL names its local path; any other path that does not begin with "/" lies below the
// home folder (the working directory is the program's own bin/ folder, which nobody means).
// Repeated slashes and "." parts are dropped; ".." parts stay, as a link may stand before them.
// Blanks and line breaks around the text are dropped (pasted text often ends with one).
std::string ExpandedStartPath(std::string_view typed, const std::string& home);

// A start path as checked before it is added: the directory with one trailing '/', or the
// message telling why it is refused. Both empty for a text that holds nothing.
struct TStartPathCheck {
    std::string Path;
    std::string Refusal;
};
TStartPathCheck CheckStartPath(std::string_view typed, const std::string& home);

// Several texts checked as one typed text is: the folders accepted, in order, and one message
// naming every refused text's reason, a line each (empty when none was refused).
struct TStartPathChecks {
    std::vector<std::string> Paths;
    std::vector<std::string> RefusedTexts;
    std::string Refusal;
};
TStartPathChecks CheckStartPaths(const std::vector<std::string>& texts, const std::string& home);

// The lines of a pasted or dropped text, each trimmed, the blank ones left out. A line ends at
// LF, CR or CR LF, as texts copied from other programs end their lines.
std::vector<std::string> StartPathLines(std::string_view text);

// What a drop or a paste holds, unchecked and in order: the paths of a text/uri-list's local
// file URLs (with their exact bytes), else each non-blank line of its plain text.
std::vector<std::string> DroppedStartPaths(const QMimeData& data);
bool MayHoldStartPaths(const QMimeData& data);

// The folders a typed path may go on to name, for completion while typing.
class TFolderCompletion {
public:
    explicit TFolderCompletion(std::string home) : home_(std::move(home)) {}

    // The text as it would read with each subfolder whose name begins, case-blind, with what
    // follows its last '/': the part up to that '/' as typed, the name, '/'. Hidden folders only
    // when that begins with '.'; names that are not valid UTF-8 cannot be typed and are left out.
    // Sorted case-blind. The folder's names are read again only when the text moves to another.
    std::vector<std::string> Candidates(std::string_view typed);

private:
    std::string home_;
    std::string listedDir_;
    bool listed_ = false;
    std::vector<std::string> names_;
};
