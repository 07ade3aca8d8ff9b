#include "tagged/NoxPigger.h"
#include "tagged/NoxUtils.h"

#include "TempTree.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

TNoxPigger* AddChild(TNoxPigger* parent, const std::string& name)
{
    auto* child = new TNoxPigger(parent);
    child->SetName(name);
    return child;
}

// A settings document after some use, built through the tree operations.
void BuildSettingsDocument(TNoxPigger& root)
{
    root.SetName("settings");
    root.SetAttr("DEFAULT_PATH", "/home/ann/");
    AddChild(AddChild(&root, "DONT_SEARCH_IN"), "LIST_ITEM")->SetAttr("VAL", "/proc/");
    AddChild(&root, "MAIN_KRELLERS")->SetAttr("FILESIZE", "N");
    TNoxPigger* group = AddChild(AddChild(&root, "FILE_GROUPS"), "FILE_GROUP");
    group->SetAttr("NAME", "Images 100%");
    AddChild(group, "GI")->SetAttr("EXT", "bmp");
    AddChild(group, "GI")->SetAttr("EXT", "jpg");
}

const std::string kSettingsDocumentText =
    "\r\n<SETTINGS DEFAULT_PATH=\"/home/ann/\">"
    "\r\n\t<DONT_SEARCH_IN>"
    "\r\n\t\t<LIST_ITEM VAL=\"/proc/\"/>"
    "\r\n\t</DONT_SEARCH_IN>"
    "\r\n\t<MAIN_KRELLERS FILESIZE=\"N\"/>"
    "\r\n\t<FILE_GROUPS>"
    "\r\n\t\t<FILE_GROUP NAME=\"Images 100%25\">"
    "\r\n\t\t\t<GI EXT=\"bmp\"/>"
    "\r\n\t\t\t<GI EXT=\"jpg\"/>"
    "\r\n\t\t</FILE_GROUP>"
    "\r\n\t</FILE_GROUPS>"
    "\r\n</SETTINGS>";

std::string Parsed(const std::string& text)
{
    TNoxPigger element;
    element.SetAsText(text);
    return element.GetAsText();
}

std::string AllByteValues()
{
    std::string bytes;
    for (int code = 0; code < 256; ++code)
        bytes += static_cast<char>(code);
    return bytes;
}

// What a file turns a text into: every lone CR and lone LF becomes CR LF.
std::string WithCrLf(const std::string& text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool crLf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (crLf || text[i] == '\r' || text[i] == '\n') {
            result += "\r\n";
            i += crLf ? 1 : 0;
        } else {
            result += text[i];
        }
    }
    return result;
}

} // namespace

TEST(NoxPiggerWriting, SettingsDocumentIsWrittenByteForByte)
{
    TNoxPigger root;
    BuildSettingsDocument(root);
    EXPECT_EQ(root.GetAsText(), kSettingsDocumentText);

    TempTree tree;
    root.SaveToFile(tree.Path("doc.set"));
    EXPECT_EQ(tree.Read("doc.set"), kSettingsDocumentText);

    TNoxPigger loaded;
    loaded.LoadFromFile(tree.Path("doc.set"));
    EXPECT_EQ(loaded.GetAsText(), kSettingsDocumentText);
    EXPECT_EQ(loaded.FindChild("file_groups")->Child(0)->GetAttr("name"), "Images 100%");
}

TEST(NoxPiggerWriting, ContentTextComesFirstAndEndTagGetsItsOwnLine)
{
    TNoxPigger note;
    note.SetName("NOTE");
    note.SetText("a<b");
    EXPECT_EQ(note.GetAsText(), "\r\n<NOTE>a%3Cb\r\n</NOTE>");
    EXPECT_EQ(Parsed(note.GetAsText()), note.GetAsText());

    AddChild(&note, "C")->SetAttr("K", "v");
    EXPECT_EQ(note.GetAsText(), "\r\n<NOTE>a%3Cb\r\n\t<C K=\"v\"/>\r\n</NOTE>");
}

