#include "conditions/ParsFunc.h"

#include "platform/Clock.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// ---- pictures -------------------------------------------------------------------------------
// The picture languages of FORMATFLOAT and FORMATDATETIME are described for users in
// docs/expressions.html; keep the two in step.

bool IsQuote(char c)
{
    return c == '\'' || c == '"';
}

// Reads the quoted literal that starts at 'at' (the quote) and moves 'at' past its closing quote;
// an unclosed literal runs to the end of the picture.
std::string_view TakeQuotedLiteral(std::string_view picture, std::size_t& at)
{
    std::size_t close = picture.find(picture[at], at + 1);
    std::size_t end = close == std::string_view::npos ? picture.size() : close;
    std::string_view literal = picture.substr(at + 1, end - at - 1);
    at = close == std::string_view::npos ? picture.size() : close + 1;
    return literal;
}

struct NumberPicture {
    std::string prefix;  // literal text before the number
    std::string suffix;  // literal text after its first placeholder
    bool hasNumber = false;
    int integerZeros = 0; // '0' placeholders before the point: the fewest integer digits
    int decimalPlaces = 0; // placeholders after the point: the most decimals
    int decimalZeros = 0; // the fewest decimals: up to the last '0' after the point
    bool seenPoint = false;
    bool grouping = false;
    bool exponent = false;
    bool exponentAlwaysSigned = false;
    int exponentDigits = 0;
};

// An exponent mark is E or e, then + or -, then at least one 0.
bool ReadExponentMark(std::string_view picture, std::size_t& at, NumberPicture& result)
{
    if (result.exponent || !result.hasNumber || at + 2 >= picture.size() || (picture[at] != 'E' && picture[at] != 'e'))
        return false;
    char sign = picture[at + 1];
    if (sign != '+' && sign != '-')
        return false;
    std::size_t zeros = 0;
    while (at + 2 + zeros < picture.size() && picture[at + 2 + zeros] == '0')
        ++zeros;
    if (zeros == 0)
        return false;
    result.exponent = true;
    result.exponentAlwaysSigned = sign == '+';
    result.exponentDigits = static_cast<int>(zeros);
    at += 2 + zeros;
    return true;
}

void AddPlaceholder(char placeholder, NumberPicture& result)
{
    result.hasNumber = true;
    if (result.seenPoint) {
        ++result.decimalPlaces;
        if (placeholder == '0')
            result.decimalZeros = result.decimalPlaces;
    } else if (placeholder == '0') {
        ++result.integerZeros;
    }
}

NumberPicture ParseNumberPicture(std::string_view picture)
{
    NumberPicture result;
    std::size_t at = 0;
    while (at < picture.size()) {
        char c = picture[at];
        std::string& literalTarget = result.hasNumber ? result.suffix : result.prefix;
        if (IsQuote(c)) {
            literalTarget += TakeQuotedLiteral(picture, at);
            continue;
        }
        if (ReadExponentMark(picture, at, result))
            continue;
        ++at;
        if ((c == '0' || c == '#') && !result.exponent)
            AddPlaceholder(c, result);
        else if (c == '.' && !result.seenPoint && !result.exponent)
            result.seenPoint = result.hasNumber = true;
        else if (c == ',' && result.hasNumber && !result.seenPoint && !result.exponent)
            result.grouping = true;
        else
            literalTarget += c;
    }
    return result;
}

std::string GroupThousands(const std::string& digits)
{
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string ToChars(double magnitude, std::chars_format format, int precision)
{
    // The largest double has 309 integer digits; the rest is the requested decimals and exponent.
    std::string buffer(static_cast<std::size_t>(340 + precision), '\0');
    auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, format, precision);
    buffer.resize(static_cast<std::size_t>(written.ptr - buffer.data()));
    return buffer;
}

struct NumberParts {
    std::string integerDigits;
    std::string decimals;
    std::string exponent; // with its letter, empty without an exponent
};

