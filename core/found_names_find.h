#pragma once
#include "core/find_direction.h"

#include <functional>
#include <string>

// What a find-next among the found file names leaves behind: the new FindIndex, and whether it is
// a matching row (to be selected and scrolled into view) or the fallback after "No matches found".
struct FoundNamesFindResult {
    int FindIndex = -1;
    bool Found = false;
    bool Wrapped = false;  // the match lies behind the start: the search went round the end
};

// The file name (first column) of found row 'row', as bytes.
using FoundNameAt = std::function<std::string(int row)>;

inline constexpr const char* NoMatchesFoundText = "No matches found";

inline constexpr const char* ContinuedFromTopText = "Continued from the top";
inline constexpr const char* ContinuedFromBottomText = "Continued from the bottom";

// Continues the search among the found file names from findIndex (-1: from the first row) in the
// given direction, going round from the last row to the first (the first to the last upwards) when
// the rest of the list has no match. The key is trimmed and upper-cased by the locale rule, each
// name by the ASCII rule, and a row matches when its name contains the key. When no row matches the
// FindIndex becomes selectedRow (-1 when no row is selected).
FoundNamesFindResult FindInFoundNames(int findIndex, const std::string& typedKey, FindDirection direction,
                                      int rowCount, const FoundNameAt& nameAt, int selectedRow);
