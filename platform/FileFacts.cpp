#include "platform/FileFacts.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <grp.h>
#include <pwd.h>
#include <unordered_map>
#include <vector>

namespace platform {

namespace {

// A name from the user or group database, asked once per id; the id in decimal when it has none.
template <typename Entry>
std::string RememberedName(std::unordered_map<std::uint32_t, std::string>& known, std::uint32_t id,
                           int (*lookup)(std::uint32_t, Entry*, char*, std::size_t, Entry**),
                           char* Entry::*name)
{
    if (const auto found = known.find(id); found != known.end())
        return found->second;
    std::vector<char> buffer(16384);
    Entry entry{};
    Entry* result = nullptr;
    std::string text = std::to_string(id);
    if (lookup(id, &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->*name)
        text = result->*name;
    known.emplace(id, text);
    return text;
}

} // namespace

std::string UserName(std::uint32_t userId)
{
    static std::unordered_map<std::uint32_t, std::string> known;
    return RememberedName<passwd>(known, userId, getpwuid_r, &passwd::pw_name);
}

std::string GroupName(std::uint32_t groupId)
{
    static std::unordered_map<std::uint32_t, std::string> known;
    return RememberedName<group>(known, groupId, getgrgid_r, &group::gr_name);
}

std::string TypeDescriptionForName(const std::string& fileName, bool isDirectory)
{
    static const QMimeDatabase database;
    const QMimeType type = isDirectory ? database.mimeTypeForName("inode/directory")
                                       : database.mimeTypeForFile(QString::fromUtf8(fileName), QMimeDatabase::MatchExtension);
    return type.comment().toStdString();
}

} // namespace platform
