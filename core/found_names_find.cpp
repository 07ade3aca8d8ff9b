#include "core/found_names_find.h"

#include "platform/Text.h"

namespace {

int Step(FindDirection direction)
{
    return direction == FindDirection::Down ? 1 : -1;
}

int FirstCandidate(int findIndex, FindDirection direction, int rowCount)
{
    if (findIndex >= 0)
        return findIndex + Step(direction);
    // With no position yet the first row is a candidate whichever the direction.
    return rowCount > 0 ? 0 : findIndex;
}

} // namespace

FoundNamesFindResult FindInFoundNames(int findIndex, const std::string& typedKey, FindDirection direction,
                                      int rowCount, const FoundNameAt& nameAt, int selectedRow)
{
    // The key follows the locale rule and the names the ASCII rule, so a non-ASCII letter matches
    // only where the name already has it in upper case.
    const std::string key = platform::UpperCaseLocale(platform::Trimmed(typedKey));
    if (key.empty() || rowCount <= 0)
        return {selectedRow, false};
    const auto matches = [&](int row) { return platform::UpperCaseAscii(nameAt(row)).find(key) != std::string::npos; };
    const int first = FirstCandidate(findIndex, direction, rowCount);
    for (int row = first; row >= 0 && row < rowCount; row += Step(direction)) {
        if (matches(row))
            return {row, true};
    }
    // Round the end, back to where this search started.
    const int restart = direction == FindDirection::Down ? 0 : rowCount - 1;
    for (int row = restart; row != first && row >= 0 && row < rowCount; row += Step(direction)) {
        if (matches(row))
            return {row, true, true};
    }
    return {selectedRow, false};
}
