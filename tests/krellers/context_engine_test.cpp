#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "TempTree.h"
#include "core/SearchWalk.h"
#include "krellers/context_engine.h"
#include "platform/Text.h"

using namespace std::string_literals;

namespace {

struct ContextEngineFixture : ::testing::Test {
    TempTree tree;
    int eventRuns = 0;
    bool abandoned = false;
    std::function<void()> onEvents = [] {};
    TContextEngine engine{{[this] { ++eventRuns; onEvents(); }, [this] { return abandoned; }}};
    TCartridgeText noCartridge = [](const std::string&) { return std::nullopt; };

    std::string captured;

    // CAPTURE() keeps the text as the condition sees it and is true.
    ContextEngineFixture()
    {
        engine.Functions().Register("CAPTURE", [this](int, ExprValue*, ExprValue& result) {
            captured = std::string(engine.Text().View());
            result.SetBoolean(true);
            return true;
        });
    }
    bool Test(const std::string& path, std::string_view expression) { return engine.TestFile(path, expression, noCartridge); }
    // The text the condition saw for the file at path.
    std::string SeenText(const std::string& path)
    {
        captured = "(not evaluated)";
        Test(path, "CAPTURE()");
        return captured;
    }
};

TEST_F(ContextEngineFixture, KeywordConditionsOnFiles)
{
    struct Row { std::string content; std::string expression; bool passes; };
    const Row table[] = {
        {"", "!EXISTS('X')", true},             // an empty file lies outside every cloud
        {"", "EXISTS('X')", false},
        {"", "", false},                        // no condition: no file passes
        {"keyword", "", false},
        {"a keyword here", "EXISTS(' KEYWORD ')", true},   // blanks of a keyword are searched for
        {"a keyword.", "EXISTS(' KEYWORD ')", false},
        {"KeyWord", "EXISTS('KEYWORD')", true},
        {"Größe", "EXISTS('GRÖßE')", true},
        {"GRÖSSE", "EXISTS('GRÖßE')", false},  // ß has no upper case of its own length
        {"grösse", "EXISTS('GRÖSSE')", true},
        {"привет, мир", "EXISTS('ПРИВЕТ')", true},
        {std::string(1023, '.') + "k", "EXISTS('.K')", true},  // 1024 bytes, the last one upper-cased too
        {"abc\0def"s, "EXISTS('DEF')", true},   // the text goes on after a zero byte
        {"it's", "EXISTS('IT`S')", false},      // apostrophes of keywords are backquotes
        {"it`s", "EXISTS('IT`S')", true},
        {"keyword", "NULL", false},
        {"keyword", "0", false},
        {"keyword", "256", true},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.expression + " on " + row.content);
        EXPECT_EQ(Test(tree.File("file", row.content), row.expression), row.passes);
        EXPECT_TRUE(engine.Text().Empty());
    }
}

// Two overlapping clouds A and B with pins in "A only" and "A and B": A and not B, or A and B.
TEST_F(ContextEngineFixture, TwoCloudsWithPinsInSeveralRegions)
{
    const std::string condition =
        "((EXISTS('APPLE'))\n && !(EXISTS('PEAR'))) \n|| ((EXISTS('APPLE'))\n && (EXISTS('PEAR')))";
    const std::string outsideBoth = "!(EXISTS('APPLE')) && !(EXISTS('PEAR'))";
    struct Row { const char* content; bool inCondition; bool outside; };
    const Row table[] = {
        {"apple", true, false},
        {"an apple and a pear", true, false},
        {"pear", false, false},
        {"neither", false, true},
        {"APPLEPEAR", true, false},
        {"", false, true},
    };
    for (const Row& row : table) {
        const std::string path = tree.File("fruit", row.content);
        EXPECT_EQ(Test(path, condition), row.inCondition) << row.content;
        EXPECT_EQ(Test(path, outsideBoth), row.outside) << row.content;
    }
}

TEST_F(ContextEngineFixture, TextIsTheUpperCasedFileWhateverTheStepSize)
{
    std::mt19937 random(3);
    std::string content;
    const std::string pieces[] = {"abc", "ä", "€", "𝔞", "\xc3", "\0"s, "zz", "я", "\xe2\x82"};
    for (int i = 0; i < 3000; ++i)
        content += pieces[random() % std::size(pieces)];
    const std::string path = tree.File("mixed", content);
    for (std::size_t step : {1, 2, 3, 5, 7, 1024, 4096, 1 << 20}) {
        engine.StepBytes = step;
        EXPECT_EQ(SeenText(path), platform::UpperCaseLocale(content)) << "step " << step;
    }
}

