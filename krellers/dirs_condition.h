#pragma once
#include "krellers/condition_strings.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The description of every Directories condition.
inline constexpr const char* kDirsDescription = "Excluded directories";

// The Directories condition: directories the walk does not enter. Paths keep their bytes (never
// upper-cased, never trimmed) and end in exactly one '/'. An entry refuses exactly that directory;
// the walk, not entering it, leaves out its subtree. It is no prefix: "/data/tmp/" does not refuse
// "/data/tmp2".
struct TDirsCondition {
    std::vector<std::string> Directories;

    // The condition lines are the directories; blank lines name none.
    static TDirsCondition FromLines(const TConditionStrings& lines);
    TConditionStrings Lines() const { return Directories; }
    bool HasCondition() const { return !Directories.empty(); }

    // Where an added directory went: its index, and whether it was new.
    struct TAdded {
        std::size_t Index = 0;
        bool Appended = false;
        bool operator==(const TAdded&) const = default;
    };
    // Appends dir unless it is listed already (compared byte for byte after its '/' is settled).
    TAdded Add(std::string_view dir);

    // Whether the walk may enter the directory at path (with or without its trailing '/').
    bool Passes(std::string_view path) const;

    bool operator==(const TDirsCondition&) const = default;
};

// path with its trailing '/'s replaced by exactly one; "/" stays "/".
std::string DirectoryKey(std::string_view path);
