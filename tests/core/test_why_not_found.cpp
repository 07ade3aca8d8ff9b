#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "TempTree.h"
#include "core/search_summary.h"
#include "core/why_not_found.h"
#include "krellers/kreller_list.h"

namespace {

// A chain kreller that answers by the path, so the chain runs without a dialog.
class PathKreller : public TChainKreller {
public:
    explicit PathKreller(std::function<bool(const std::string&)> test) : test_(std::move(test)) {}
    void LoadCondition(TConditionStrings* strings) override { strings_ = strings; }
    bool EditCondition(TConditionStrings&) override { return false; }
    bool TestFile(const FileEntry&, const std::string& path) override
    {
        lastPath_ = path;
        return test_(path);
    }
    // The text of files named long... was cut by the time limit, of bomb... by the size limit.
    TTextLimit LastTextLimit() const override
    {
        const std::string name = lastPath_.substr(lastPath_.rfind('/') + 1);
        return name.starts_with("long") ? TTextLimit::Time : name.starts_with("bomb") ? TTextLimit::Size : TTextLimit::None;
    }
    TConditionStrings* BoundStrings() const override { return strings_; }
    void UnbindStrings() override { strings_ = nullptr; }
    bool IsPluginKreller() const override { return false; }
    void DetachPlugin() override {}
    bool PluginAcceptsFile(const std::string&) const override { return false; }
    void ShowFileViaPlugin(const std::string&, const TConditionStrings&) override {}

private:
    std::function<bool(const std::string&)> test_;
    TConditionStrings* strings_ = nullptr;
    std::string lastPath_;
};

bool Contains(const std::string& path, const char* part)
{
    return path.find(part) != std::string::npos;
}

struct WhyNotFoundTest : ::testing::Test {
    TempTree tree;
    PathKreller dirs{[](const std::string& path) { return !path.ends_with("/skip"); }};
    PathKreller mask{[](const std::string& path) { return path.ends_with(".txt"); }};
    PathKreller failing{[](const std::string& path) -> bool {
        if (Contains(path, "bad"))
            throw std::runtime_error("mask \"[a\" is not closed");
        return true;
    }};
    TKrellerList chain;
    TKrellerRow* dirsRow = nullptr;

    WhyNotFoundTest()
    {
        dirsRow = &Switch(chain.AppendNativeRow("Directory conditions", &dirs), "Leave out skip");
        Switch(chain.AppendNativeRow("File mask condition", &mask), "*.txt");
        Switch(chain.AppendNativeRow("Context", &failing), "Hand-edited");
        tree.File("top/a.txt");
        tree.File("top/b.doc");
        tree.File("top/bad.txt");
        tree.File("top/long.txt");
        tree.File("top/bomb.doc");
        tree.File("top/skip/deep/c.txt");
        tree.Dir("top/skip/empty");
        chain.LoadKrellerConditions();
    }

    static TKrellerRow& Switch(TKrellerRow& row, const std::string& description)
    {
        row.Strings = {description};
        row.Checked = true;
        return row;
    }

