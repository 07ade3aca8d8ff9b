#include "kreller_gfs/image_condition.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace gfs {
namespace {

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

// A decimal integer with an optional sign and nothing else; values beyond long long saturate.
std::optional<long long> ParseDecimal(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value > (LLONG_MAX - 9) / 10 ? LLONG_MAX : value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// Lines ended by CR, LF or CR LF; a last line without its end counts when it is not empty.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// The value of the first "name=value" line whose name matches, or none.
std::optional<std::string_view> ValueOf(const std::vector<std::string_view>& lines, std::string_view name)
{
    for (std::string_view line : lines) {
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos && SameIgnoringCase(line.substr(0, equals), name))
            return line.substr(equals + 1);
    }
    return std::nullopt;
}

bool TickedIn(const std::vector<std::string_view>& lines, std::string_view name)
{
    return ValueOf(lines, name) == std::optional<std::string_view>("Y");
}

// A bound as the text gives it: missing or empty sets 1, an integer is clamped, anything else keeps it.
int BoundFrom(const std::vector<std::string_view>& lines, std::string_view key, int previous)
{
    const std::optional<std::string_view> value = ValueOf(lines, key);
    if (!value || value->empty())
        return kBoundMin;
    const std::optional<long long> number = ParseDecimal(*value);
    return number ? ClampBound(*number) : previous;
}

std::optional<TImageMode> ModeFromCaption(std::string_view caption)
{
    for (int i = 0; i < kModeCount; ++i)
        if (SameIgnoringCase(caption, kModeCaptions[i]))
            return static_cast<TImageMode>(i);
    return std::nullopt;
}

void AppendLine(std::string& text, std::string_view line)
{
    text.append(line);
    text.append("\r\n");
}

void AppendTick(std::string& text, std::string_view name, bool ticked)
{
    AppendLine(text, std::string(name) + (ticked ? "=Y" : "=N"));
}

} // namespace

std::optional<TPictureSize> ParseBannerSize(std::string_view text)
{
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    const std::optional<long long> width = ParseDecimal(TrimBlanks(text.substr(0, x)));
    const std::optional<long long> height = ParseDecimal(TrimBlanks(text.substr(x + 1)));
    if (!width || !height || *width > INT_MAX || *height > INT_MAX || *width < INT_MIN || *height < INT_MIN)
        return std::nullopt;
    return TPictureSize{static_cast<int>(*width), static_cast<int>(*height)};
}

int ClampBound(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, kBoundMin, kBoundMax));
}

int BoundFromText(std::string_view text)
{
    const std::optional<long long> number = ParseDecimal(TrimBlanks(text));
    return number ? ClampBound(*number) : kBoundMin;
}

std::string UpperExtension(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    std::string extension(name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(), UpperAscii);
    return extension;
}

TImageCondition TImageCondition::Reset() const
{
    TImageCondition reset;
    reset.SquarePortraits = SquarePortraits;
    reset.SquareLandscapes = SquareLandscapes;
    return reset;
}

bool TImageCondition::AcceptExt(std::string_view path) const
{
    const std::string extension = UpperExtension(path);
    for (int i = 0; i < kFileTypeCount; ++i)
        if (FileTypes[i] && extension == kFileTypes[i])
            return true;
    return false;
}

bool TImageCondition::Meets(TPictureSize size) const
{
    const int w = size.Width;
    const int h = size.Height;
    if (!Mode)
        return false;
    switch (*Mode) {
    case TImageMode::Portraits:
        return w < h || (w == h && SquarePortraits);
    case TImageMode::Landscapes:
        return h < w || (w == h && SquareLandscapes);
    case TImageMode::Banners:
        for (int i = 0; i < kBannerCount; ++i)
            if (Banners[i] && ParseBannerSize(kBannerSizes[i]) == size)
                return true;
        return false;
    case TImageMode::Custom:
        return HMin <= h && h <= HMax && WMin <= w && w <= WMax;
    }
    return false;
}

std::string TImageCondition::Text() const
{
    std::string text;
    if (!Mode)
        return text;
    AppendLine(text, kModeCaptions[static_cast<int>(*Mode)]);
    for (int i = 0; i < kBannerCount; ++i)
        AppendTick(text, kBannerSizes[i], Banners[i]);
    for (int i = 0; i < kFileTypeCount; ++i)
        AppendTick(text, kFileTypes[i], FileTypes[i]);
    AppendLine(text, "HMIN=" + std::to_string(HMin));
    AppendLine(text, "HMAX=" + std::to_string(HMax));
    AppendLine(text, "WMIN=" + std::to_string(WMin));
    AppendLine(text, "WMAX=" + std::to_string(WMax));
    return text;
}

TImageCondition TImageCondition::WithText(std::string_view text) const
{
    const std::vector<std::string_view> lines = SplitLines(text);
    if (lines.empty())
        return *this;
    TImageCondition taken = *this;
    taken.Mode = ModeFromCaption(lines.front());
    for (int i = 0; i < kFileTypeCount; ++i)
        taken.FileTypes[i] = TickedIn(lines, kFileTypes[i]);
    for (int i = 0; i < kBannerCount; ++i)
        taken.Banners[i] = TickedIn(lines, kBannerSizes[i]);
    taken.HMin = BoundFrom(lines, "HMIN", HMin);
    taken.HMax = BoundFrom(lines, "HMAX", HMax);
    taken.WMin = BoundFrom(lines, "WMIN", WMin);
    taken.WMax = BoundFrom(lines, "WMAX", WMax);
    return taken;
}

} // namespace gfs