void ShapeDigits(const std::string& digits, const NumberPicture& picture, NumberParts& parts)
{
    std::size_t point = digits.find('.');
    parts.integerDigits = digits.substr(0, point);
    parts.decimals = point == std::string::npos ? std::string() : digits.substr(point + 1);
    while (parts.decimals.size() > static_cast<std::size_t>(picture.decimalZeros) && parts.decimals.back() == '0')
        parts.decimals.pop_back();
    if (parts.integerDigits == "0")
        parts.integerDigits.clear();
    if (parts.integerDigits.size() < static_cast<std::size_t>(picture.integerZeros))
        parts.integerDigits.insert(0, static_cast<std::size_t>(picture.integerZeros) - parts.integerDigits.size(), '0');
}

std::string FormatExponent(int exponent, const NumberPicture& picture)
{
    std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (digits.size() < static_cast<std::size_t>(picture.exponentDigits))
        digits.insert(0, static_cast<std::size_t>(picture.exponentDigits) - digits.size(), '0');
    std::string sign = exponent < 0 ? "-" : (picture.exponentAlwaysSigned ? "+" : "");
    return "E" + sign + digits;
}

NumberParts SplitNumber(double magnitude, const NumberPicture& picture)
{
    NumberParts parts;
    if (!picture.exponent) {
        ShapeDigits(ToChars(magnitude, std::chars_format::fixed, picture.decimalPlaces), picture, parts);
        return parts;
    }
    std::string scientific = ToChars(magnitude, std::chars_format::scientific, picture.decimalPlaces);
    std::size_t e = scientific.find('e');
    int exponent = std::stoi(scientific.substr(e + 1));
    ShapeDigits(scientific.substr(0, e), picture, parts);
    parts.exponent = FormatExponent(exponent, picture);
    return parts;
}

bool HasNonZeroDigit(const NumberParts& parts)
{
    auto nonZero = [](char c) { return c >= '1' && c <= '9'; };
    return std::any_of(parts.integerDigits.begin(), parts.integerDigits.end(), nonZero) || std::any_of(parts.decimals.begin(), parts.decimals.end(), nonZero);
}

std::string ShortestText(double value)
{
    char buffer[32];
    auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
}

std::string FormatNumber(std::string_view pictureText, double value)
{
    if (pictureText.empty())
        return ShortestText(value);
    NumberPicture picture = ParseNumberPicture(pictureText);
    if (!picture.hasNumber)
        return picture.prefix + picture.suffix;
    NumberParts parts = SplitNumber(std::fabs(value), picture);
    std::string number = value < 0 && HasNonZeroDigit(parts) ? "-" : "";
    number += picture.grouping ? GroupThousands(parts.integerDigits) : parts.integerDigits;
    if (!parts.decimals.empty())
        number += "." + parts.decimals;
    number += parts.exponent;
    return picture.prefix + number + picture.suffix;
}

// Moments are day counts from 30 December 1899, the time of day as the fraction.
constexpr std::int64_t kDaysFrom1970To1899 = 25569;
constexpr double kFirstDay = -693593.0;  // 1 January 0001
constexpr double kLastDay = 2958465.0;   // 31 December 9999
constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// Days since 1 January 1970 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    auto yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

platform::LocalDateTime CivilFromDays(std::int64_t days)
{
    days += 719468;
    std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    platform::LocalDateTime date;
    date.Day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    date.Month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    date.Year = static_cast<int>(static_cast<std::int64_t>(yearOfEra) + era * 400 + (date.Month <= 2));
    return date;
}

double MomentOf(const platform::LocalDateTime& moment)
{
    std::int64_t days = DaysFromCivil(moment.Year, static_cast<unsigned>(moment.Month), static_cast<unsigned>(moment.Day)) + kDaysFrom1970To1899;
    double milliseconds = ((moment.Hour * 60.0 + moment.Minute) * 60.0 + moment.Second) * 1000.0 + moment.Millisecond;
    return static_cast<double>(days) + milliseconds / static_cast<double>(kMillisecondsPerDay);
}

