#pragma once
#include "conditions/ParsGlob.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Upper-cases text[from, until) by the locale rule (the same bytes as platform::UpperCaseLocale),
// ASCII a vector register at a time and the UTF-8 step only where a byte of 0x80 or above occurs.
// length is where the text ends: a character that starts before until is finished even when it
// runs past it. Gives where the next range starts (until, or past the character that crossed it).
std::size_t UpperCaseLocaleRange(char* text, std::size_t length, std::size_t from, std::size_t until);

// Whether keyword occurs in text, byte by byte; an empty keyword never occurs. Linear in the worst
// case, and a few bytes a cycle on ordinary text.
bool ContainsBytes(std::string_view text, std::string_view keyword);

// Whether keyword would occur in text once text is upper-cased by the locale rule, found without
// upper-casing it: for a keyword of ASCII bytes, the bytes of an occurrence are exactly the ASCII
// bytes whose upper case they are. Nothing when that cannot be told cheaply (a keyword beyond
// ASCII, a text too repetitive for the filter): then the text is to be upper-cased and searched.
std::optional<bool> ContainsInUpperCased(std::string_view text, std::string_view keyword);

// The text of the file under test, which EXISTS searches as upper-cased by the locale rule. It
// is upper-cased only when a search needs it: a keyword of ASCII bytes is found in the text as
// it came. One buffer, kept from file to file so that reading a file costs no fresh allocation;
// only a buffer grown beyond kKeptCapacity is given back when the text is emptied.
class TContextText {
public:
    static constexpr std::size_t kKeptCapacity = std::size_t{32} << 20;

    // The text upper-cased (which is done now if no search did it before).
    std::string_view View() const;
    bool Empty() const { return RawView().empty(); }
    bool Contains(std::string_view keyword) const;

    // EXISTS of the expression language: one argument whose string is used as it is (a value of
    // another type has none); the result is whether the text contains it.
    bool Exists(int argumentCount, ExprValue* arguments, ExprValue& result) const;

    // How the text gets upper-cased when a search needs it: by default all at once; the engine
    // does it in steps between which events run, and throws when the user gives the file up.
    void SetUpperCaser(std::function<void()> upperCaser) { upperCaser_ = std::move(upperCaser); }

    // A buffer of at least size bytes to read into; the text stays empty until SetLength.
    char* Reserve(std::size_t size);
    // The text becomes the first length bytes of the reserved buffer.
    void SetLength(std::size_t length);
    // The text becomes text, taken over without a copy.
    void Adopt(std::string text);
    // The text as it came, and writable, for upper-casing it in place.
    std::string_view RawView() const;
    char* Data() { return adopted_ ? adoptedText_.data() : buffer_.get(); }

    void Clear();

private:
    std::size_t length() const { return RawView().size(); }

    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t length_ = 0;
    std::string adoptedText_;
    bool adopted_ = false;
    mutable bool upperCased_ = false;
    std::function<void()> upperCaser_;
};
