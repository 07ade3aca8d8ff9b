#pragma once
#include <cstdint>
#include <string>

namespace platform {

// The login name of the user with that id; the id in decimal when the user database has none.
// Answers are remembered, so a million rows of a few owners ask the database a few times.
std::string UserName(std::uint32_t userId);
// Likewise the name of the group with that id.
std::string GroupName(std::uint32_t groupId);

// The description of a file's type ("PNG image"), judged by its name only, so a list can show
// it without reading a byte of the file; "Folder" for a directory.
std::string TypeDescriptionForName(const std::string& fileName, bool isDirectory);

} // namespace platform