TEST(NoxPiggerWriting, ElementWithoutNameIsLeftOutWithItsChildren)
{
    TNoxPigger root;
    root.SetName("R");
    TNoxPigger* unnamed = new TNoxPigger(&root);
    AddChild(unnamed, "CHILD");
    AddChild(&root, "KEPT");
    EXPECT_EQ(root.GetAsText(), "\r\n<R>\r\n\t<KEPT/>\r\n</R>");
    EXPECT_EQ(unnamed->GetAsText(), "");
}

TEST(NoxPiggerEscaping, EveryByteValueSurvivesInValuesAndText)
{
    TNoxPigger element;
    element.SetName("E");
    element.SetAttr("V", AllByteValues());
    element.SetText(AllByteValues());
    TNoxPigger read;
    read.SetAsText(element.GetAsText());
    EXPECT_EQ(read.GetAttr("V"), AllByteValues());
    EXPECT_EQ(read.Text(), AllByteValues());

    TempTree tree;
    element.SaveToFile(tree.Path("bytes"));
    read.LoadFromFile(tree.Path("bytes"));
    EXPECT_EQ(read.GetAttr("V"), WithCrLf(AllByteValues()));
    EXPECT_EQ(read.Text(), WithCrLf(AllByteValues()));
}

TEST(NoxPiggerEscaping, EachSingleByteSurvivesAlone)
{
    // Alone, a byte is at both ends of the text, where the reader trims blanks.
    for (int code = 0; code < 256; ++code) {
        const std::string byte(1, static_cast<char>(code));
        TNoxPigger element;
        element.SetName("E");
        element.SetAttr("V", byte);
        element.SetText(byte);
        TNoxPigger read;
        read.SetAsText(element.GetAsText());
        EXPECT_EQ(read.GetAttr("V"), byte) << "code " << code;
        EXPECT_EQ(read.Text(), byte) << "code " << code;
    }
}

TEST(NoxPiggerEscaping, EscapesAndTheirLimits)
{
    EXPECT_EQ(EscapeText("\"%<>\x0B\x1F\t\r\n \xE9"), "%22%25%3C%3E%0B%1F\t\r\n \xE9");
    EXPECT_EQ(EscapeContentText(" \ta b\r\n"), "%20%09a b%0D%0A");
    EXPECT_EQ(UnescapeText("%41%4a%zz%4%"), "A%4a%zz%4%");
    EXPECT_EQ(UnescapeText("%%41"), "%A");
}

struct ParseCase {
    const char* input;
    const char* written;
};

class NoxPiggerParsing : public testing::TestWithParam<ParseCase> {};

