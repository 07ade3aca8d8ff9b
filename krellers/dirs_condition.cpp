#include "krellers/dirs_condition.h"

#include <algorithm>

std::string DirectoryKey(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/' && path[path.size() - 2] == '/')
        path.remove_suffix(1);
    std::string key(path);
    if (key.empty() || key.back() != '/')
        key += '/';
    return key;
}

TDirsCondition TDirsCondition::FromLines(const TConditionStrings& lines)
{
    TDirsCondition condition;
    for (const std::string& line : lines)
        if (line.find_first_not_of(" \t") != std::string::npos)
            condition.Add(line);
    return condition;
}

TDirsCondition::TAdded TDirsCondition::Add(std::string_view dir)
{
    std::string key = DirectoryKey(dir);
    const auto found = std::find(Directories.begin(), Directories.end(), key);
    if (found != Directories.end())
        return {static_cast<std::size_t>(found - Directories.begin()), false};
    Directories.push_back(std::move(key));
    return {Directories.size() - 1, true};
}

bool TDirsCondition::Passes(std::string_view path) const
{
    const std::string key = DirectoryKey(path);
    return std::find(Directories.begin(), Directories.end(), key) == Directories.end();
}
