#pragma once
#include <string>

// A named list of file extensions, as the File mask kreller passes or restricts it as a whole.
// Extensions are kept as the user sees them: without dots, joined by semicolons ("doc;txt").
struct TFileGroup {
    std::string Name;
    std::string Extensions;
    bool operator==(const TFileGroup&) const = default;
};
