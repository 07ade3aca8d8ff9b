#include "krellers/condition_strings.h"

#include "platform/Text.h"

#include <algorithm>

namespace {

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The name part of a name=value line; a line without '=' has no name.
std::optional<std::string_view> NameOf(std::string_view line)
{
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return line.substr(0, equals);
}

// Serves both the reading and the updating side, hence the template over constness.
template <typename Lines>
auto FindNamedLine(Lines& lines, std::string_view name)
{
    return std::find_if(lines.begin(), lines.end(), [name](const std::string& line) {
        const auto lineName = NameOf(line);
        return lineName && EqualsIgnoringAsciiCase(*lineName, name);
    });
}

} // namespace

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool HasCondition(const TConditionStrings& strings)
{
    return !strings.empty() && !platform::Trimmed(strings.front()).empty();
}

std::string JoinConditionText(const TConditionStrings& strings)
{
    std::string text;
    for (const auto& line : strings) {
        text += line;
        text += "\r\n";
    }
    return text;
}

TConditionStrings SplitConditionText(std::string_view text)
{
    TConditionStrings lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        start = end + (crlf ? 2 : 1);
    }
    return lines;
}

std::optional<std::string> ConditionValue(const TConditionStrings& lines, std::string_view name)
{
    const auto found = FindNamedLine(lines, name);
    if (found == lines.end())
        return std::nullopt;
    return found->substr(found->find('=') + 1);
}

void SetConditionValue(TConditionStrings& lines, std::string_view name, std::string_view value)
{
    const auto found = FindNamedLine(lines, name);
    if (value.empty()) {
        if (found != lines.end())
            lines.erase(found);
        return;
    }
    std::string line = std::string(name) + "=" + std::string(value);
    if (found != lines.end())
        *found = std::move(line);
    else
        lines.push_back(std::move(line));
}