TEST_F(ContextEngineFixture, KeywordAcrossTwoReads)
{
    const std::string path = tree.File("spanning", std::string(1020, '.') + "keyword" + std::string(100, '.'));
    for (std::size_t step : {1, 2, 3, 1021, 1024, 1 << 20}) {
        engine.StepBytes = step;
        EXPECT_TRUE(Test(path, "EXISTS('KEYWORD')")) << "step " << step;
        EXPECT_TRUE(Test(path, "EXISTS('KEYWORD') && !EXISTS('KEYWORDS')")) << "step " << step;
        EXPECT_FALSE(Test(path, "!EXISTS('KEYWORD') && EXISTS('...')")) << "step " << step;
    }
}

// The first keyword is searched a piece at a time as the file is read: once it decides the
// verdict, the rest of the file is not read; when it does not, the file is read again from its
// start for the others.
TEST_F(ContextEngineFixture, ReadingEndsOnceTheFirstKeywordDecides)
{
    const std::string path = tree.File("long", "keyword" + std::string(100000, '.') + "other");
    engine.PieceBytes = 4096;
    engine.StepBytes = 4096;
    engine.EventInterval = {};
    struct Row { const char* expression; bool passes; bool readWhole; };
    const Row table[] = {
        {"EXISTS('KEYWORD')", true, false},
        {"!EXISTS('KEYWORD')", false, false},
        {"EXISTS('KEYWORD') && EXISTS('OTHER')", true, true},
        {"EXISTS('KEYWORD') && !EXISTS('OTHER')", false, true},
        {"EXISTS('MISSING')", false, true},
    };
    for (const Row& row : table) {
        eventRuns = 0;
        EXPECT_EQ(Test(path, row.expression), row.passes) << row.expression;
        EXPECT_EQ(eventRuns > 20, row.readWhole) << row.expression << ": " << eventRuns << " steps";
    }
}

