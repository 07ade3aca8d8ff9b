#pragma once
#include <QString>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "krellers/condition_strings.h"

// What the preview pane shows of a file's text: the keywords of the Context condition found in it
// as that search finds them, and the text made fit for a text view.

// A part of a text, in bytes or in UTF-16 units: from Begin up to (not including) End.
struct TTextRange {
    std::size_t Begin = 0;
    std::size_t End = 0;
    bool operator==(const TTextRange&) const = default;
};

// The keywords the EXISTS calls of a condition expression search for, in the order it names them,
// each once. An expression that fails to evaluate gives those met before the failure.
std::vector<std::string> ExpressionKeywords(std::string_view expression);
// The keywords of a Context row's condition lines (its stored clouds); none for lines that do not
// load.
std::vector<std::string> ContextConditionKeywords(const TConditionStrings& lines);

// Every place a keyword occurs in text once the text is upper-cased by the locale rule, as the
// Context search looks for it, sorted; places that overlap become one. Empty keywords are ignored.
std::vector<TTextRange> FindKeywordHits(std::string_view text, const std::vector<std::string>& keywords);

// The longest start of bytes of at most limit bytes that does not cut a UTF-8 character in two.
std::size_t CutAtCharacter(std::string_view bytes, std::size_t limit);

// Whether the start of a file reads as text: no zero byte and few bytes that are neither text
// nor part of a UTF-8 character. An empty start counts as text.
bool LooksLikeText(std::string_view head);

// Bytes made readable: UTF-8 decoded, a byte that starts no character shown as U+FFFD, control
// characters other than tab and line feed as their control pictures, CR LF and a lone CR as one
// line feed, and a line longer than kWrapUnits broken, so a text of one huge line stays quick to lay
// out. The byte ranges come along as ranges of the text shown.
struct TShownText {
    QString Text;
    std::vector<TTextRange> Ranges;
};
inline constexpr std::size_t kWrapUnits = 4096;
TShownText ShowableText(std::string_view bytes, const std::vector<TTextRange>& byteRanges);

// "hit 3 of 17"; "no hits" when there are none.
QString HitCountText(std::size_t current, std::size_t count);
