#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The ordered strings of one kreller row: string 0 is the one-line description shown in the kreller
// list, strings 1 and on are the condition in the kreller's own text form.
using TConditionStrings = std::vector<std::string>;

// A row has a condition when its description is not blank; only then can it be switched on.
bool HasCondition(const TConditionStrings& strings);

// The text handed to a plug-in: every string followed by CR LF.
std::string JoinConditionText(const TConditionStrings& strings);
// A plug-in's text back into strings, split at CR LF, CR or LF; a final line break adds no empty string.
TConditionStrings SplitConditionText(std::string_view text);

// Names and keywords of condition texts are ASCII; they compare without regard to case.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Condition lines of the form name=value. Names compare without regard to ASCII case; the first line
// with the name counts.
// The value of name, or nothing when no line has that name.
std::optional<std::string> ConditionValue(const TConditionStrings& lines, std::string_view name);
// Sets name to value in place: an existing line keeps its position, a new one is appended, and an
// empty value removes the line, since an empty value means the same as a missing one.
void SetConditionValue(TConditionStrings& lines, std::string_view name, std::string_view value);
