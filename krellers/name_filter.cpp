#include "krellers/name_filter.h"

#include "platform/Text.h"

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

std::vector<std::string> NameFilterWords(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool inWord = false;
    const auto endWord = [&] {
        if (!word.empty())
            words.push_back(std::move(word));
        word.clear();
        inWord = false;
    };
    for (const char c : text) {
        if (c == '"') {
            // A quote opens or closes a run whose blanks belong to the word; an unclosed one runs
            // to the end.
            quoted = !quoted;
            inWord = true;
            continue;
        }
        if (IsBlank(c) && !quoted) {
            if (inWord)
                endWord();
            continue;
        }
        word += c;
        inWord = true;
    }
    endWord();
    return words;
}

bool MatchesWildcard(std::string_view name, std::string_view pattern)
{
    // Greedy with one step back: a mismatch after a '*' lets that '*' take one more character.
    // The name is walked a whole character at a time, so '?' and literals stay on character starts.
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starPattern = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        const std::size_t nameChar = platform::Utf8CharLength(name.substr(n));
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = ++p;
            starName = n;
            continue;
        }
        if (p < pattern.size()) {
            const std::size_t patternChar = platform::Utf8CharLength(pattern.substr(p));
            const bool one = pattern[p] == '?';
            if (one || (patternChar == nameChar && pattern.substr(p, patternChar) == name.substr(n, nameChar))) {
                p += one ? 1 : patternChar;
                n += nameChar;
                continue;
            }
        }
        if (starPattern == std::string_view::npos)
            return false;
        p = starPattern;
        starName += platform::Utf8CharLength(name.substr(starName));
        n = starName;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

TNameFilter::TNameFilter(std::string_view text) : text_(text)
{
    for (std::string& word : NameFilterWords(text)) {
        TWord taken;
        taken.Wildcard = word.find_first_of("*?") != std::string::npos;
        taken.Upper = platform::UpperCaseLocale(word);
        words_.push_back(std::move(taken));
    }
}

bool TNameFilter::Matches(std::string_view name) const
{
    if (words_.empty())
        return true;
    // File names are at most 255 bytes on Linux file systems: the upper-cased copy stays on the
    // stack, so the filter costs no allocation per file.
    char buffer[512];
    if (name.size() <= sizeof buffer) {
        name.copy(buffer, name.size());
        platform::UpperCaseLocaleInPlace(buffer, name.size());
        return MatchesUpper(std::string_view(buffer, name.size()));
    }
    return MatchesUpper(platform::UpperCaseLocale(name));
}

bool TNameFilter::MatchesUpper(std::string_view upperName) const
{
    for (const TWord& word : words_) {
        const bool matched = word.Wildcard ? MatchesWildcard(upperName, word.Upper)
                                           : upperName.find(word.Upper) != std::string_view::npos;
        if (!matched)
            return false;
    }
    return true;
}
