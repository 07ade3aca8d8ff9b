#include "core/found_export.h"

#include "platform/Text.h"

namespace {

bool NeedsQuotes(std::string_view field)
{
    return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

// The text with its non-UTF-8 bytes and backslashes escaped.
std::string EscapedBytes(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = platform::Utf8CharLength(bytes.substr(i));
        if (length == 1 && byte >= 0x80) {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0x0F];
        } else if (byte == '\\') {
            text += "\\\\";
        } else {
            text.append(bytes.substr(i, length));
        }
        i += length;
    }
    return text;
}

} // namespace

std::string CsvField(std::string_view bytes)
{
    const std::string text = EscapedBytes(bytes);
    if (!NeedsQuotes(text))
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string CsvRecord(const std::vector<std::string>& fields)
{
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            record += ',';
        record += CsvField(fields[i]);
    }
    record += "\r\n";
    return record;
}

void TCsvWriter::Record(const std::vector<std::string>& fields)
{
    text_ += CsvRecord(fields);
}

std::string NulSeparatedPaths(const std::vector<std::string>& paths)
{
    std::string text;
    for (const std::string& path : paths) {
        if (path.empty())
            continue;
        text += path;
        text += '\0';
    }
    return text;
}