TEST_F(ContextEngineFixture, FilesWithoutContentOrThatCannotBeOpened)
{
    ASSERT_EQ(::mkfifo(tree.Path("fifo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("nowhere", tree.Path("dangling").c_str()), 0);
    tree.Dir("directory");
    // A FIFO is not opened (that would wait for a writer): its text is empty.
    EXPECT_TRUE(Test(tree.Path("fifo"), "!EXISTS('X')"));
    EXPECT_FALSE(Test(tree.Path("fifo"), "EXISTS('X')"));
    for (const char* name : {"dangling", "directory", "missing"})
        EXPECT_FALSE(Test(tree.Path(name), "!EXISTS('X')")) << name;
}

TEST_F(ContextEngineFixture, GivingUpTheFileFailsItWithoutEvaluating)
{
    // NOSUCH() would raise an error if the condition were evaluated.
    const std::string path = tree.File("big", std::string(100000, 'x'));
    engine.StepBytes = 4096;
    engine.EventInterval = {};
    onEvents = [this] { abandoned = eventRuns == 3; };
    EXPECT_FALSE(Test(path, "NOSUCH()"));
    EXPECT_EQ(eventRuns, 3) << "reading stops once the file is given up";
    EXPECT_TRUE(engine.Text().Empty());

    abandoned = false;
    eventRuns = 0;
    onEvents = [this] { abandoned = eventRuns == 2; };
    TCartridgeText cartridge = [](const std::string&) { return std::string(100000, 'y'); };
    // A keyword beyond ASCII has the text upper-cased, in steps with events between them.
    EXPECT_FALSE(engine.TestFile(path, "EXISTS('Ä') || NOSUCH()", cartridge)) << "upper-casing a cartridge's text";

    abandoned = true;
    EXPECT_FALSE(Test(path, "NOSUCH()")) << "given up before it began";
}

TEST_F(ContextEngineFixture, EventsRunByElapsedTimeNotPerBlock)
{
    const std::string path = tree.File("big", std::string(1 << 20, 'x'));
    engine.StepBytes = 1024;
    engine.EventInterval = std::chrono::hours(1);
    Test(path, "TRUE");
    Test(path, "TRUE");
    EXPECT_EQ(eventRuns, 0) << "2048 blocks read within the hour";
}

TEST_F(ContextEngineFixture, TextIsEmptiedAfterAnError)
{
    const std::string path = tree.File("file", "keyword");
    EXPECT_THROW(Test(path, "NOSUCH()"), EParserError);
    EXPECT_TRUE(engine.Text().Empty());
    TCartridgeText failing = [](const std::string&) -> std::optional<std::string> { throw std::runtime_error("cartridge"); };
    EXPECT_THROW(engine.TestFile(path, "TRUE", failing), std::runtime_error);
    EXPECT_TRUE(engine.Text().Empty());
}

TEST_F(ContextEngineFixture, CartridgeTextTakesThePlaceOfTheFile)
{
    TCartridgeText cartridge = [](const std::string& path) -> std::optional<std::string> {
        if (path.ends_with(".doc"))
            return "converted text";
        return std::nullopt;
    };
    EXPECT_TRUE(engine.TestFile(tree.Path("missing.doc"), "EXISTS('CONVERTED')", cartridge));
    EXPECT_TRUE(engine.TestFile(tree.File("plain.txt", "plain"), "EXISTS('PLAIN')", cartridge));
}

// A cartridge's text may lie in a file from an offset on: what comes before it is not the text,
// also when the file is read a second time for the keywords the first one left open.
TEST_F(ContextEngineFixture, CartridgeTextInAFileFromAnOffset)
{
    const std::string header = "first second " + std::string(50, '.');
    const std::string textFile = tree.File("text", header + "second ...... first");
    TCartridgeText cartridge = [&](const std::string&) {
        TCartridgeContext context;
        context.File = textFile;
        context.Offset = header.size();
        return std::optional<TCartridgeContext>(context);
    };
    engine.PieceBytes = 8;
    struct Row { const char* expression; bool passes; };
    const Row table[] = {
        {"EXISTS('FIRST') && EXISTS('SECOND')", true},   // the second keyword lies before the first
        {"EXISTS('FIRST') && !EXISTS('SECOND')", false},
        {"EXISTS('FIRST SECOND')", false},               // only in the part before the offset
        {"EXISTS('FIRST') && EXISTS('FIRST SECOND')", false},  // nor in the second reading
        {"EXISTS('.SECOND')", false},
    };
    for (const Row& row : table)
        EXPECT_EQ(engine.TestFile(tree.Path("document.odt"), row.expression, cartridge), row.passes) << row.expression;
}

TEST_F(ContextEngineFixture, FileChangingWhileReadGivesTheBytesRead)
{
    const std::string path = tree.File("changing", std::string(10000, 'a'));
    engine.StepBytes = 1000;
    engine.EventInterval = {};
    onEvents = [&] { if (eventRuns == 2) ::truncate(path.c_str(), 2500); };
    EXPECT_EQ(SeenText(path), std::string(2500, 'A'));

    tree.File("changing", std::string(3000, 'a'));
    eventRuns = 0;
    onEvents = [&] { if (eventRuns == 2) tree.File("changing", std::string(9000, 'b')); };
    const std::string seen = SeenText(path);
    EXPECT_EQ(seen.size(), 3000u) << "growth after opening is not read";
}

// A search over a tree with a FIFO in it: the walk and the engine together, as the program runs.
class ContextHost : public TWalkHost {
public:
    explicit ContextHost(TContextEngine& engine) : engine_(engine) {}
    std::vector<std::string> found;
    void LetEventsRun() override {}
    bool DirectoryPasses(const FileEntry&, const std::string&) override { return true; }
    bool FilePassesKrellers(const FileEntry&, const std::string& path) override
    {
        return engine_.TestFile(path, "EXISTS('NEEDLE') || !EXISTS('HAY')", {});
    }
    void AddFoundFile(const FileEntry&, const std::string& path) override { found.push_back(path); }

private:
    TContextEngine& engine_;
};

TEST_F(ContextEngineFixture, SearchOverATreeWithAFifo)
{
    tree.File("a.txt", "hay and a needle");
    tree.File("b.txt", "only hay");
    tree.File("sub/c.txt", "nothing");
    ASSERT_EQ(::mkfifo(tree.Path("sub/fifo").c_str(), 0644), 0);
    ContextHost host(engine);
    TSearchWalk walk(host);
    walk.ScanDirectory(tree.Root());
    std::sort(host.found.begin(), host.found.end());
    EXPECT_EQ(host.found, (std::vector<std::string>{tree.Path("a.txt"), tree.Path("sub/c.txt"), tree.Path("sub/fifo")}));
}

TEST(ContextValue, TrueAndNonZeroNumbersPass)
{
    struct Row { ExprValue value; bool passes; };
    const Row table[] = {
        {ExprValue::MakeBoolean(true), true},
        {ExprValue::MakeBoolean(false), false},
        {ExprValue(), false},
        {ExprValue::MakeInteger(1), true},
        {ExprValue::MakeInteger(0), false},
        {ExprValue::MakeInteger(256), true},  // no low byte alone decides
        {ExprValue::MakeInteger(-1), true},
        {ExprValue::MakeFloat(1.0), true},
        {ExprValue::MakeFloat(0.0), false},
        {ExprValue::MakeFloat(-0.0), false},
        {ExprValue::MakeFloat(std::numeric_limits<double>::quiet_NaN()), false},
        {ExprValue::MakeString("TRUE"), false},
    };
    for (const Row& row : table)
        EXPECT_EQ(ContextValuePasses(row.value), row.passes) << row.value;
}

} // namespace
