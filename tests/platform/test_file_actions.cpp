// Trash, rename without replacing and the properties of files of every kind, on the real system.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "TempTree.h"
#include "platform/FileActions.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"

namespace {

std::string DataHome()
{
    const char* home = std::getenv("XDG_DATA_HOME");
    return home ? home : "";
}

// The error text of action, empty when it did not throw.
std::string FailureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}

TEST(FileProperties, EachKindOfFileIsDescribedItselfWithoutOpeningIt)
{
    TempTree tree;
    const std::string text = tree.File("notes.txt", "hello world\n");
    const std::string dir = tree.Dir("folder");
    const std::string link = tree.Path("link");
    ASSERT_EQ(symlink("notes.txt", link.c_str()), 0);
    const std::string dangling = tree.Path("dangling");
    ASSERT_EQ(symlink("/nonexistent/target", dangling.c_str()), 0);
    const std::string fifo = tree.Path("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0640), 0);  // opening it to read would block the test

    struct Case {
        std::string path;
        std::string contentType;
        std::int64_t size;
        std::optional<std::string> target;
    };
    for (const Case& c : {Case{text, "text/plain", 12, std::nullopt},
                          Case{dir, "inode/directory", -1, std::nullopt},
                          Case{link, "inode/symlink", 9, "notes.txt"},
                          Case{dangling, "inode/symlink", 19, "/nonexistent/target"},
                          Case{fifo, "inode/fifo", 0, std::nullopt}}) {
        SCOPED_TRACE(c.path);
        const platform::TFileProperties properties = platform::ReadFileProperties(c.path);
        EXPECT_EQ(properties.ContentType, c.contentType);
        EXPECT_FALSE(properties.TypeDescription.empty());
        if (c.size >= 0) {
            EXPECT_EQ(properties.Size, c.size);
        }
        EXPECT_EQ(properties.LinkTarget, c.target);
        EXPECT_TRUE(properties.Modified.Known && properties.Accessed.Known && properties.Changed.Known);
        EXPECT_EQ(properties.OwnerId, geteuid());
        EXPECT_FALSE(properties.OwnerName.empty());
        EXPECT_FALSE(properties.GroupName.empty());
    }
    EXPECT_EQ(platform::ReadFileProperties(fifo).Mode & 07777u, 0640u);
    EXPECT_NE(FailureOf([&] { platform::ReadFileProperties(tree.Path("missing")); }).find("No such file"), std::string::npos);
}

TEST(Rename, NeverReplacesAFileThatHasTheNewName)
{
    TempTree tree;
    const std::string from = tree.File("a.txt", "a");
    const std::string taken = tree.File("b.txt", "b");
    EXPECT_NE(FailureOf([&] { platform::RenameWithoutReplacing(from, taken); }).find("File exists"), std::string::npos);
    EXPECT_EQ(tree.Read("a.txt"), "a");
    EXPECT_EQ(tree.Read("b.txt"), "b");
    EXPECT_EQ(FailureOf([&] { platform::RenameWithoutReplacing(from, tree.Path("c.txt")); }), "");
    EXPECT_EQ(tree.Read("c.txt"), "a");
    EXPECT_FALSE(platform::SomethingAt(from));
}

TEST(Trash, AFileGoesToTheTrashOfTheTestsOwnDataFolder)
{
    ASSERT_NE(DataHome().find("fk_data_"), std::string::npos) << "the test program keeps a data folder of its own";
    TempTree tree;
    const std::string file = tree.File("to trash.txt", "bye");
    ASSERT_EQ(FailureOf([&] { platform::MoveToTrash(file); }), "");
    EXPECT_FALSE(platform::SomethingAt(file));
    EXPECT_TRUE(platform::SomethingAt(DataHome() + "/Trash/files/to trash.txt"));
    EXPECT_TRUE(platform::SomethingAt(DataHome() + "/Trash/info/to trash.txt.trashinfo"));
}

TEST(Trash, FailuresGiveTheSystemsMessageAndLeaveTheFile)
{
    // /dev/shm is a memory file system for which the desktop keeps no trash.
    struct stat shm {};
    if (stat("/dev/shm", &shm) == 0 && access("/dev/shm", W_OK) == 0) {
        std::string dir = "/dev/shm/fk_trash_XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        const std::string file = dir + "/kept.txt";
        platform::WriteFileAtomically(file, "kept");
        const std::string failure = FailureOf([&] { platform::MoveToTrash(file); });
        EXPECT_NE(failure, "");
        EXPECT_TRUE(platform::SomethingAt(file)) << failure;
        std::filesystem::remove_all(dir);
    }

    // A file in a directory the user may not write, tried by a user without privileges.
    TempTree tree;
    const std::string file = tree.File("locked/kept.txt", "kept");
    chmod(tree.Root().c_str(), 0755);
    chmod(tree.Path("locked").c_str(), 0555);
    const auto answer = RunInChild([&]() -> std::optional<std::string> {
        if (!DropPrivileges())
            return std::nullopt;
        return FailureOf([&] { platform::MoveToTrash(file); }) + "|" +
               FailureOf([&] { platform::RenameWithoutReplacing(file, tree.Path("locked/new.txt")); });
    });
    chmod(tree.Path("locked").c_str(), 0755);
    if (!answer)
        GTEST_SKIP() << "cannot run as a user without privileges here";
    EXPECT_NE(answer->find("Permission denied|"), std::string::npos) << *answer;
    EXPECT_NE(answer->find("|" + tree.Path("locked/new.txt") + ": Permission denied"), std::string::npos) << *answer;
    EXPECT_TRUE(platform::SomethingAt(file));
}

} // namespace
