#pragma once
#include <cstddef>
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
std::size_t UpperCaseCharacterInPlace(char* data, std::size_t left);

// Blanks (codes 32 and below) removed at both ends.
std::string Trimmed(std::string_view text);

} // namespace platform
