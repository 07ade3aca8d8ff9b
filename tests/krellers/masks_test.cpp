#include "krellers/Masks.h"

#include <gtest/gtest.h>

namespace {

std::string Repeated(const std::string& piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

TEST(Masks, MatchesNamesAsTheWildcardsSay)
{
    const struct {
        const char* name;
        const char* mask;
        bool matches;
    } cases[] = {
        {"README", "*.*", false},
        {"A.TXT", "*.*", true},
        {"", "*", true},
        {"", "", true},
        {"A", "", false},
        {"AB", "A*?B", true},  // a '?' right after a '*' is dropped
        {"AXB", "A?B", true},
        {"AB", "A?B", false},
        {"FILE.TXT", "file.txt", true},
        {"file.txt", "FILE.TXT", true},
        {"A.B.C", "*.*.*", true},
        {"ABCABD", "*ABD", true},
        {"MISSISSIPPI", "M*ISS*PI", true},
        {"MISSISSIPPI", "M*ISS*PX", false},
        {"ARCHIVE.TAR.GZ", "*.GZ", true},
        {"X.TXT", "*.TXT*", true},
        // ';', ',' and blanks are plain characters: one mask string is one mask.
        {"A;B", "a;b", true},
        {"A", "a;b", false},
        {"A B,C", "* *,?", true},
        // Sets and ranges.
        {"X1", "X[0-9]", true},
        {"XA", "X[!0-9]", true},
        {"X1", "X[!0-9]", false},
        {"A", "[a-c-e]", true},
        {"E", "[a-c-e]", true},  // the second range starts again at A
        {"F", "[a-c-e]", false},
        {"Z", "[z-a]", true},  // a backward range adds nothing, its start stays a member
        {"M", "[z-a]", false},
        {"[", "[[]", true},
        {"!", "[a!]", true},
        {"q", "[P-R]", true},
        // Nothing is read beyond the end of the name.
        {"A", "A?", false},
        {"A", "A[B]", false},
        {"A", "A[!B]", false},
        {"", "?", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << "name '" << c.name << "' mask '" << c.mask << "'";
}

TEST(Masks, MultiByteCharactersAreWholeCharacters)
{
    const struct {
        const char* name;
        const char* mask;
        bool matches;
    } cases[] = {
        {"é.txt", "?.txt", true},
        {"é.txt", "??.txt", false},  // '?' takes the whole character, not one byte
        {"aé", "a?", true},
        {"ÄÖÜ.TXT", "*Ü.*", true},
        {"ÄÖÜ.TXT", "*Ö?.*", true},
        {"ÄÖÜ.TXT", "*ü.*", true},  // the mask is upper-cased by the locale rule
        {"RÉSUMÉ.TXT", "résumé*.*", true},
        {"RÉSUMÉ.TXT", "resume*.*", false},
        {"Ж", "ж", true},
        // A multi-byte character is never a member of a set; a negated set takes it whole.
        {"é", "[!a]", true},
        {"éB", "[!a]b", true},
        {"é", "[a-z]", false},
        {"ab", "[aé]b", true},
        // A broken sequence is a run of single bytes, each a character of its own.
        {"\xC3", "?", true},
        {"\xC3(", "??", true},
        {"\xC3(", "?", false},
        {"\xE9", "\xE9", true},
        {"é", "\xC3", false},  // a lone lead byte is not the first byte of a whole character
        {"\xC3", "[\xC3]", true},
        {"\xF0\x9F\x98", "???", true},  // a truncated four-byte sequence at the end of the name
        {"\xF0\x9F\x98\x80", "?", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << "name '" << c.name << "' mask '" << c.mask << "'";
}

TEST(Masks, MalformedMasksNameThePositionWhereReadingStopped)
{
    const struct {
        std::string mask;
        int position;
    } cases[] = {
        {"X[]", 3},
        {"[!]", 3},
        {"X[ab", 5},  // no ']': the end of the mask plus one
        {"[", 2},
        {"[!", 3},
        {"[a-]", 5},  // the ']' is the end of the range, so the set never closes
        {"[a-", 4},
        {"[-a]", 2},  // a range needs a start
        {"[!-a]", 3},
        {"é[]", 3},   // positions count characters, not bytes
        {"[é]", 3},   // a set of multi-byte characters only has no member
        {Repeated("*a", 31), 62},
        {Repeated("*a", 30) + "*", 62},  // a final '*' is a group too
    };
    for (const auto& c : cases) {
        try {
            TMask mask(c.mask);
            ADD_FAILURE() << "'" << c.mask << "' compiled";
        } catch (const EInvalidMask& error) {
            EXPECT_EQ(error.what(), "'" + c.mask + "' is an invalid mask at (" + std::to_string(c.position) + ")");
        }
    }
}

TEST(Masks, ThirtyStarGroupsAreAllowedAndStayFast)
{
    const std::string mask = Repeated("*a", 29) + "*b";
    const TMask compiled(mask);
    // Trying every way to share the name among the stars would never finish here.
    EXPECT_FALSE(compiled.Matches(std::string(20000, 'A')));
    EXPECT_TRUE(compiled.Matches(std::string(20000, 'A') + "B"));
    EXPECT_FALSE(compiled.Matches(Repeated("A", 28) + "B"));
    // Stars in a row are one group.
    EXPECT_TRUE(TMask(Repeated("*", 40) + "a").Matches("XYA"));
}

} // namespace
