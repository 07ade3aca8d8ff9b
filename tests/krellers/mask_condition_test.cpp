#include "krellers/mask_condition.h"

#include <gtest/gtest.h>

namespace {

const std::vector<TFileGroup> kGroups = {
    {"Docs", "doc;txt"},
    {"Pictures", "bmp;JPG;jpeg"},
    {"Empty", ""},
    {"*", "gz"},
};

TMaskCondition Condition(TMaskMode mode, std::string name, std::string ext, std::vector<std::string> groups = {})
{
    return {mode, std::move(name), std::move(ext), std::move(groups)};
}

constexpr TMaskMode kMask = TMaskMode::UseFileMask;
constexpr TMaskMode kPass = TMaskMode::PassSelectedGroups;
constexpr TMaskMode kRestrict = TMaskMode::RestrictSelectedGroups;

TEST(MaskCondition, TestsNamesByModeMasksAndGroups)
{
    const struct {
        TMaskCondition condition;
        const char* path;
        bool passes;
    } cases[] = {
        {Condition(kMask, "*", "*"), "/d/A.TXT", true},
        {Condition(kMask, "*", "*"), "/d/README", false},  // the composed mask always holds a dot
        {Condition(kMask, "*", "TXT"), "/d/notes.txt", true},
        {Condition(kMask, "*", "txt"), "/d/NOTES.TXT", true},
        {Condition(kMask, "*", "TXT"), "/d/notes.txt.bak", false},
        {Condition(kMask, "*", "gz"), "/d/ARCHIVE.TAR.GZ", true},
        {Condition(kMask, "a*", "*"), "/A.DIR/b.txt", false},  // only the name counts, not the directory
        {Condition(kMask, "résumé*", "*"), "/d/Résumé 2024.pdf", true},  // the name is upper-cased by the locale rule
        {Condition(kPass, "*", "*", {"Docs"}), "/d/A.TXT", true},
        {Condition(kPass, "*", "*", {"Docs"}), "/d/A.BMP", false},
        {Condition(kRestrict, "*", "*", {"Docs"}), "/d/A.TXT", false},
        {Condition(kRestrict, "*", "*", {"Docs"}), "/d/A.BMP", true},
        {Condition(kPass, "*", "*", {}), "/d/A.TXT", false},
        {Condition(kRestrict, "*", "*", {}), "/d/A.TXT", true},
        {Condition(kRestrict, "*", "*", {}), "/d/README", false},
        {Condition(kPass, "a*", "*", {"Docs"}), "/d/b.txt", false},  // the name mask still applies
        {Condition(kPass, "*", "TXT", {"Pictures"}), "/d/x.jpg", true},  // the extension field is out of play
        {Condition(kPass, "*", "*", {"pictures"}), "/d/x.Jpg", true},
        {Condition(kPass, "*", "*", {"Docs", "Pictures"}), "/d/x.jpeg", true},
        {Condition(kPass, "*", "*", {"Empty"}), "/d/x.", false},  // an empty extension list names nothing
        {Condition(kPass, "*", "*", {"Gone"}), "/d/x.txt", false},
        {Condition(kPass, "*", "*", {"*"}), "/d/a.tar.gz", true},
    };
    for (const auto& c : cases) {
        const TMaskTester tester(c.condition, kGroups);
        EXPECT_EQ(tester.Test(c.path), c.passes)
            << c.path << " mode " << static_cast<int>(c.condition.Mode) << " masks " << c.condition.ComposedMask();
    }
}

TEST(MaskCondition, WithoutConditionEveryFilePasses)
{
    EXPECT_TRUE(TMaskTester().Test("/d/README"));
}

TEST(MaskCondition, AnInvalidMaskFailsEveryFileWithItsMessage)
{
    const TMaskCondition condition = Condition(kMask, "X[", "*");
    EXPECT_EQ(condition.MaskError(), "'X[.*' is an invalid mask at (5)");
    const TMaskTester tester(condition, kGroups);
    for (const char* path : {"/d/X[.TXT", "/d/A.TXT"})
        EXPECT_THROW(tester.Test(path), EInvalidMask) << path;
    EXPECT_EQ(Condition(kMask, "*", "*").MaskError(), std::nullopt);
    // The group modes do not use the extension field, so an error there does not count.
    EXPECT_EQ(Condition(kPass, "*", "[").MaskError(), std::nullopt);
}

TEST(MaskCondition, ReadsStringsAgainstTheGroupsOfNow)
{
    const TMaskCondition shown = Condition(kMask, "shown*", "LASTEXT");
    const struct {
        TConditionStrings strings;
        TMaskCondition expected;
    } cases[] = {
        {{}, Condition(kMask, "shown*", "LASTEXT")},
        {{"Use file mask"}, Condition(kMask, "shown*", "LASTEXT")},
        {{"use FILE mask", "a*"}, Condition(kMask, "a*", "LASTEXT")},
        {{"Pass selected groups", "*", "*", "docs", "Gone"}, Condition(kPass, "*", "*", {"Docs"})},
        {{"Restrict selected groups", "*", "*", "Pictures", "Docs"}, Condition(kRestrict, "*", "*", {"Docs", "Pictures"})},
        {{"No such mode", "*", "TXT"}, Condition(kMask, "*", "TXT")},
        // Group names count from string 3 on only: one named like a mask is checked when listed there.
        {{"Pass selected groups", "*", "*"}, Condition(kPass, "*", "*")},
        {{"Pass selected groups", "*", "*", "*"}, Condition(kPass, "*", "*", {"*"})},
        {{"Pass selected groups", "Docs", "*"}, Condition(kPass, "Docs", "*")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TMaskCondition::FromStrings(c.strings, kGroups, shown), c.expected)
            << (c.strings.empty() ? "no strings" : c.strings.front());
}

TEST(MaskCondition, StringsReadBackAsTheSameCondition)
{
    for (const auto& condition : {Condition(kMask, "a*", "txt"), Condition(kPass, "*", "*", {"Docs", "*"}),
                                  Condition(kRestrict, "*", "*", {"Pictures"})}) {
        TConditionStrings strings = condition.Lines();
        strings.insert(strings.begin(), condition.Description());
        EXPECT_EQ(TMaskCondition::FromStrings(strings, kGroups, {}), condition) << strings.front();
    }
    EXPECT_EQ(Condition(kRestrict, "*", "*", {"Docs"}).Lines(), (TConditionStrings{"*", "*", "Docs"}));
}

TEST(MaskCondition, GroupsSharingANameAreCheckedTogether)
{
    const std::vector<TFileGroup> groups = {{"Mixed", "doc"}, {"Other", "png"}, {"MIXED", "txt"}};
    const auto condition = TMaskCondition::FromStrings({"Pass selected groups", "*", "*", "mixed"}, groups, {});
    EXPECT_EQ(condition.CheckedGroups, (std::vector<std::string>{"Mixed", "MIXED"}));
    const TMaskTester tester(condition, groups);
    EXPECT_TRUE(tester.Test("/a.txt"));
    EXPECT_TRUE(tester.Test("/a.doc"));
    EXPECT_FALSE(tester.Test("/a.png"));
}

} // namespace

namespace {

TEST(MaskCondition, SaysWhyANameIsRefused)
{
    const struct {
        TMaskCondition condition;
        const char* path;
        std::string why;
    } cases[] = {
        {Condition(kMask, "*", "txt"), "/d/README", "the name has no extension, and the mask \"*.txt\" needs one"},
        {Condition(kMask, "*", "txt"), "/d/notes.doc", "the name does not match the mask \"*.txt\""},
        {Condition(kMask, "*", "txt"), "/d/notes.txt", ""},
        {Condition(kPass, "a*", "*", {"Docs"}), "/d/b.txt", "the name does not match the mask \"a*.*\""},
        {Condition(kPass, "*", "*", {"Docs", "Pictures"}), "/d/x.gif",
         "the extension \"GIF\" is in none of the groups checked (Docs, Pictures)"},
        {Condition(kPass, "*", "*", {}), "/d/x.gif", "the extension \"GIF\" is in none of the groups checked (none is checked)"},
        {Condition(kPass, "*", "*", {"Docs"}), "/d/x.", "the name has no extension, and only the extensions of the groups checked pass"},
        {Condition(kRestrict, "*", "*", {"Docs", "Pictures"}), "/d/x.Jpg",
         "the extension \"JPG\" is in the group \"Pictures\", which is left out"},
        {Condition(kRestrict, "*", "*", {"Docs"}), "/d/x.bmp", ""},
    };
    for (const auto& c : cases) {
        const TMaskTester tester(c.condition, kGroups);
        EXPECT_EQ(tester.WhyRefused(c.path), c.why) << c.path;
        EXPECT_EQ(tester.Test(c.path), c.why.empty()) << c.path << ": a reason exactly for a refusal";
    }
    EXPECT_EQ(TMaskTester(Condition(kMask, "[a", "*"), kGroups).WhyRefused("/d/a.txt"), "") << "the error says it";
}

} // namespace
