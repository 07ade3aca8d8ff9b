#include "platform/FileFacts.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <pwd.h>
#include <unordered_map>
#include <vector>

namespace platform {

std::string UserName(std::uint32_t userId)
{
    static std::unordered_map<std::uint32_t, std::string> known;
    if (const auto found = known.find(userId); found != known.end())
        return found->second;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    std::string name = std::to_string(userId);
    if (getpwuid_r(userId, &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_name)
        name = result->pw_name;
    known.emplace(userId, name);
    return name;
}

std::string TypeDescriptionForName(const std::string& fileName, bool isDirectory)
{
    static const QMimeDatabase database;
    const QMimeType type = isDirectory ? database.mimeTypeForName("inode/directory")
                                       : database.mimeTypeForFile(QString::fromUtf8(fileName), QMimeDatabase::MatchExtension);
    return type.comment().toStdString();
}

} // namespace platform
