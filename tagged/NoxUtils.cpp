#include "tagged/NoxUtils.h"

#include <algorithm>

namespace {

bool NeedsEscape(unsigned char ch)
{
    if (ch < 32)
        return ch != '\t' && ch != '\n' && ch != '\r';
    return ch == '"' || ch == '%' || ch == '<' || ch == '>';
}

bool IsRawBlank(unsigned char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r';
}

void AppendEscaped(std::string& out, unsigned char ch)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += '%';
    out += kDigits[ch >> 4];
    out += kDigits[ch & 0x0F];
}

// 0 to 15 for an upper-case hexadecimal digit, -1 for anything else.
int HexDigitValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

void AppendEscapedRange(std::string& out, std::string_view text)
{
    for (const char ch : text) {
        const auto code = static_cast<unsigned char>(ch);
        if (NeedsEscape(code))
            AppendEscaped(out, code);
        else
            out += ch;
    }
}

void AppendAllEscaped(std::string& out, std::string_view text)
{
    for (const char ch : text)
        AppendEscaped(out, static_cast<unsigned char>(ch));
}

} // namespace

std::string EscapeText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendEscapedRange(out, text);
    return out;
}

std::string EscapeContentText(std::string_view text)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsRawBlank(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && IsRawBlank(static_cast<unsigned char>(text[end - 1])))
        --end;
    std::string out;
    out.reserve(text.size() + 3 * (text.size() - (end - begin)));
    AppendAllEscaped(out, text.substr(0, begin));
    AppendEscapedRange(out, text.substr(begin, end - begin));
    AppendAllEscaped(out, text.substr(end));
    return out;
}

std::string UnescapeText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool twoCharactersFollow = i + 2 < text.size();
        const int high = (text[i] == '%' && twoCharactersFollow) ? HexDigitValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigitValue(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

void TNoxBuffer::Append(std::string_view piece)
{
    MakeRoomFor(piece.size());
    text_.append(piece);
}

void TNoxBuffer::Append(char ch)
{
    MakeRoomFor(1);
    text_ += ch;
}

std::string TNoxBuffer::Take()
{
    std::string result = std::move(text_);
    text_.clear();
    result.shrink_to_fit();
    return result;
}

void TNoxBuffer::MakeRoomFor(std::size_t extra)
{
    const std::size_t needed = text_.size() + extra;
    if (needed <= text_.capacity())
        return;
    // Whole steps, and at least twice the old size, so that a long text costs linear time.
    const std::size_t wanted = std::max(needed, 2 * text_.capacity());
    text_.reserve((wanted + GrowthStep - 1) / GrowthStep * GrowthStep);
}
