#include "core/found_transfer.h"

#include "platform/Text.h"

std::string JoinedLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += '\n';
        text += lines[i];
    }
    return text;
}

std::string FileUriList(const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& path : paths)
        list.append(platform::FileUrl(path)).append("\r\n");
    return list;
}
