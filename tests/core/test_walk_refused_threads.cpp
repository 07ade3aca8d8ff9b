// A user at the limit of processes gets no thread for the walk's workers: the search still runs,
// as without them, and finds what it finds with them. (Not in the ThreadSanitizer build, whose
// runtime wants threads of its own.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "ChildProcess.h"
#include "TempTree.h"
#include "core/SearchWalk.h"

namespace {

class FoundHost : public TWalkHost {
public:
    std::vector<std::string> found;

    void LetEventsRun() override {}
    bool DirectoryPasses(const FileEntry&, const std::string&) override { return true; }
    bool FilePassesKrellers(const FileEntry&, const std::string&) override { return true; }
    void AddFoundFile(const FileEntry&, const std::string& path) override { found.push_back(path); }
};

struct TWalked {
    std::int64_t entries = 0;
    std::vector<std::string> found;  // sorted
    bool operator==(const TWalked&) const = default;
};

TWalked Walk(const std::string& root, unsigned workers, TSearchWalk::TLookAhead lookAhead)
{
    FoundHost host;
    TSearchWalk walk(host);
    walk.Workers = workers;
    walk.LookAhead = lookAhead;
    walk.ScanDirectory(root);
    std::sort(host.found.begin(), host.found.end());
    return {walk.TotalCount, std::move(host.found)};
}

TEST(RefusedThreads, TheWalkGoesOnAloneAndFindsWhatItFindsWithWorkers)
{
    TempTree tree;
    tree.File("a/one.txt");
    tree.File("a/b/two.txt");
    tree.File("c/three.txt");
    // Longer than the walk reads alone: the rest would go to the workers.
    FoundHost unused;
    const std::size_t readAlone = TSearchWalk(unused).NamesReadAlone;
    for (std::size_t i = 0; i < readAlone + 10; ++i)
        tree.File("wide/f" + std::to_string(i));
    chmod(tree.Root().c_str(), 0755);
    const TWalked expected = Walk(tree.Root(), 0, TSearchWalk::TLookAhead::AtOnce);
    ASSERT_EQ(expected.found.size(), readAlone + 13);

    for (const TSearchWalk::TLookAhead lookAhead : {TSearchWalk::TLookAhead::AtOnce, TSearchWalk::TLookAhead::WhenWaiting}) {
        const auto answer = RunInChild([&]() -> std::optional<std::string> {
            if (!DropPrivileges() || !RefuseNewThreads())
                return std::nullopt;
            const TWalked walked = Walk(tree.Root(), 16, lookAhead);
            return walked == expected ? std::string("the same")
                                      : std::to_string(walked.entries) + " entries, " + std::to_string(walked.found.size()) + " found";
        });
        if (!answer)
            GTEST_SKIP() << "the system cannot be made to refuse threads here";
        EXPECT_EQ(*answer, "the same");
    }
}

} // namespace