// The calendar date and time of a moment; a negative moment counts its days backwards but its
// time of day forwards, so -1.25 is 29 December 1899, 06:00.
platform::LocalDateTime DateTimeOf(double moment)
{
    double wholeDays = std::trunc(moment);
    auto days = static_cast<std::int64_t>(wholeDays);
    auto milliseconds = static_cast<std::int64_t>(std::round(std::fabs(moment - wholeDays) * kMillisecondsPerDay));
    if (milliseconds >= kMillisecondsPerDay) {
        milliseconds -= kMillisecondsPerDay;
        ++days;
    }
    platform::LocalDateTime result = CivilFromDays(days - kDaysFrom1970To1899);
    result.Hour = static_cast<int>(milliseconds / 3'600'000);
    result.Minute = static_cast<int>(milliseconds / 60'000 % 60);
    result.Second = static_cast<int>(milliseconds / 1000 % 60);
    result.Millisecond = static_cast<int>(milliseconds % 1000);
    return result;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != prefix[i])
            return false;
    }
    return true;
}

std::string TwoDigits(int value)
{
    std::string digits = std::to_string(value % 100);
    return digits.size() < 2 ? "0" + digits : digits;
}

// Writes the specifier the picture starts with at 'at' and moves past it; false when none starts there.
bool WriteDateSpecifier(std::string_view picture, std::size_t& at, const platform::LocalDateTime& moment, std::string& out)
{
    struct Specifier {
        std::string_view name;
        std::string (*write)(const platform::LocalDateTime&);
    };
    // Longer specifiers first, so that "mm" is not read as two "m".
    static constexpr Specifier specifiers[] = {
        {"yyyy", [](const platform::LocalDateTime& m) { std::string y = std::to_string(m.Year); return std::string(4 - std::min<std::size_t>(4, y.size()), '0') + y; }},
        {"yy", [](const platform::LocalDateTime& m) { return TwoDigits(m.Year); }},
        {"mm", [](const platform::LocalDateTime& m) { return TwoDigits(m.Month); }},
        {"m", [](const platform::LocalDateTime& m) { return std::to_string(m.Month); }},
        {"dd", [](const platform::LocalDateTime& m) { return TwoDigits(m.Day); }},
        {"d", [](const platform::LocalDateTime& m) { return std::to_string(m.Day); }},
        {"hh", [](const platform::LocalDateTime& m) { return TwoDigits(m.Hour); }},
        {"h", [](const platform::LocalDateTime& m) { return std::to_string(m.Hour); }},
        {"nn", [](const platform::LocalDateTime& m) { return TwoDigits(m.Minute); }},
        {"n", [](const platform::LocalDateTime& m) { return std::to_string(m.Minute); }},
        {"ss", [](const platform::LocalDateTime& m) { return TwoDigits(m.Second); }},
        {"s", [](const platform::LocalDateTime& m) { return std::to_string(m.Second); }},
    };
    for (const Specifier& specifier : specifiers) {
        if (StartsWithNoCase(picture.substr(at), specifier.name)) {
            out += specifier.write(moment);
            at += specifier.name.size();
            return true;
        }
    }
    return false;
}

std::string FormatMoment(std::string_view picture, const platform::LocalDateTime& moment)
{
    if (picture.empty())
        picture = "yyyy-mm-dd hh:nn:ss";
    std::string out;
    std::size_t at = 0;
    while (at < picture.size()) {
        if (IsQuote(picture[at]))
            out += TakeQuotedLiteral(picture, at);
        else if (!WriteDateSpecifier(picture, at, moment, out))
            out += picture[at++];
    }
    return out;
}

// ---- built-in functions ---------------------------------------------------------------------

// Paddings beyond this fail the function rather than allocate whatever width a text asks for.
constexpr std::int32_t kMaxPadding = 256;

std::string PadWithZeros(std::string digits, std::int32_t width)
{
    if (width > 0 && digits.size() < static_cast<std::size_t>(width))
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return digits;
}

std::string HexDigits(std::uint32_t number)
{
    constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), digits[number & 0xF]);
        number >>= 4;
    } while (number != 0);
    return text;
}

