#pragma once
#include "core/find_direction.h"

#include <functional>
#include <string>

// What a find-next among the found file names leaves behind: the new FindIndex, and whether it is
// a matching row (to be selected and scrolled into view) or the fallback after "No matches found".
struct FoundNamesFindResult {
    int FindIndex = -1;
    bool Found = false;
};

// The file name (first column) of found row 'row', as bytes.
using FoundNameAt = std::function<std::string(int row)>;

inline constexpr const char* NoMatchesFoundText = "No matches found";

// Continues the search among the found file names from findIndex (-1: from the first row) in the
// given direction. The key is trimmed and upper-cased by the locale rule, each name by the ASCII
// rule, and a row matches when its name contains the key. Without a match the FindIndex becomes
// selectedRow (-1 when no row is selected).
FoundNamesFindResult FindInFoundNames(int findIndex, const std::string& typedKey, FindDirection direction,
                                      int rowCount, const FoundNameAt& nameAt, int selectedRow);
