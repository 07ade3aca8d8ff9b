#pragma once
#include <QIcon>
#include <string>

namespace platform {

// The small icon for a file, chosen by the MIME type its name suggests (its content is never
// read), from the icon theme; one look-up per type, then cached.
QIcon FileIconForName(const std::string& fileName, bool isDirectory = false);

} // namespace platform
