#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Upper-cases a-z only; every other byte stays.
std::string UpperCaseAscii(std::string_view text);
void UpperCaseAsciiInPlace(std::string& text);

// Length-preserving upper-casing of UTF-8 text by the user's locale: ASCII a-z always; a valid
// multi-byte character whose upper case encodes in the same number of bytes is replaced by it;
// every other byte (invalid sequences included) stays. The text never changes length.
std::string UpperCaseLocale(std::string_view text);
void UpperCaseLocaleInPlace(std::string& text);
// The same on a raw buffer, for texts read in blocks.
void UpperCaseLocaleInPlace(char* data, std::size_t length);
// Upper-cases the one character at data (left > 0 bytes from there to the end of the text) by the
// locale rule and gives its length in bytes: 1 for ASCII and for a byte that starts no valid
// sequence. The step under every locale upper-casing, for callers that run their own loop.
inline std::size_t UpperCaseCharacterInPlace(char* data, std::size_t left);

namespace detail {
// The upper case of each character U+0080 to U+07FF (indexed by code point) where it has one of
// two bytes, else the character itself.
std::array<char16_t, 0x800> MakeTwoByteUpperTable();
inline const std::array<char16_t, 0x800>& TwoByteUpperTable()
{
    static const std::array<char16_t, 0x800> table = MakeTwoByteUpperTable();
    return table;
}
// Three- and four-byte characters, and bytes that start no character: the rare case.
std::size_t UpperCaseLongCharacter(unsigned char* p, std::size_t left);
} // namespace detail

inline std::size_t UpperCaseCharacterInPlace(char* data, std::size_t left)
{
    auto* p = reinterpret_cast<unsigned char*>(data);
    const unsigned char lead = p[0];
    if (lead < 0x80) {
        if (lead >= 'a' && lead <= 'z')
            p[0] = static_cast<unsigned char>(lead - 'a' + 'A');
        return 1;
    }
    // Two-byte characters, most non-ASCII letters of European texts, by table; a lead byte from
    // 0xC2 on cannot start an overlong form.
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (left < 2 || (p[1] & 0xC0) != 0x80)
            return 1;
        const char16_t upper = detail::TwoByteUpperTable()[((lead & 0x1Fu) << 6) | (p[1] & 0x3Fu)];
        p[0] = static_cast<unsigned char>(0xC0 | (upper >> 6));
        p[1] = static_cast<unsigned char>(0x80 | (upper & 0x3F));
        return 2;
    }
    return detail::UpperCaseLongCharacter(p, left);
}

// Bytes of the character that text begins with: 2 to 4 for a valid multi-byte UTF-8 sequence, 1 for
// an ASCII byte or a byte of a broken sequence (which counts as a character of its own), 0 for an
// empty text.
std::size_t Utf8CharLength(std::string_view text);

// A whole number with its digits in groups of three: 5001 as "5,001".
std::string GroupedNumber(std::int64_t value);

// Blanks (codes 32 and below) removed at both ends.
std::string Trimmed(std::string_view text);

// The file URL of an absolute path: every byte but unreserved ASCII and '/' percent-encoded, so
// a name that is not valid UTF-8 keeps its exact bytes.
std::string FileUrl(std::string_view absolutePath);
// The path of a local file URL ("file:///a%20b", also with the host "localhost"), its
// percent-escapes turned back into the exact bytes; nothing for any other URL or a broken escape.
std::optional<std::string> PathOfFileUrl(std::string_view url);

} // namespace platform
