#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Text helpers of the tagged document format.

// Attribute values and content text in written form: the control characters other than TAB, LF
// and CR, and the characters " % < > become %XX with two upper-case hexadecimal digits.
std::string EscapeText(std::string_view text);

// Content text in written form: as EscapeText, and in addition the blanks (TAB, LF, CR, space) at
// the two ends become %XX too. The reader trims content text, so raw blanks there would be lost.
std::string EscapeContentText(std::string_view text);

// The inverse of both: every %XX with two upper-case hexadecimal digits becomes the byte XX; a '%'
// without two such digits after it is kept as it stands.
std::string UnescapeText(std::string_view text);

// An output buffer for the writer: appending never copies the text written so far more than a
// few times, however long the document grows.
class TNoxBuffer {
public:
    static constexpr std::size_t GrowthStep = 4096;

    void Append(std::string_view piece);
    void Append(char ch);
    // The text written so far; the buffer is empty afterwards.
    std::string Take();

private:
    void MakeRoomFor(std::size_t extra);

    std::string text_;
};
