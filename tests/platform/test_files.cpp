#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "TempTree.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"

namespace {

std::vector<std::string> NamesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const FileEntry& entry : platform::ListDirectory(dir))
        if (entry.Name != "." && entry.Name != "..")
            names.push_back(entry.Name);
    std::sort(names.begin(), names.end());
    return names;
}

// The id of a process that has ended.
pid_t EndedProcess()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

TEST(WriteFileAtomically, WritesKilledAtRandomMomentsLeaveNoTemporaryFiles)
{
    TempTree tree;
    const std::string target = tree.Path("list.txt");
    const std::string content(2 << 20, 'x');
    platform::WriteFileAtomically(target, content);
    std::mt19937 random(15);
    constexpr int kKills = 100;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t writer = fork();
        if (writer == 0) {
            for (;;)
                platform::WriteFileAtomically(target, content);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
        EXPECT_EQ(tree.Read("list.txt"), content) << "never half written";
    }
    // A writer killed between naming its finished file and the rename leaves that name behind
    // (a window of a few instructions); the next write removes it, as the program's next save does.
    platform::WriteFileAtomically(target, content);
    EXPECT_EQ(NamesIn(tree.Root()), std::vector<std::string>{"list.txt"});
}

TEST(WriteFileAtomically, RemovesOnlyTheStaleTemporaryFilesOfItsOwnTarget)
{
    TempTree tree;
    const std::string dead = std::to_string(EndedProcess());
    struct Case { std::string name; bool stays; };
    const Case cases[] = {
        {".list.txt.tmp-" + dead + "-3", false},
        {".list.txt.tmp-" + dead + "-u12", false},
        {".list.txt.tmp-1-4", true},           // its writer still runs
        {".other.txt.tmp-" + dead + "-1", true},  // another target's
        {".list.txt.tmp-x-1", true},           // not a name the program makes
        {"list.txt.tmp-" + dead + "-1", true},
    };
    for (const Case& c : cases)
        tree.File(c.name, "old");
    tree.Dir(".list.txt.tmp-" + dead + "-9");  // only files are removed
    platform::WriteFileAtomically(tree.Path("list.txt"), "new");
    for (const Case& c : cases)
        EXPECT_EQ(platform::PathExists(tree.Path(c.name)), c.stays) << c.name;
    EXPECT_TRUE(platform::PathExists(tree.Path(".list.txt.tmp-" + dead + "-9")));
    EXPECT_EQ(tree.Read("list.txt"), "new");
}

TEST(WriteFileAtomically, KeepsPermissionsAndWritesThroughALink)
{
    TempTree tree;
    const std::string real = tree.File("real.set", "old");
    chmod(real.c_str(), 0640);
    ASSERT_EQ(symlink("real.set", tree.Path("link.set").c_str()), 0);
    platform::WriteFileAtomically(tree.Path("link.set"), "new");
    struct stat info {};
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(tree.Read("real.set"), "new");
    EXPECT_EQ(NamesIn(tree.Root()), (std::vector<std::string>{"link.set", "real.set"}));
}

} // namespace