std::string BinaryDigits(std::uint32_t number)
{
    std::string text;
    for (; number != 0; number >>= 1)
        text.insert(text.begin(), (number & 1) ? '1' : '0');
    return text;
}

bool FormatDateTime(int count, ExprValue* args, ExprValue& result)
{
    if (count != 2)
        return false;
    ConvertValue(args[0], vtString);
    ConvertValue(args[1], vtFloat);
    if (!(args[1].real >= kFirstDay && args[1].real < kLastDay + 1.0))
        return false;
    result.SetString(FormatMoment(args[0].text, DateTimeOf(args[1].real)));
    return true;
}

bool FormatFloat(int count, ExprValue* args, ExprValue& result)
{
    if (count != 2)
        return false;
    ConvertValue(args[0], vtString);
    ConvertValue(args[1], vtFloat);
    result.SetString(FormatNumber(args[0].text, args[1].real));
    return true;
}

template <ValueType Target>
bool Conversion(int count, ExprValue* args, ExprValue& result)
{
    if (count != 1)
        return false;
    ConvertValue(args[0], Target);
    result = std::move(args[0]);
    return true;
}

bool Case(int count, ExprValue* args, ExprValue& result)
{
    if (count < 2)
        return false;
    ConvertValue(args[0], vtInteger);
    std::int32_t index = args[0].integer;
    if (index < 0 || index >= count - 1)
        return false;
    result = std::move(args[index + 1]);
    return true;
}

bool IsNull(int count, ExprValue* args, ExprValue& result)
{
    if (count == 1) {
        result.SetBoolean(args[0].IsNull());
        return true;
    }
    if (count == 2) {
        result = std::move(args[0].IsNull() ? args[1] : args[0]);
        return true;
    }
    return false;
}

bool Iif(int count, ExprValue* args, ExprValue& result)
{
    if (count != 3)
        return false;
    ConvertValue(args[0], vtBoolean);
    result = std::move(args[0].boolean ? args[1] : args[2]);
    return true;
}

bool Null(int count, ExprValue*, ExprValue& result)
{
    result.SetNull();
    return count == 0;
}

bool True(int count, ExprValue*, ExprValue& result)
{
    result.SetBoolean(true);
    return count == 0;
}

bool False(int count, ExprValue*, ExprValue& result)
{
    result.SetBoolean(false);
    return count == 0;
}

// HEX and BIN: a number and a width, both integers, written as 32 unsigned bits.
template <std::string (*Digits)(std::uint32_t)>
bool PaddedDigits(int count, ExprValue* args, ExprValue& result)
{
    if (count != 2)
        return false;
    ConvertValue(args[0], vtInteger);
    ConvertValue(args[1], vtInteger);
    if (args[1].integer > kMaxPadding)
        return false;
    result.SetString(PadWithZeros(Digits(static_cast<std::uint32_t>(args[0].integer)), args[1].integer));
    return true;
}

bool Substr(int count, ExprValue* args, ExprValue& result)
{
    if (count != 3)
        return false;
    ConvertValue(args[0], vtString);
    ConvertValue(args[1], vtInteger);
    ConvertValue(args[2], vtInteger);
    const std::string& text = args[0].text;
    std::size_t start = args[1].integer < 1 ? 0 : static_cast<std::size_t>(args[1].integer) - 1;
    std::int32_t length = args[2].integer;
    result.SetString(start >= text.size() || length < 0 ? std::string() : text.substr(start, static_cast<std::size_t>(length)));
    return true;
}

template <typename Operation>
bool OnFloat(int count, ExprValue* args, ExprValue& result, Operation operation)
{
    if (count != 1)
        return false;
    ConvertValue(args[0], vtFloat);
    operation(args[0].real, result);
    return true;
}

bool Frac(int count, ExprValue* args, ExprValue& result)
{
    return OnFloat(count, args, result, [](double x, ExprValue& r) { r.SetFloat(x - std::trunc(x)); });
}

bool Trunc(int count, ExprValue* args, ExprValue& result)
{
    return OnFloat(count, args, result, [](double x, ExprValue& r) { r.SetInteger(TruncateToInteger(x)); });
}

