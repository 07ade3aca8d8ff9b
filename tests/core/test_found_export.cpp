#include <gtest/gtest.h>

#include "core/found_export.h"

namespace {

TEST(CsvExport, FieldsAreQuotedOnlyWhereTheyMustBeAndKeepEveryByte)
{
    const struct {
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"plain.txt", "plain.txt"},
        {"", ""},
        {"a,b.txt", "\"a,b.txt\""},
        {"say \"hi\".txt", "\"say \"\"hi\"\".txt\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\rhere", "\"cr\rhere\""},
        {"caf\xC3\xA9", "caf\xC3\xA9"},          // UTF-8 stays as it is
        {"caf\xE9", "caf\\xE9"},                  // a Latin-1 byte is escaped
        {"\xC3", "\\xC3"},                        // a sequence cut short
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"}, // four bytes
        {"back\\slash", "back\\\\slash"},         // so \x in a name is told from an escape
        {"\xFF,\"", "\"\\xFF,\"\"\""},            // escaped first, then quoted
        {" blank ", " blank "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvField(c.bytes), c.expected) << c.bytes;
}

TEST(CsvExport, RecordsEndInCrLfAndTheWriterJoinsThem)
{
    TCsvWriter csv;
    csv.Record({"File name", "Full path"});
    csv.Record({"a,b", "/x/a,b"});
    csv.Record({""});
    EXPECT_EQ(csv.Text(), "File name,Full path\r\n\"a,b\",\"/x/a,b\"\r\n\r\n");
}

TEST(NulExport, EveryPathEndsInANulByteAndEmptyOnesAreLeftOut)
{
    const std::string expected("/a b/c\n\0/d\xE9\0", 12);
    EXPECT_EQ(NulSeparatedPaths({"/a b/c\n", "", "/d\xE9"}), expected);
    EXPECT_EQ(NulSeparatedPaths({}), "");
}

} // namespace
