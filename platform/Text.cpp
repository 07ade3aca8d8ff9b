#include "platform/Text.h"

#include <array>
#include <cstdint>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace platform {
namespace {

constexpr bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The user's character classification, falling back to C.UTF-8 where the user's locale is not a
// UTF-8 one (towupper of a non-UTF-8 locale knows nothing of multi-byte characters).
locale_t CaseLocale()
{
    static const locale_t locale = [] {
        for (const char* name : {"", "C.UTF-8", "C.utf8"}) {
            if (locale_t l = newlocale(LC_CTYPE_MASK, name, nullptr)) {
                if (towupper_l(L'\u00E4', l) == L'\u00C4')
                    return l;
                freelocale(l);
            }
        }
        return static_cast<locale_t>(nullptr);
    }();
    return locale;
}

char32_t UpperOf(char32_t c)
{
    const locale_t locale = CaseLocale();
    return locale ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), locale)) : c;
}

int EncodedLength(char32_t c)
{
    if (c < 0x80) return 1;
    if (c < 0x800) return 2;
    if (c < 0x10000) return 3;
    return 4;
}

void Encode(char32_t c, int length, unsigned char* out)
{
    static constexpr unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int i = length - 1; i > 0; --i) {
        out[i] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        c >>= 6;
    }
    out[0] = static_cast<unsigned char>(kLead[length] | c);
}

// Length of the valid UTF-8 sequence at p (at most 'left' bytes), and its code point; 0 if invalid.
int Decode(const unsigned char* p, std::size_t left, char32_t& c)
{
    const unsigned char lead = p[0];
    int length;
    if (lead >= 0xC2 && lead <= 0xDF) { length = 2; c = lead & 0x1F; }
    else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; c = lead & 0x0F; }
    else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; c = lead & 0x07; }
    else return 0;
    if (left < static_cast<std::size_t>(length))
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!IsContinuation(p[i]))
            return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    if (EncodedLength(c) != length || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return 0;  // overlong forms and surrogates are not characters
    return length;
}

} // namespace

void UpperCaseAsciiInPlace(std::string& text)
{
    for (char& ch : text)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
}

std::string UpperCaseAscii(std::string_view text)
{
    std::string result(text);
    UpperCaseAsciiInPlace(result);
    return result;
}

namespace detail {

std::array<char16_t, 0x800> MakeTwoByteUpperTable()
{
    std::array<char16_t, 0x800> table{};
    for (char32_t c = 0x80; c < 0x800; ++c) {
        const char32_t upper = UpperOf(c);
        table[c] = static_cast<char16_t>(EncodedLength(upper) == 2 ? upper : c);
    }
    return table;
}

std::size_t UpperCaseLongCharacter(unsigned char* p, std::size_t left)
{
    char32_t c = 0;
    const int length = Decode(p, left, c);
    if (length == 0)
        return 1;  // an invalid byte stays as it is
    const char32_t upper = UpperOf(c);
    if (upper != c && EncodedLength(upper) == length)
        Encode(upper, length, p);
    return static_cast<std::size_t>(length);
}

} // namespace detail

void UpperCaseLocaleInPlace(char* data, std::size_t length)
{
    for (std::size_t i = 0; i < length;)
        i += UpperCaseCharacterInPlace(data + i, length - i);
}

void UpperCaseLocaleInPlace(std::string& text)
{
    UpperCaseLocaleInPlace(text.data(), text.size());
}

std::string UpperCaseLocale(std::string_view text)
{
    std::string result(text);
    UpperCaseLocaleInPlace(result);
    return result;
}

std::size_t Utf8CharLength(std::string_view text)
{
    if (text.empty())
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    if (p[0] < 0x80)
        return 1;
    char32_t c = 0;
    const int length = Decode(p, text.size(), c);
    return length == 0 ? 1 : static_cast<std::size_t>(length);
}

std::string Trimmed(std::string_view text)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string FileUrl(std::string_view absolutePath)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    url.reserve(url.size() + absolutePath.size());
    for (const char byte : absolutePath) {
        const auto c = static_cast<unsigned char>(byte);
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '.' || c == '_' || c == '~' || c == '/';
        if (keep) {
            url += byte;
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 0x0F];
        }
    }
    return url;
}

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::string> PathOfFileUrl(std::string_view url)
{
    constexpr std::string_view kScheme = "file://";
    constexpr std::string_view kLocalHost = "localhost";
    if (url.size() < kScheme.size() || UpperCaseAscii(url.substr(0, kScheme.size())) != "FILE://")
        return std::nullopt;
    url.remove_prefix(kScheme.size());
    if (url.substr(0, kLocalHost.size()) == kLocalHost)
        url.remove_prefix(kLocalHost.size());
    if (url.empty() || url.front() != '/')
        return std::nullopt;  // a file on another host
    std::string path;
    path.reserve(url.size());
    for (std::size_t i = 0; i < url.size(); ++i) {
        if (url[i] != '%') {
            path += url[i];
            continue;
        }
        const int high = i + 2 < url.size() ? HexDigit(url[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(url[i + 2]) : -1;
        if (low < 0)
            return std::nullopt;
        path += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return path;
}

std::string GroupedNumber(std::int64_t value)
{
    const std::string digits = std::to_string(value < 0 ? -(value + 1) + std::uint64_t{1} : std::uint64_t(value));
    std::string grouped = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

} // namespace platform
