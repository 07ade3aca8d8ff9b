#pragma once
#include <string>
#include <vector>

// What leaves the found list through the clipboard or a drag.

inline constexpr const char* FoundUriListMimeType = "text/uri-list";

// The texts one per line, in the given order, without a line break after the last.
std::string JoinedLines(const std::vector<std::string>& lines);

// A text/uri-list of file URLs, each line ended by CR LF as that format wants.
std::string FileUriList(const std::vector<std::string>& paths);
