#pragma once
#include "krellers/condition_strings.h"
#include "platform/Dates.h"
#include "platform/FileSystem.h"

#include <optional>
#include <string>

// Which time stamp the File date kreller tests; the numbers are the positions in its drop-down list.
enum class TFileAction { Changed = 0, Created = 1, Opened = 2 };

const char* FileActionText(TFileAction action);

// One optional bound of the date condition: a whole day.
struct TDateBound {
    bool InForce = false;
    platform::CalendarDate Date;
    bool operator==(const TDateBound&) const = default;
};

// The File date condition. Bounds are whole days and both inclusive: a file passes "after date D"
// when the date of its time stamp is D or later, "before or at date D" when it is D or earlier. The
// date of a time stamp is the UTC date the found list shows for it, so what the list shows and what
// the kreller decides agree; no time of day takes part.
struct TDateCondition {
    std::optional<TFileAction> Action;  // nothing chosen: every file passes
    TDateBound After;
    TDateBound Before;

    // No action, no bound in force, the dates today minus 30 days and today plus 1 day.
    static TDateCondition Defaults(const platform::CalendarDate& today);
    // Reads the three condition lines (action, after-date, before-date; a blank line for a bound not
    // in force). Without lines the condition is shown unchanged; a date that cannot be read leaves
    // shown's date, and an action that is none of the three leaves none chosen.
    static TDateCondition FromLines(const TConditionStrings& lines, const TDateCondition& shown);

    // An action and at least one bound: only such a condition can be stored.
    bool IsComplete() const { return Action && (After.InForce || Before.InForce); }
    // An "after" date later than the "before" date: no day passes.
    bool MatchesNothing() const { return After.InForce && Before.InForce && Before.Date < After.Date; }
    // The action, then each bound in force with its caption and date; dates in the user's short
    // date format.
    std::string Description() const;
    TConditionStrings Lines() const;

    bool Test(const FileEntry& entry) const;
    // Which bound the tested date of an entry Test refused lies beyond; empty for one it passes.
    std::string WhyRefused(const FileEntry& entry) const;

    bool operator==(const TDateCondition&) const = default;
};
