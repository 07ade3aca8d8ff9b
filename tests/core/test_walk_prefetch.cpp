// The workers' listing as the walk takes it: every entry once, in listing order, with the last
// batch known as the last, so that the walk does not ask again for the end.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "TempTree.h"
#include "core/walk_prefetch.h"

namespace {

// The names a directory listing gives, in its own order, dot names included.
std::vector<std::string> ListedNames(const std::string& dir)
{
    const platform::TDirectoryHandle handle = platform::TDirectoryHandle::Open(dir);
    std::vector<platform::TListedName> listed;
    while (platform::ReadNameBatch(handle, listed)) {
    }
    std::vector<std::string> names;
    for (const platform::TListedName& name : listed)
        names.push_back(name.Name);
    return names;
}

// A directory read whole in one piece is known to be done with its only batch; a longer one may
// be known to be done only after its last batch was handed over, and then ends with End alone.
TEST(WalkPrefetch, HandsEveryEntryOnceInListingOrderAndTellsTheLastBatch)
{
    constexpr int kFull = static_cast<int>(TWalkPrefetch::kBatchNames) - 2;  // with the dot names
    struct Case { int files; bool lastKnown; };
    // None but the dot names, one batch, one batch full, one name over, and many batches.
    for (const Case c : {Case{0, true}, Case{10, true}, Case{kFull - 1, true}, Case{kFull + 1, false},
                         Case{700, false}}) {
        const int files = c.files;
        SCOPED_TRACE(files);
        TempTree tree;
        tree.Dir("d");
        for (int i = 0; i < files; ++i)
            tree.File("d/f" + std::to_string(i));
        TWalkPrefetch prefetch(4, std::size_t{64} << 20);
        const TWalkPrefetch::TNodePtr node = prefetch.Adopt(platform::TDirectoryHandle::Open(tree.Path("d")));

        std::vector<std::string> taken;
        int lastBatches = 0;
        for (;;) {
            std::vector<FileEntry> entries;
            std::int64_t unknown = 0;
            const TWalkPrefetch::TBatch batch =
                prefetch.NextBatch(*node, entries, unknown, std::chrono::milliseconds(100));
            ASSERT_EQ(unknown, 0);
            if (batch == TWalkPrefetch::TBatch::Pending)
                continue;
            if (batch == TWalkPrefetch::TBatch::End)
                break;
            ASSERT_EQ(lastBatches, 0) << "a batch came after the last";
            for (const FileEntry& entry : entries)
                taken.push_back(entry.Name);
            if (batch == TWalkPrefetch::TBatch::Last)
                ++lastBatches;
        }
        if (c.lastKnown)
            EXPECT_EQ(lastBatches, 1);
        else
            EXPECT_LE(lastBatches, 1);
        EXPECT_EQ(taken, ListedNames(tree.Path("d")));
        prefetch.Release(node);
    }
}

} // namespace
