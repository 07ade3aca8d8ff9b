#pragma once
#include "krellers/Masks.h"
#include "krellers/condition_strings.h"
#include "tagged/file_groups.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How the File mask kreller judges a name; the numbers are the positions of the radio buttons.
enum class TMaskMode { UseFileMask = 0, PassSelectedGroups = 1, RestrictSelectedGroups = 2 };

// The caption of a mode, which is also the description of a condition in that mode.
const char* MaskModeCaption(TMaskMode mode);

// The File mask condition: a mode, the name and extension masks as typed, and the names of the
// file groups that are checked, in the order of the group list.
struct TMaskCondition {
    TMaskMode Mode = TMaskMode::UseFileMask;
    std::string NameMask = "*";
    std::string ExtensionMask = "*";
    std::vector<std::string> CheckedGroups;

    // Reads a row's strings against the file groups as they are now. A group is checked when its
    // name (without regard to case) is among strings 3 and on, so a group that shares its name with
    // a mask keeps its mark, and a group that no longer exists drops out. The masks missing from the
    // strings are taken from shown: what the fields show, the extension already set to LAST_EXT.
    static TMaskCondition FromStrings(const TConditionStrings& strings, const std::vector<TFileGroup>& groups,
                                      const TMaskCondition& shown);

    std::string Description() const { return MaskModeCaption(Mode); }
    // The masks, then the checked group names.
    TConditionStrings Lines() const;

    bool IsChecked(std::string_view groupName) const;
    // What names are matched against: name "." extension in mode 0, name ".*" in the group modes.
    std::string ComposedMask() const;
    // The error text of the composed mask, or nothing when it is valid; shown as the user types.
    std::optional<std::string> MaskError() const;

    bool operator==(const TMaskCondition&) const = default;
};

// A File mask condition made ready for many files: the mask compiled once, the checked groups'
// extensions upper-cased once.
class TMaskTester {
public:
    // No condition: every file passes.
    TMaskTester() = default;
    TMaskTester(const TMaskCondition& condition, const std::vector<TFileGroup>& groups);

    // path is the file's full path; its name is upper-cased by the locale rule before matching, and
    // its extension is what follows the last dot. Throws EInvalidMask while the mask is invalid, so
    // that every file fails the way an invalid mask makes it fail.
    bool Test(std::string_view path) const;
    // Why Test refuses path, in words for the user; empty when it passes or the mask is invalid.
    std::string WhyRefused(std::string_view path) const;

private:
    bool ExtensionListed(std::string_view extension) const;
    // The checked group an upper-case extension comes from; empty when none.
    std::string GroupOf(std::string_view extension) const;
    std::string WhyMaskRefused(const std::string& name) const;

    bool active_ = false;
    std::string composedMask_;
    std::vector<std::string> checkedGroups_;   // names, in the order of the group list
    std::vector<std::size_t> extensionGroup_;  // for each extension, its group in checkedGroups_
    TMaskMode mode_ = TMaskMode::UseFileMask;
    std::optional<TMask> mask_;
    std::string maskError_;
    std::vector<std::string> extensions_;  // of the checked groups, upper case, empty pieces left out
};
