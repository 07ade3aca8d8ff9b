#include "core/preview_text.h"

#include "conditions/CloudDiagram.h"
#include "conditions/ParsFunc.h"
#include "conditions/Parser.h"
#include "krellers/context_condition.h"
#include "platform/Text.h"

#include <algorithm>

std::vector<std::string> ExpressionKeywords(std::string_view expression)
{
    // Operators evaluate both sides, so one evaluation meets every EXISTS call of the expression.
    std::vector<std::string> keywords;
    TFunctionRegistry functions;
    functions.Register("EXISTS", [&keywords](int count, ExprValue* arguments, ExprValue& result) {
        if (count == 1 && arguments[0].type == vtString && !arguments[0].text.empty() &&
            std::find(keywords.begin(), keywords.end(), arguments[0].text) == keywords.end())
            keywords.push_back(arguments[0].text);
        result.SetBoolean(false);
        return count == 1;
    });
    TExprParser parser(functions);
    try {
        parser.Evaluate(expression);
    } catch (const std::exception&) {
        // What was met before the fault still names the keywords the user typed.
    }
    return keywords;
}

std::vector<std::string> ContextConditionKeywords(const TConditionStrings& lines)
{
    TCloudDiagram diagram;
    try {
        LoadContextConditionLines(diagram, lines);
    } catch (const std::exception&) {
        return {};
    }
    return ExpressionKeywords(diagram.BuildExpression());
}

std::vector<TTextRange> FindKeywordHits(std::string_view text, const std::vector<std::string>& keywords)
{
    const std::string upper = platform::UpperCaseLocale(text);
    std::vector<TTextRange> found;
    for (const std::string& keyword : keywords) {
        if (keyword.empty())
            continue;
        for (std::size_t at = upper.find(keyword); at != std::string::npos; at = upper.find(keyword, at + 1))
            found.push_back({at, at + keyword.size()});
    }
    std::sort(found.begin(), found.end(),
              [](const TTextRange& a, const TTextRange& b) { return a.Begin < b.Begin || (a.Begin == b.Begin && a.End > b.End); });
    std::vector<TTextRange> hits;
    for (const TTextRange& range : found) {
        if (!hits.empty() && range.Begin < hits.back().End)
            hits.back().End = std::max(hits.back().End, range.End);
        else
            hits.push_back(range);
    }
    return hits;
}

std::size_t CutAtCharacter(std::string_view bytes, std::size_t limit)
{
    if (bytes.size() <= limit)
        return bytes.size();
    // A character starts at most three bytes before the limit; the one that crosses it is left out.
    std::size_t start = limit;
    while (start > 0 && limit - start < 3 && (static_cast<unsigned char>(bytes[start]) & 0xC0) == 0x80)
        --start;
    return platform::Utf8CharLength(bytes.substr(start)) <= limit - start ? limit : start;
}

namespace {

bool IsTextControl(unsigned char byte)
{
    return byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f' || byte == '\v' || byte == 0x1B;
}

// The code point of a character already known to be valid UTF-8 of length bytes.
char32_t CodePoint(const unsigned char* p, std::size_t length)
{
    static constexpr unsigned char leadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = p[0] & leadMask[length];
    for (std::size_t i = 1; i < length; ++i)
        c = (c << 6) | (p[i] & 0x3Fu);
    return c;
}

// Writes c as UTF-16 at out; gives where the next unit goes.
char16_t* PutCodePoint(char16_t* out, char32_t c)
{
    if (c < 0x10000) {
        *out++ = static_cast<char16_t>(c);
        return out;
    }
    *out++ = QChar::highSurrogate(c);
    *out++ = QChar::lowSurrogate(c);
    return out;
}

// Byte positions handed out in increasing order, answered with the length of the text shown when
// the byte there is reached: a position inside a character goes with the character's end.
class TPositionMap {
public:
    explicit TPositionMap(const std::vector<TTextRange>& ranges)
    {
        for (const TTextRange& range : ranges) {
            order_.push_back({range.Begin, order_.size()});
            order_.push_back({range.End, order_.size()});
        }
        std::sort(order_.begin(), order_.end());
        mapped_.resize(order_.size());
    }

    void Reach(std::size_t byte, std::size_t shownLength)
    {
        while (next_ < order_.size() && order_[next_].first <= byte)
            mapped_[order_[next_++].second] = shownLength;
    }

    std::vector<TTextRange> Ranges(std::size_t shownLength)
    {
        Reach(static_cast<std::size_t>(-1), shownLength);
        std::vector<TTextRange> ranges;
        for (std::size_t i = 0; i + 1 < mapped_.size(); i += 2)
            ranges.push_back({mapped_[i], mapped_[i + 1]});
        return ranges;
    }

private:
    std::vector<std::pair<std::size_t, std::size_t>> order_;  // byte position, index in ranges * 2
    std::vector<std::size_t> mapped_;
    std::size_t next_ = 0;
};

} // namespace

bool LooksLikeText(std::string_view head)
{
    std::size_t odd = 0;
    for (std::size_t at = 0; at < head.size();) {
        const auto byte = static_cast<unsigned char>(head[at]);
        if (byte == 0)
            return false;
        const std::size_t length = platform::Utf8CharLength(head.substr(at));
        if ((byte < 0x20 && !IsTextControl(byte)) || (byte >= 0x80 && length == 1))
            ++odd;
        at += length;
    }
    // Text in an 8-bit code page has a few bytes that are no UTF-8; a binary format has many.
    return odd * 10 <= head.size();
}

TShownText ShowableText(std::string_view bytes, const std::vector<TTextRange>& byteRanges)
{
    // A byte gives at most one unit (a four-byte character two), and each broken line one more.
    std::u16string units(bytes.size() + bytes.size() / kWrapUnits + 1, u'\0');
    char16_t* const begin = units.data();
    char16_t* out = begin;
    const auto shownLength = [&] { return static_cast<std::size_t>(out - begin); };
    TPositionMap positions(byteRanges);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    char16_t* lineStart = out;
    for (std::size_t at = 0; at < bytes.size();) {
        const unsigned char byte = data[at];
        const bool lineBreak = byte == '\n' || byte == '\r';
        if (!lineBreak && static_cast<std::size_t>(out - lineStart) >= kWrapUnits) {
            *out++ = u'\n';
            lineStart = out;
        }
        positions.Reach(at, shownLength());
        std::size_t length = 1;
        if (lineBreak) {
            *out++ = u'\n';
            lineStart = out;
            length = byte == '\r' && at + 1 < bytes.size() && data[at + 1] == '\n' ? 2 : 1;
        } else if (byte < 0x20 && byte != '\t') {
            *out++ = static_cast<char16_t>(0x2400 + byte);
        } else if (byte < 0x80) {
            *out++ = static_cast<char16_t>(byte);
        } else if ((length = platform::Utf8CharLength(bytes.substr(at))) == 1) {
            *out++ = QChar::ReplacementCharacter;
        } else {
            out = PutCodePoint(out, CodePoint(data + at, length));
        }
        at += length;
    }
    TShownText shown;
    shown.Ranges = positions.Ranges(shownLength());
    shown.Text = QString::fromUtf16(begin, static_cast<qsizetype>(shownLength()));
    return shown;
}

QString HitCountText(std::size_t current, std::size_t count)
{
    if (count == 0)
        return "no hits";
    return QString("hit %1 of %2").arg(current).arg(count);
}