    std::string Why(const std::string& relative, std::vector<std::string> starts = {})
    {
        if (starts.empty())
            starts = {tree.Path("top")};
        return WhyNotFound(tree.Path(relative), starts, chain, dirsRow);
    }
};

TEST_F(WhyNotFoundTest, EachAnswer)
{
    const std::string top = tree.Path("top");
    const struct {
        const char* path;
        std::vector<std::string> starts;
        std::string expected;
    } cases[] = {
        {"top/gone.txt", {}, "\"" + tree.Path("top/gone.txt") + "\" does not exist."},
        {"top/a.txt", {"/nowhere/"}, "\"" + tree.Path("top/a.txt") + "\" is not under any start path."},
        {"top", {}, "\"" + top + "\" is not under any start path."},  // a start path is never a row
        {"top/skip/deep/c.txt", {},
         "\"" + tree.Path("top/skip/deep/c.txt") +
             "\" lies in a directory that the kreller \"Directory conditions\" (Leave out skip) does not enter: \"" +
             tree.Path("top/skip") + "\"."},
        {"top/skip/", {},
         "\"" + tree.Path("top/skip") +
             "\" is a directory that the kreller \"Directory conditions\" (Leave out skip) does not enter."},
        {"top/b.doc", {},
         "\"" + tree.Path("top/b.doc") + "\" is refused by the kreller \"File mask condition\" (*.txt)."},
        {"top/bad.txt", {},
         "\"" + tree.Path("top/bad.txt") +
             "\" is refused by the kreller \"Context\" (Hand-edited), whose test failed: mask \"[a\" is not closed."},
        {"top/a.txt", {}, "\"" + tree.Path("top/a.txt") + "\" passes every kreller: the search finds it."},
        {"top/long.txt", {},
         "\"" + tree.Path("top/long.txt") + "\" passes every kreller: the search finds it. Its text was not searched "
                                           "whole: making it took longer than the time limit."},
        {"top/bomb.doc", {},
         "\"" + tree.Path("top/bomb.doc") + "\" is refused by the kreller \"File mask condition\" (*.txt). Its text "
                                           "was not searched whole: it grew past the size limit."},
        // Started inside the excluded directory, the walk reaches the file.
        {"top/skip/deep/c.txt", {top, tree.Path("top/skip/")},
         "\"" + tree.Path("top/skip/deep/c.txt") + "\" passes every kreller: the search finds it."},
        {"top/skip/empty", {tree.Path("top/skip")},
         "\"" + tree.Path("top/skip/empty") + "\" is a directory: the search enters it but lists only files."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Why(c.path, c.starts), c.expected) << c.path;
}

TEST_F(WhyNotFoundTest, ALinkedDirectoryOnTheWayIsNotEntered)
{
    ASSERT_EQ(symlink(tree.Path("top/skip/deep").c_str(), tree.Path("top/linked").c_str()), 0);
    EXPECT_EQ(Why("top/linked/c.txt"), "\"" + tree.Path("top/linked/c.txt") + "\" lies in \"" +
                                           tree.Path("top/linked") +
                                           "\", a link to a directory, which the search does not enter.");
}

TEST_F(WhyNotFoundTest, AnUncheckedKrellerIsNotAsked)
{
    chain.Row(1).Checked = false;
    EXPECT_EQ(Why("top/b.doc"), "\"" + tree.Path("top/b.doc") + "\" passes every kreller: the search finds it.");
}

// The funnel of the chain the search runs: two file krellers and the Directories kreller.
TEST_F(WhyNotFoundTest, FunnelCountsEveryAnswerInChainOrder)
{
    TKrellerFunnel funnel = chain.StartFunnel(dirsRow);
    ASSERT_EQ(funnel.Stages.size(), 3u);
    FileEntry entry;
    for (const char* path : {"/t/a.txt", "/t/b.doc", "/t/bad.txt", "/t/bad2.txt", "/t/c.txt", "/t/d.jpg"})
        chain.JudgeFile(entry, path, dirsRow, &funnel);
    for (const char* dir : {"/t/skip", "/t/keep"})
        JudgeDirectory(dirsRow, entry, dir, &funnel);

    const auto counts = [](const TFunnelStage& s) { return std::vector<std::int64_t>{s.Asked, s.Refused, s.Failed}; };
    EXPECT_EQ(counts(funnel.Stages[0]), (std::vector<std::int64_t>{2, 1, 0}));  // directories
    EXPECT_EQ(counts(funnel.Stages[1]), (std::vector<std::int64_t>{6, 2, 0}));  // mask
    EXPECT_EQ(counts(funnel.Stages[2]), (std::vector<std::int64_t>{4, 2, 2}));  // what passed the mask
    EXPECT_EQ(funnel.FirstErrorKreller, "Context");
    EXPECT_EQ(funnel.FirstError, "mask \"[a\" is not closed");

    for (TFunnelStage& stage : funnel.Stages)
        stage.Time = std::chrono::milliseconds(1500);
    TRunCounts run;
    run.Examined = 12;
    run.UnreadableDirectories = 1;
    EXPECT_EQ(FunnelText(funnel, run),
              "Entries examined: 12\n"
              "Directories not entered: 1\n"
              "Directories that could not be read: 1\n"
              "Directory conditions: 2 directories asked, 1 not entered, 1.500 s\n"
              "File mask condition: 6 files asked, 2 refused, 1.500 s\n"
              "Context: 4 files asked, 2 refused (2 by errors), 1.500 s\n"
              "First error: Context: mask \"[a\" is not closed");
}

// Files whose text was cut are counted by limit, the first of them by path, whatever the verdict.
TEST_F(WhyNotFoundTest, FilesNotSearchedWholeAreCountedWithTheFirstPaths)
{
    TKrellerFunnel funnel = chain.StartFunnel(dirsRow);
    FileEntry entry;
    std::vector<std::string> paths;
    for (int i = 0; i < 7; ++i)
        paths.push_back("/t/long" + std::to_string(i) + ".txt");
    paths.insert(paths.begin() + 1, {"/t/a.txt", "/t/bomb.txt", "/t/bomb.doc"});
    for (const std::string& path : paths)
        chain.JudgeFile(entry, path, dirsRow, &funnel);
    EXPECT_EQ(funnel.PartlySearched.TimeLimit, 7);
    EXPECT_EQ(funnel.PartlySearched.SizeLimit, 2);
    const std::string text = FunnelText(funnel, TRunCounts{});
    EXPECT_TRUE(text.ends_with("\nNot searched whole: 9 (time limit: 7, size limit: 2)\n"
                               "    /t/long0.txt\n    /t/bomb.txt\n    /t/bomb.doc\n    /t/long1.txt\n    /t/long2.txt\n    ..."))
        << text;
    EXPECT_EQ(FunnelText(chain.StartFunnel(dirsRow), TRunCounts{}).find("Not searched whole"), std::string::npos);
}

} // namespace

namespace {

// A kreller that can tell why it refused: its words follow the kreller's name.
class ReasoningKreller : public PathKreller {
public:
    ReasoningKreller() : PathKreller([](const std::string& path) { return path.ends_with(".txt"); }) {}
    std::string WhyRefused(const FileEntry& entry, const std::string&) const override
    {
        return "the size " + std::to_string(entry.Size) + " bytes is above the upper bound";
    }
};

TEST(WhyNotFoundReason, TheRefusingKrellerSaysWhy)
{
    TempTree tree;
    tree.SizedFile("top/b.doc", 42);
    ReasoningKreller size;
    TKrellerList chain;
    TKrellerRow& row = chain.AppendNativeRow("File size condition", &size);
    row.Strings = {"Size limitation"};
    row.Checked = true;
    chain.LoadKrellerConditions();
    EXPECT_EQ(WhyNotFound(tree.Path("top/b.doc"), {tree.Path("top")}, chain, nullptr),
              "\"" + tree.Path("top/b.doc") +
                  "\" is refused by the kreller \"File size condition\" (Size limitation): the size 42 bytes is above the upper bound.");
}

} // namespace