TEST_P(NoxPiggerParsing, ReadsAsWritten)
{
    EXPECT_EQ(Parsed(GetParam().input), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, NoxPiggerParsing,
    testing::Values(
        ParseCase{"", ""},
        ParseCase{"<item key=\"1\"/>", "\r\n<ITEM KEY=\"1\"/>"},
        ParseCase{"<A b c=\"\" d=x/>", "\r\n<A B=\"\" C=\"\" D=\"x\"/>"},
        ParseCase{"< a\r\n\tk = \"1\"\n  k='2' />", "\r\n<A K=\"1\" K=\"'2'\"/>"},
        ParseCase{"<A v=\" x \" w=\"1\r\n2\"/>", "\r\n<A V=\" x \" W=\"1\r\n2\"/>"},
        ParseCase{"<A v=a\"<b%/>", "\r\n<A V=\"a%22%3Cb%25\"/>"},
        ParseCase{"<a> x </A >", "\r\n<A>x\r\n</A>"},
        ParseCase{"<A>\r\n</A>", "\r\n<A/>"},
        ParseCase{"<A>x<B/> y <C></C>z</A>", "\r\n<A>xyz\r\n\t<B/>\r\n\t<C/>\r\n</A>"},
        ParseCase{"<A>%zz %4 a>b%</A>", "\r\n<A>%25zz %254 a%3Eb%25\r\n</A>"},
        ParseCase{"junk <A/> more <B/>", "\r\n<A/>"},
        ParseCase{"< <A/>", "\r\n<<A/>"},
        ParseCase{"\r\n\t<A/>\r\ntrailing </X>", "\r\n<A/>"}));

struct ErrorCase {
    const char* input;
    const char* message;
    std::size_t position;
};

class NoxPiggerErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(NoxPiggerErrors, NamesFaultAndPosition)
{
    TNoxPigger element;
    try {
        element.SetAsText(GetParam().input);
        FAIL() << "no error for " << GetParam().input;
    } catch (const ENoxPiggerError& error) {
        EXPECT_STREQ(error.what(), GetParam().message);
        EXPECT_EQ(error.Position(), GetParam().position);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, NoxPiggerErrors,
    testing::Values(
        ErrorCase{"   ", "Syntax error", 3},
        ErrorCase{"text", "Syntax error", 1},
        ErrorCase{"<", "Syntax error", 2},
        ErrorCase{"<A", "Syntax error", 2},
        ErrorCase{"<A ", "Syntax error", 3},
        ErrorCase{"<A x", "Syntax error", 4},
        ErrorCase{"<A x=", "Syntax error", 6},
        ErrorCase{"<A x=abc", "Syntax error", 6},
        ErrorCase{"<A x=\"abc/>", "Syntax error", 6},
        ErrorCase{"<A/ >", "Syntax error", 4},
        ErrorCase{"<A>", "Syntax error", 4},
        ErrorCase{"<A>text", "Syntax error", 4},
        ErrorCase{"<A></B>", "Unclosed tag: A", 4},
        ErrorCase{"<A></ A>", "Unclosed tag: A", 4},
        ErrorCase{"<A></AB>", "Unclosed tag: A", 4},
        ErrorCase{"<A></A", "Unclosed tag: A", 4},
        ErrorCase{"<A></A x>", "Unclosed tag: A", 4},
        ErrorCase{"<a><b> </a>", "Unclosed tag: B", 8}));

TEST(NoxPiggerNesting, DeepestAllowedDocumentIsReadAndWritten)
{
    std::string text;
    for (std::size_t i = 0; i < TNoxPigger::MaxNestingDepth; ++i)
        text += "<A>";
    text += "x";
    for (std::size_t i = 0; i < TNoxPigger::MaxNestingDepth; ++i)
        text += "</A>";
    TNoxPigger root;
    root.SetAsText(text);
    TNoxPigger copy;
    copy.Assign(root);
    EXPECT_EQ(Parsed(copy.GetAsText()), root.GetAsText());
}

TEST(NoxPiggerNesting, HostileNestingIsASyntaxErrorWhereTheLimitIsReached)
{
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "<A>";
    TNoxPigger root;
    try {
        root.SetAsText(text);
        FAIL() << "no error";
    } catch (const ENoxPiggerError& error) {
        EXPECT_STREQ(error.what(), "Syntax error");
        EXPECT_EQ(error.Position(), 3 * TNoxPigger::MaxNestingDepth + 1);
    }
}

TEST(NoxPiggerFiles, LineEndsBecomeCrLfAndNulEndsTheText)
{
    std::istringstream mixed(std::string("<A v=\"1\n2\r3\r\n4\"/>\0<B/>", 22));
    TNoxPigger element;
    element.LoadFromStream(mixed);
    EXPECT_EQ(element.GetAttr("V"), "1\r\n2\r\n3\r\n4");

    std::istringstream cut(std::string("<A>\0</A>", 8));
    EXPECT_THROW(element.LoadFromStream(cut), ENoxPiggerError);

    TempTree tree;
    EXPECT_THROW(element.LoadFromFile(tree.Path("missing")), std::runtime_error);
}

TEST(NoxPiggerTree, LevelsFollowTheElementWhenItMoves)
{
    TNoxPigger a, b;
    TNoxPigger* child = AddChild(&a, "C");
    TNoxPigger* grandchild = AddChild(child, "G");
    EXPECT_EQ(grandchild->Level(), 2u);
    EXPECT_EQ(grandchild->Indent(), "\r\n\t\t");

    TNoxPigger* deeper = AddChild(AddChild(&b, "X"), "Y");
    child->SetParent(deeper);
    EXPECT_EQ(a.ChildCount(), 0);
    EXPECT_EQ(deeper->Child(0), child);
    EXPECT_EQ(grandchild->Level(), 4u);

    child->SetParent(nullptr);
    EXPECT_EQ(deeper->ChildCount(), 0);
    EXPECT_EQ(grandchild->Indent(), "\r\n\t");
    EXPECT_THROW(child->SetParent(grandchild), std::invalid_argument);
    delete child;
}

TEST(NoxPiggerTree, DestroyingAndClearingDetach)
{
    TNoxPigger root;
    TNoxPigger* doomed = AddChild(&root, "A");
    AddChild(&root, "B");
    delete doomed;
    ASSERT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(root.Child(0)->Name(), "B");
    EXPECT_EQ(root.Child(1), nullptr);
    EXPECT_EQ(root.Child(-1), nullptr);

    TNoxPigger* inner = AddChild(&root, "C");
    AddChild(inner, "D")->SetText("t");
    inner->SetAttr("K", "v");
    inner->Clear();
    EXPECT_EQ(inner->GetAsText(), "");
    EXPECT_EQ(inner->ChildCount(), 0);
    EXPECT_EQ(inner->Parent(), &root);
    EXPECT_EQ(inner->Level(), 1u);
}

TEST(NoxPiggerTree, ChildrenOfOneNameAreFoundInOrder)
{
    TNoxPigger root;
    for (const char* name : {"gi", "X", "GI", " GI "})
        AddChild(&root, name)->SetAttr("AT", name);
    std::vector<std::string> found;
    for (TNoxPigger* gi = root.FindChild("Gi"); gi; gi = root.FindNextSibling(gi))
        found.push_back(gi->GetAttr("at"));
    EXPECT_EQ(found, (std::vector<std::string>{"gi", "GI", " GI "}));
    EXPECT_EQ(root.FindChild(" gi "), nullptr);
    EXPECT_EQ(root.FindNextSibling(nullptr), nullptr);
}

// Enumerations of two names interleaved, children removed and added between steps: each step
// still finds the next child of its name after the one it is given.
TEST(NoxPiggerTree, EnumerationSurvivesInterleavingAndChangesBetweenSteps)
{
    TNoxPigger root;
    for (const char* name : {"A", "B", "A", "B", "A", "C", "A"})
        AddChild(&root, name)->SetAttr("N", std::to_string(root.ChildCount()));
    TNoxPigger* a = root.FindChild("A");
    TNoxPigger* b = root.FindChild("B");
    std::string order;
    for (; a || b; a = root.FindNextSibling(a), b = root.FindNextSibling(b)) {
        order += a ? a->GetAttr("N") : "-";
        order += b ? b->GetAttr("N") : "-";
    }
    EXPECT_EQ(order, "12345-7-");
    TNoxPigger* second = root.FindNextSibling(root.FindChild("A"));
    delete root.Child(0);            // the first A goes: positions shift under the remembered one
    EXPECT_EQ(root.FindNextSibling(second)->GetAttr("N"), "5");
    AddChild(&root, "A")->SetAttr("N", "8");
    std::string rest;
    for (TNoxPigger* x = root.FindNextSibling(second); x; x = root.FindNextSibling(x))
        rest += x->GetAttr("N");
    EXPECT_EQ(rest, "578");
    TNoxPigger stranger;
    EXPECT_EQ(root.FindNextSibling(&stranger), nullptr);
}

// A value far longer than any text field takes, and bytes that are not UTF-8, are written and
// read back whole.
TEST(NoxPiggerAttributes, LongValuesAndAnyBytesSurviveTheFile)
{
    const std::string longValue = std::string(100000, 'x') + "\xFF\xFE/home/caf\xE9/" + std::string(100000, 'y');
    TNoxPigger root;
    root.SetName("SETTINGS");
    root.SetAttr("DEFAULT_PATH", longValue);
    AddChild(&root, "LIST_ITEM")->SetAttr("VAL", "/srv/\xFF\xFF/");
    TNoxPigger read;
    read.SetAsText(root.GetAsText());
    EXPECT_EQ(read.GetAttr("DEFAULT_PATH"), longValue);
    EXPECT_EQ(read.FindChild("LIST_ITEM")->GetAttr("VAL"), "/srv/\xFF\xFF/");
}

TEST(NoxPiggerAttributes, SetReplacesInPlaceAndEmptyValueDeletes)
{
    TNoxPigger element;
    element.SetName("E");
    element.SetAttr("a", "1");
    element.SetAttr("B", "2");
    element.SetAttr("A", "3");
    EXPECT_EQ(element.GetAsText(), "\r\n<E A=\"3\" B=\"2\"/>");
    element.SetAttr("a", "");
    EXPECT_EQ(element.GetAsText(), "\r\n<E B=\"2\"/>");
    EXPECT_EQ(element.GetAttr("A"), "");
    element.DeleteAttr("b");
    EXPECT_TRUE(element.AttrNames().empty());
}

namespace {

// An element class of its own, to see that hooks are asked and that copies keep classes.
class TNoteElement : public TNoxPigger {
public:
    using TNoxPigger::TNoxPigger;
    TNoxPigger* Create(TNoxPigger* parent) const override { return new TNoteElement(parent); }
    std::vector<std::string> loaded;

protected:
    TNoxPigger* CreateChild(const std::string& tagName) override
    {
        return tagName == "SKIP" ? nullptr : new TNoteElement(this);
    }
    void ChildLoaded(TNoxPigger* child) override { loaded.push_back(child->Name()); }
    bool AcceptText(const std::string& text) override { return text != "drop"; }
};

struct ECustom {};

class TStrictElement : public TNoxPigger {
public:
    bool returnQuietly = false;

protected:
    void RaiseError(const std::string&, std::size_t) override
    {
        if (!returnQuietly)
            throw ECustom{};
    }
};

} // namespace

TEST(NoxPiggerHooks, SkippedChildrenDroppedTextFilteredChildrenReported)
{
    TNoteElement root;
    root.SetAsText("<R>keep<SKIP a=\"1\"><X/></SKIP>drop<B/>also</R>");
    EXPECT_EQ(root.GetAsText(), "\r\n<R>keepalso\r\n\t<B/>\r\n</R>");
    EXPECT_EQ(root.loaded, std::vector<std::string>{"B"});
    EXPECT_NE(dynamic_cast<TNoteElement*>(root.Child(0)), nullptr);
}

TEST(NoxPiggerHooks, RaiseErrorDecidesWhatIsThrown)
{
    TStrictElement element;
    EXPECT_THROW(element.SetAsText("<A>"), ECustom);
    element.returnQuietly = true;
    EXPECT_THROW(element.SetAsText("<A>"), ENoxPiggerError);
}

TEST(NoxPiggerAssign, DeepCopyKeepsClassesAndPlace)
{
    TNoteElement source;
    source.SetAsText("<S K=\"v\">t<C><D/></C></S>");
    TNoxPigger holder;
    TNoxPigger* target = AddChild(&holder, "OLD");
    AddChild(target, "GONE");
    target->Assign(source);
    EXPECT_EQ(target->Parent(), &holder);
    EXPECT_EQ(Parsed(target->GetAsText()), Parsed(source.GetAsText()));
    EXPECT_NE(dynamic_cast<TNoteElement*>(target->Child(0)->Child(0)), nullptr);

    // Into its own subtree: the copy is of the tree as it was.
    TNoxPigger* inner = source.Child(0);
    inner->Assign(source);
    EXPECT_EQ(inner->Name(), "S");
    EXPECT_EQ(inner->Child(0)->Child(0)->Name(), "D");
    EXPECT_EQ(inner->Child(0)->Child(0)->ChildCount(), 0);
}

TEST(NoxPiggerAssign, FromItsOwnSubtreeReplacesTheTreeByThatPart)
{
    TNoxPigger root;
    root.SetAsText("<R K=\"1\"><C L=\"2\">t<D/></C><E/></R>");
    root.Assign(*root.Child(0));
    EXPECT_EQ(root.GetAsText(), "\r\n<C L=\"2\">t\r\n\t<D/>\r\n</C>");

    TNoxPigger* middle = AddChild(AddChild(&root, "M"), "N");
    AddChild(middle, "DEEP")->SetAttr("X", "y");
    root.Child(1)->Assign(*middle->Child(0));
    EXPECT_EQ(root.Child(1)->GetAsText(), "\r\n\t<DEEP X=\"y\"/>");
}
