#pragma once
#include <bitset>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A malformed mask; the message names the mask and the 1-based position (in characters) at which
// reading it stopped.
class EInvalidMask : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A wildcard file name mask: '*' any run of characters, '?' one character, '[...]' one character of
// a set ('!' right after '[' negates, 'a-c' is a range). ';', ',' and blanks are plain characters.
//
// Names and masks are UTF-8. A multi-byte character is one character: '?' matches it whole, it is
// compared byte for byte as a literal, and it is never a member of a set. A byte that belongs to no
// valid sequence is a character of its own. ASCII letters match without regard to case; the mask's
// multi-byte letters are upper-cased by the locale rule, so a name upper-cased the same way matches
// them whatever case either was typed in.
class TMask {
public:
    // Throws EInvalidMask for an empty set, a set without ']', a range without a start, or more
    // than 30 groups of '*'.
    explicit TMask(std::string_view mask);

    bool Matches(std::string_view name) const;

    enum class TKind : std::uint8_t { Literal, AnyChar, Set, MultiByteLiteral, EndOfName };

    struct TState {
        bool SkipTo = false;  // a '*' came before: any run of characters may precede this one
        TKind Kind = TKind::Literal;
        bool Negate = false;
        std::uint8_t Length = 1;            // bytes of a multi-byte literal
        unsigned char Bytes[4] = {};        // the literal: one byte, or a multi-byte character
        std::bitset<256> Members;           // a set's single-byte members, letters upper case
    };

private:
    std::vector<TState> states_;
};

// Whether name matches mask; throws EInvalidMask when the mask is malformed.
bool MatchesMask(std::string_view name, std::string_view mask);
