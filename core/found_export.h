#pragma once
#include <string>
#include <string_view>
#include <vector>

// Exporting the found list for other programs: a CSV table (RFC 4180, UTF-8) of the columns shown,
// and the bare paths separated by NUL bytes for scripts (xargs -0).

inline constexpr const char* CsvExportFilter = "CSV table|*.csv|Paths separated by NUL bytes|*.nul";

// A field as it stands in a CSV record. Bytes that are not UTF-8 are written as \xHH (two
// upper-case hexadecimal digits) and a backslash as \\, so every name keeps its exact bytes and the
// file stays valid UTF-8. A field holding a comma, a double quote, CR or LF is quoted, with each
// double quote doubled.
std::string CsvField(std::string_view bytes);
// The fields of one record, separated by commas and ended by CR LF.
std::string CsvRecord(const std::vector<std::string>& fields);

// Builds a CSV table record by record, so a million rows are written without a second copy.
class TCsvWriter {
public:
    void Record(const std::vector<std::string>& fields);
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// Every path followed by one NUL byte, exactly as it is; empty paths are left out.
std::string NulSeparatedPaths(const std::vector<std::string>& paths);
