#pragma once
#include "krellers/condition_strings.h"

#include <cstdint>
#include <string>

// Units are decimal: a kilobyte here is 1000 bytes, a megabyte 1000000.
enum class TSizeUnit { KB, MB };

// One optional bound of the size condition. The value is what the user typed (any 32-bit number);
// only its product with the unit is 64-bit, so large bounds and files above 2 GiB compare correctly.
struct TSizeBound {
    bool InForce = false;
    std::int32_t Value = 0;
    TSizeUnit Unit = TSizeUnit::KB;

    std::int64_t Bytes() const;
    bool operator==(const TSizeBound&) const = default;
};

// The File size condition: an optional lower and an optional upper bound, both inclusive.
struct TSizeCondition {
    TSizeBound Lower{false, 10, TSizeUnit::KB};
    TSizeBound Upper{false, 50, TSizeUnit::KB};

    bool HasBound() const { return Lower.InForce || Upper.InForce; }
    // A lower bound above the upper one: no size passes.
    bool MatchesNothing() const { return Lower.InForce && Upper.InForce && Lower.Bytes() > Upper.Bytes(); }
    bool Test(std::int64_t size) const;
    // Which bound a size that Test refused lies beyond; empty for a size it passes.
    std::string WhyRefused(std::int64_t size) const;

    // Reads the bounds from condition lines (SIZE_MIN, SIZE_MIN_UNIT, SIZE_MAX, SIZE_MAX_UNIT).
    // A bound whose value is not a number stays in force with the value of previous.
    static TSizeCondition FromLines(const TConditionStrings& lines, const TSizeCondition& previous);
    // Writes the bounds into condition lines in place, leaving other lines alone.
    void UpdateLines(TConditionStrings& lines) const;

    bool operator==(const TSizeCondition&) const = default;
};

// The description of every size condition.
inline constexpr const char* kSizeDescription = "Size limitation";
