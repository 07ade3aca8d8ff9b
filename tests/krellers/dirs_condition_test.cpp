#include "krellers/dirs_condition.h"

#include "TempTree.h"
#include "core/SearchWalk.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(DirsCondition, RefusesExactlyTheListedDirectories)
{
    const TDirsCondition condition = TDirsCondition::FromLines({"/data/tmp/", "/srv/Cache", "/"});
    const struct {
        const char* path;
        bool passes;
    } cases[] = {
        {"/data/tmp", false},
        {"/data/tmp/", false},
        {"/data/tmp2", true},   // not a prefix
        {"/data/TMP", true},    // paths keep their case
        {"/data/tmp/sub", true},  // the walk never gets there: it does not enter /data/tmp
        {"/data/tmp ", true},   // nor are they trimmed
        {"/srv/Cache", false},
        {"/srv/cache", true},
        {"/", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(condition.Passes(c.path), c.passes) << c.path;
}

TEST(DirsCondition, EntriesEndInOneSlashAndAreNotAddedTwice)
{
    TDirsCondition condition = TDirsCondition::FromLines({"/a", "", "/b//", "/a/"});
    EXPECT_EQ(condition.Directories, (std::vector<std::string>{"/a/", "/b/"}));
    EXPECT_EQ(condition.Add("/b"), (TDirsCondition::TAdded{1, false}));
    EXPECT_EQ(condition.Add("/B"), (TDirsCondition::TAdded{2, true}));
    EXPECT_EQ(condition.Lines(), (TConditionStrings{"/a/", "/b/", "/B/"}));
    EXPECT_EQ(TDirsCondition::FromLines(condition.Lines()), condition);
    EXPECT_FALSE(TDirsCondition::FromLines({" "}).HasCondition());
}

// Asks the condition about every directory, as the program's walk host does.
class DirsHost : public TWalkHost {
public:
    explicit DirsHost(const TDirsCondition& condition) : condition_(condition) {}
    std::vector<std::string> found;

    void LetEventsRun() override {}
    bool DirectoryPasses(const FileEntry&, const std::string& path) override { return condition_.Passes(path); }
    bool FilePassesKrellers(const FileEntry&, const std::string&) override { return true; }
    void AddFoundFile(const FileEntry&, const std::string& path) override { found.push_back(path); }

private:
    const TDirsCondition& condition_;
};

std::vector<std::string> Walk(const TempTree& tree, const std::string& start, const TDirsCondition& condition)
{
    DirsHost host(condition);
    TSearchWalk walk(host);
    walk.ScanDirectory(start);
    std::vector<std::string> relative;
    for (const auto& path : host.found)
        relative.push_back(path.substr(tree.Root().size()));
    std::sort(relative.begin(), relative.end());
    return relative;
}

TEST(DirsCondition, TheWalkLeavesOutExcludedSubtrees)
{
    TempTree tree;
    for (const char* file : {"top.txt", "tmp/a.txt", "tmp/sub/b.txt", "tmp2/c.txt", "keep/deep/skip/d.txt", "keep/e.txt"})
        tree.File(file);
    const TDirsCondition condition = TDirsCondition::FromLines({tree.Path("tmp"), tree.Path("keep/deep/skip/")});

    EXPECT_EQ(Walk(tree, tree.Root(), condition), (std::vector<std::string>{"keep/e.txt", "tmp2/c.txt", "top.txt"}));
    // A start path is scanned even when it is listed; only the directories met below it are asked.
    EXPECT_EQ(Walk(tree, tree.Path("tmp"), condition), (std::vector<std::string>{"tmp/a.txt", "tmp/sub/b.txt"}));
    EXPECT_EQ(Walk(tree, tree.Path("keep/deep/skip/"), condition), (std::vector<std::string>{"keep/deep/skip/d.txt"}));
}

} // namespace
