#include "krellers/mask_condition.h"

#include "platform/Text.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array kModes = {TMaskMode::UseFileMask, TMaskMode::PassSelectedGroups,
                               TMaskMode::RestrictSelectedGroups};

// Group names are free text: they compare by the locale's upper case.
bool SameGroupName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && platform::UpperCaseLocale(a) == platform::UpperCaseLocale(b);
}

TMaskMode ModeOfCaption(std::string_view caption)
{
    for (const TMaskMode mode : kModes)
        if (EqualsIgnoringAsciiCase(caption, MaskModeCaption(mode)))
            return mode;
    return TMaskMode::UseFileMask;
}

bool NamedAmong(std::string_view name, const TConditionStrings& strings, std::size_t first)
{
    return std::any_of(strings.begin() + static_cast<std::ptrdiff_t>(std::min(first, strings.size())), strings.end(),
                       [name](const std::string& s) { return SameGroupName(s, name); });
}

// A group's extension text cut at its semicolons; an empty piece names no extension.
void AppendExtensions(std::vector<std::string>& extensions, std::string_view text)
{
    const std::string upper = platform::UpperCaseLocale(text);
    std::size_t start = 0;
    while (start <= upper.size()) {
        const std::size_t end = std::min(upper.find(';', start), upper.size());
        if (end > start)
            extensions.push_back(upper.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace

const char* MaskModeCaption(TMaskMode mode)
{
    switch (mode) {
    case TMaskMode::PassSelectedGroups:
        return "Pass selected groups";
    case TMaskMode::RestrictSelectedGroups:
        return "Restrict selected groups";
    case TMaskMode::UseFileMask:
        break;
    }
    return "Use file mask";
}

TMaskCondition TMaskCondition::FromStrings(const TConditionStrings& strings, const std::vector<TFileGroup>& groups,
                                           const TMaskCondition& shown)
{
    constexpr std::size_t kFirstGroupString = 3;
    TMaskCondition condition;
    condition.Mode = ModeOfCaption(strings.empty() ? std::string_view() : strings[0]);
    condition.NameMask = strings.size() > 1 ? strings[1] : shown.NameMask;
    condition.ExtensionMask = strings.size() > 2 ? strings[2] : shown.ExtensionMask;
    for (const TFileGroup& group : groups)
        if (NamedAmong(group.Name, strings, kFirstGroupString))
            condition.CheckedGroups.push_back(group.Name);
    return condition;
}

TConditionStrings TMaskCondition::Lines() const
{
    TConditionStrings lines = {NameMask, ExtensionMask};
    lines.insert(lines.end(), CheckedGroups.begin(), CheckedGroups.end());
    return lines;
}

bool TMaskCondition::IsChecked(std::string_view groupName) const
{
    return std::any_of(CheckedGroups.begin(), CheckedGroups.end(),
                       [groupName](const std::string& checked) { return SameGroupName(checked, groupName); });
}

std::string TMaskCondition::ComposedMask() const
{
    return NameMask + "." + (Mode == TMaskMode::UseFileMask ? ExtensionMask : std::string("*"));
}

std::optional<std::string> TMaskCondition::MaskError() const
{
    try {
        TMask{ComposedMask()};
        return std::nullopt;
    } catch (const EInvalidMask& error) {
        return error.what();
    }
}

TMaskTester::TMaskTester(const TMaskCondition& condition, const std::vector<TFileGroup>& groups)
    : active_(true)
    , mode_(condition.Mode)
    , composedMask_(condition.ComposedMask())
{
    try {
        mask_.emplace(condition.ComposedMask());
    } catch (const EInvalidMask& error) {
        maskError_ = error.what();
    }
    if (mode_ == TMaskMode::UseFileMask)
        return;
    for (const TFileGroup& group : groups) {
        if (!condition.IsChecked(group.Name))
            continue;
        checkedGroups_.push_back(group.Name);
        AppendExtensions(extensions_, group.Extensions);
        extensionGroup_.resize(extensions_.size(), checkedGroups_.size() - 1);
    }
}

bool TMaskTester::Test(std::string_view path) const
{
    if (!active_)
        return true;
    if (!mask_)
        throw EInvalidMask(maskError_);
    const std::string name = platform::UpperCaseLocale(path.substr(path.rfind('/') + 1));
    if (!mask_->Matches(name))
        return false;
    if (mode_ == TMaskMode::UseFileMask)
        return true;
    const std::size_t dot = name.rfind('.');
    const std::string_view extension = dot == std::string::npos ? std::string_view() : std::string_view(name).substr(dot + 1);
    return ExtensionListed(extension) == (mode_ == TMaskMode::PassSelectedGroups);
}

std::string TMaskTester::GroupOf(std::string_view extension) const
{
    const auto found = std::find(extensions_.begin(), extensions_.end(), extension);
    return found == extensions_.end() ? std::string() : checkedGroups_[extensionGroup_[static_cast<std::size_t>(found - extensions_.begin())]];
}

std::string TMaskTester::WhyMaskRefused(const std::string& name) const
{
    // The composed mask always holds a dot, so a name without one can never match it.
    if (name.find('.') == std::string::npos)
        return "the name has no extension, and the mask \"" + composedMask_ + "\" needs one";
    return "the name does not match the mask \"" + composedMask_ + "\"";
}

std::string TMaskTester::WhyRefused(std::string_view path) const
{
    if (!active_ || !mask_)
        return {};
    const std::string shownName(path.substr(path.rfind('/') + 1));
    const std::string name = platform::UpperCaseLocale(shownName);
    if (!mask_->Matches(name))
        return WhyMaskRefused(shownName);
    if (mode_ == TMaskMode::UseFileMask)
        return {};
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    const std::string group = GroupOf(extension);
    if (mode_ == TMaskMode::RestrictSelectedGroups)
        return group.empty() ? std::string() : "the extension \"" + extension + "\" is in the group \"" + group + "\", which is left out";
    if (!group.empty())
        return {};
    if (extension.empty())
        return "the name has no extension, and only the extensions of the groups checked pass";
    std::string groups;
    for (const std::string& checked : checkedGroups_)
        groups += (groups.empty() ? "" : ", ") + checked;
    return "the extension \"" + extension + "\" is in none of the groups checked" + (groups.empty() ? std::string(" (none is checked)") : " (" + groups + ")");
}

bool TMaskTester::ExtensionListed(std::string_view extension) const
{
    return std::find(extensions_.begin(), extensions_.end(), extension) != extensions_.end();
}
