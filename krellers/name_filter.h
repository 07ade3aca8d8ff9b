#pragma once
#include <string>
#include <string_view>
#include <vector>

// The name box's condition on file names. The text is cut into words at blanks; a run in double
// quotes is one word, blanks included. A file passes when every word matches its name: a word
// with '*' (any run of characters) or '?' (one character) is a wildcard over the whole name, any
// other word is found anywhere in it, dots included. Letters match without regard to case by the
// locale rule. Every text is a valid condition: no character is an error, and a text of blanks
// is no condition at all.
class TNameFilter {
public:
    TNameFilter() = default;
    explicit TNameFilter(std::string_view text);

    bool Active() const { return !words_.empty(); }
    // The text as typed.
    const std::string& Text() const { return text_; }
    // Whether the name (without directory, UTF-8 or any bytes) meets every word.
    bool Matches(std::string_view name) const;

    bool operator==(const TNameFilter& other) const { return text_ == other.text_; }

private:
    struct TWord {
        std::string Upper;  // upper-cased by the locale rule
        bool Wildcard = false;
    };

    bool MatchesUpper(std::string_view upperName) const;

    std::string text_;
    std::vector<TWord> words_;
};

// Whether the upper-cased name matches the upper-cased wildcard pattern as a whole: '*' any run
// of characters, '?' one character (a byte of a broken sequence is a character of its own).
bool MatchesWildcard(std::string_view upperName, std::string_view upperPattern);

// The words of a name box text, as the filter takes them.
std::vector<std::string> NameFilterWords(std::string_view text);