bool Round(int count, ExprValue* args, ExprValue& result)
{
    return OnFloat(count, args, result, [](double x, ExprValue& r) { r.SetInteger(RoundToInteger(x)); });
}

bool Abs(int count, ExprValue* args, ExprValue& result)
{
    return OnFloat(count, args, result, [](double x, ExprValue& r) { r.SetFloat(std::fabs(x)); });
}

bool Date(int count, ExprValue*, ExprValue& result)
{
    if (count != 0)
        return false;
    result.SetFloat(MomentOf(platform::LocalNow()));
    return true;
}

// ---- registry -------------------------------------------------------------------------------

std::string UpperAscii(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// The place of the name in entries sorted by name, or where it would go.
template <class TEntries>
auto PlaceIn(TEntries& entries, std::string_view upperName)
{
    return std::lower_bound(entries.begin(), entries.end(), upperName,
                            [](const auto& entry, std::string_view key) { return entry.Name < key; });
}

} // namespace

TFunctionRegistry::TFunctionRegistry()
{
    Register("FORMATDATETIME", FormatDateTime);
    Register("FORMATFLOAT", FormatFloat);
    Register("INT", Conversion<vtInteger>);
    Register("BOOL", Conversion<vtBoolean>);
    Register("STRING", Conversion<vtString>);
    Register("FLOAT", Conversion<vtFloat>);
    Register("CASE", Case);
    Register("ISNULL", IsNull);
    Register("IIF", Iif);
    Register("NULL", Null);
    Register("TRUE", True);
    Register("FALSE", False);
    Register("HEX", PaddedDigits<HexDigits>);
    Register("BIN", PaddedDigits<BinaryDigits>);
    Register("SUBSTR", Substr);
    Register("FRAC", Frac);
    Register("TRUNC", Trunc);
    Register("ROUND", Round);
    Register("DATE", Date);
    Register("ABS", Abs);
}

std::vector<TFunctionRegistry::TEntry>::iterator TFunctionRegistry::PlaceOf(std::string_view upperName)
{
    return PlaceIn(entries_, upperName);
}

bool TFunctionRegistry::Register(std::string_view name, ExprFunction function)
{
    std::string upper = UpperAscii(name);
    auto place = PlaceOf(upper);
    if (place != entries_.end() && place->Name == upper)
        return false;
    entries_.insert(place, {std::move(upper), std::move(function)});
    return true;
}

const ExprFunction* TFunctionRegistry::Find(std::string_view name) const
{
    auto place = PlaceIn(entries_, name);
    return place != entries_.end() && place->Name == name ? &place->Function : nullptr;
}

ExprFunction TFunctionRegistry::Exchange(std::string_view name, ExprFunction function)
{
    const std::string upper = UpperAscii(name);
    auto place = PlaceOf(upper);
    if (place == entries_.end() || place->Name != upper) {
        entries_.insert(place, {upper, std::move(function)});
        return {};
    }
    std::swap(place->Function, function);
    return function;
}

void TFunctionRegistry::Unregister(std::string_view name)
{
    const std::string upper = UpperAscii(name);
    auto place = PlaceOf(upper);
    if (place != entries_.end() && place->Name == upper)
        entries_.erase(place);
}

TFunctionRegistry& DefaultFunctions()
{
    static TFunctionRegistry registry;
    return registry;
}

TScopedFunction::TScopedFunction(TFunctionRegistry& registry, std::string_view name, ExprFunction function)
    : registry_(registry), name_(name), previous_(registry.Exchange(name, std::move(function)))
{
}

TScopedFunction::~TScopedFunction()
{
    if (previous_)
        registry_.Exchange(name_, std::move(previous_));
    else
        registry_.Unregister(name_);
}

void RegisterFunction(std::string_view name, ExprFunction function)
{
    DefaultFunctions().Register(name, std::move(function));
}

const ExprFunction* FindFunction(std::string_view name)
{
    return DefaultFunctions().Find(name);
}
