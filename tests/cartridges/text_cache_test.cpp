// The text cache on disk: hits, misses, damage, a deleted folder, eviction of the least used.
#include "TempTree.h"
#include "cartridges/common/Cartridge.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

const FileKey kKeyA{1, 100, 10, 1000};
const FileKey kKeyB{1, 101, 10, 1000};
const FileKey kKeyC{1, 102, 10, 1000};

std::vector<std::string> EntryPaths(const std::string& directory)
{
    std::vector<std::string> paths;
    for (const auto& entry : fs::directory_iterator(directory))
        paths.push_back(entry.path().string());
    return paths;
}

void AgeAllEntries(const std::string& directory)
{
    const timespec old[2] = {{1000, 0}, {1000, 0}};
    for (const auto& path : EntryPaths(directory))
        ::utimensat(AT_FDCWD, path.c_str(), old, 0);
}

TEST(TextCache, StoredTextComesBackForTheSameKeyOnly)
{
    TempTree tree;
    TextCache cache(tree.Path("cache"), 1 << 20);
    EXPECT_FALSE(cache.Lookup(kKeyA));
    ASSERT_TRUE(cache.Store(kKeyA, "text of A"));
    EXPECT_EQ(cache.Lookup(kKeyA), "text of A");
    const FileKey changed[] = {{2, 100, 10, 1000}, {1, 100, 11, 1000}, {1, 100, 10, 1001}, kKeyB};
    for (const FileKey& key : changed)
        EXPECT_FALSE(cache.Lookup(key));
    ASSERT_TRUE(cache.Store(kKeyA, ""));
    EXPECT_EQ(cache.Lookup(kKeyA), "");
}

TEST(TextCache, AChangedFilesEarlierVersionsLeaveTheCache)
{
    TempTree tree;
    TextCache cache(tree.Path("cache"), 1 << 20);
    const FileKey edited{kKeyA.device, kKeyA.inode, 12, 2000};
    const FileKey sameInodeOtherDevice{2, kKeyA.inode, 10, 1000};
    ASSERT_TRUE(cache.Store(kKeyA, "first words"));
    ASSERT_TRUE(cache.Store(kKeyB, "another file"));
    ASSERT_TRUE(cache.Store(sameInodeOtherDevice, "a file on another disk"));
    ASSERT_TRUE(cache.Store(edited, "edited words"));
    EXPECT_FALSE(cache.Lookup(kKeyA));
    EXPECT_EQ(cache.Lookup(edited), "edited words");
    EXPECT_EQ(cache.Lookup(kKeyB), "another file");
    EXPECT_EQ(cache.Lookup(sameInodeOtherDevice), "a file on another disk");
    EXPECT_EQ(cache.Usage().files, 3u);
}

TEST(TextCache, DamagedEntriesAreMissesAndAreRebuilt)
{
    const std::vector<std::function<void(const std::string&)>> damages = {
        [](const std::string& path) { fs::resize_file(path, fs::file_size(path) - 1); },
        [](const std::string& path) { fs::resize_file(path, 3); },
        [](const std::string& path) {
            std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(-2, std::ios::end);
            f.put('#');
        },
        [](const std::string& path) { std::ofstream(path, std::ios::trunc) << "garbage"; },
    };
    for (std::size_t i = 0; i < damages.size(); ++i) {
        SCOPED_TRACE(i);
        TempTree tree;
        TextCache cache(tree.Path("cache"), 1 << 20);
        ASSERT_TRUE(cache.Store(kKeyA, "original text"));
        damages[i](EntryPaths(tree.Path("cache"))[0]);
        EXPECT_FALSE(cache.Lookup(kKeyA));
        EXPECT_TRUE(EntryPaths(tree.Path("cache")).empty());
        ASSERT_TRUE(cache.Store(kKeyA, "original text"));
        EXPECT_EQ(cache.Lookup(kKeyA), "original text");
    }
}

TEST(TextCache, DeletedFolderIsMadeAgain)
{
    TempTree tree;
    TextCache cache(tree.Path("deep/cache"), 1 << 20);
    ASSERT_TRUE(cache.Store(kKeyA, "a"));
    fs::remove_all(tree.Path("deep"));
    EXPECT_FALSE(cache.Lookup(kKeyA));
    ASSERT_TRUE(cache.Store(kKeyB, "b"));
    EXPECT_EQ(cache.Lookup(kKeyB), "b");
    EXPECT_EQ(cache.Usage().files, 1u);
}

TEST(TextCache, LeastRecentlyUsedEntriesGoFirst)
{
    TempTree tree;
    const std::string text(1000, 'x');
    // Room for two entries of this size, not three; eviction goes down to three quarters.
    TextCache cache(tree.Path("cache"), 3000);
    ASSERT_TRUE(cache.Store(kKeyA, text));
    ASSERT_TRUE(cache.Store(kKeyB, text));
    AgeAllEntries(tree.Path("cache"));
    ASSERT_TRUE(cache.Lookup(kKeyA));
    ASSERT_TRUE(cache.Store(kKeyC, text));
    EXPECT_TRUE(cache.Lookup(kKeyA));
    EXPECT_FALSE(cache.Lookup(kKeyB));
    EXPECT_TRUE(cache.Lookup(kKeyC));
    EXPECT_LE(cache.Usage().bytes, 3000u);
}

TEST(TextCache, TextLargerThanTheWholeCacheIsNotStored)
{
    TempTree tree;
    TextCache cache(tree.Path("cache"), 100);
    EXPECT_FALSE(cache.Store(kKeyA, std::string(200, 'x')));
    EXPECT_EQ(cache.Usage().files, 0u);
}

TEST(TextCache, ClearRemovesEntriesAndLeftoverTemporaryFiles)
{
    TempTree tree;
    TextCache cache(tree.Path("cache"), 1 << 20);
    ASSERT_TRUE(cache.Store(kKeyA, "a"));
    ASSERT_TRUE(cache.Store(kKeyB, "bb"));
    tree.File("cache/.tmp-abcdef", "half written");
    EXPECT_EQ(cache.Usage().files, 2u);
    cache.Clear();
    EXPECT_TRUE(EntryPaths(tree.Path("cache")).empty());
    EXPECT_EQ(cache.Usage().bytes, 0u);
}

TEST(TextCache, FolderFollowsXdgCacheHome)
{
    const char* saved = std::getenv("XDG_CACHE_HOME");
    const std::string restore = saved ? saved : "";
    setenv("XDG_CACHE_HOME", "/somewhere/cache", 1);
    EXPECT_EQ(UserCacheDirectory("pdf_text"), "/somewhere/cache/FileKreller/pdf_text/");
    setenv("XDG_CACHE_HOME", "relative/is/ignored", 1);
    EXPECT_EQ(UserCacheDirectory("pdf_text"), std::string(std::getenv("HOME")) + "/.cache/FileKreller/pdf_text/");
    if (saved)
        setenv("XDG_CACHE_HOME", restore.c_str(), 1);
    else
        unsetenv("XDG_CACHE_HOME");
}

} // namespace

namespace {

TEST(CacheUsageText, CountsAndSizes)
{
    const std::pair<CacheUsage, std::string> cases[] = {
        {{0, 0}, "0 documents, 0.0 KB of 250.0 MB"},
        {{1, 1234}, "1 document, 1.2 KB of 250.0 MB"},
        {{12, 45600}, "12 documents, 45.6 KB of 250.0 MB"},
        {{200, 1500000}, "200 documents, 1.5 MB of 250.0 MB"},
    };
    for (const auto& [usage, text] : cases)
        EXPECT_EQ(CacheUsageText(usage, 250000000), text);
}

} // namespace
