#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct CalendarDate {
    int Year = 1601;
    int Month = 1;
    int Day = 1;
    auto operator<=>(const CalendarDate&) const = default;
};

// The UTC calendar date of a file time (100-ns ticks since 1601-01-01 UTC); no local time involved.
CalendarDate FileTimeToUtcDate(std::uint64_t fileTime);
// File time of 00:00:00 UTC of the date.
std::uint64_t UtcDateToFileTime(const CalendarDate& date);

// The local date today.
CalendarDate Today();
// The date that lies days after date (before it when days is negative).
CalendarDate AddDays(const CalendarDate& date, int days);
// Days from 'from' to 'to' (negative when 'to' is earlier).
int DaysBetween(const CalendarDate& from, const CalendarDate& to);

// The user's short date format, with the year always written with four digits.
std::string ShortDateFormat();
std::string FormatShortDate(const CalendarDate& date);
// A text in the user's short date format, or nothing when it is not a valid date.
std::optional<CalendarDate> ParseShortDate(const std::string& text);

} // namespace platform
