#include "plugins/plugin_host.h"

#include "TempTree.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

namespace {

// Counts its unloads in a log shared by the test; may fail on its way out.
class FakeCartridge : public TListedCartridge {
public:
    FakeCartridge(std::vector<std::string>& log, std::string name, bool failsToUnload = false)
        : log_(log), name_(std::move(name)), failsToUnload_(failsToUnload) {}
    std::string CallSetUp() override { return ""; }
    bool UnloadDll() override
    {
        log_.push_back("unload " + name_);
        if (failsToUnload_)
            throw std::runtime_error("plug-in failure");
        return true;
    }
    std::string GetCrtrName() override { return name_; }
    bool AcceptFile(const std::string& path) override { return path.ends_with(".pdf"); }
    std::string GetContext(const std::string&) override { return "text of " + name_; }

private:
    std::vector<std::string>& log_;
    std::string name_;
    bool failsToUnload_;
};

class FakeLoader : public TLibraryLoader {
public:
    explicit FakeLoader(std::vector<std::string>& log) : log_(log) {}
    std::vector<TLoadedCartridge> LoadCartridges(const std::string& folder) override
    {
        folders.push_back(folder);
        std::vector<TLoadedCartridge> loaded;
        loaded.push_back({"A", "liba.so", std::make_unique<FakeCartridge>(log_, "A", true)});
        loaded.push_back({"broken", "libbroken.so", nullptr});
        loaded.push_back({"B", "libb.so", std::make_unique<FakeCartridge>(log_, "B")});
        return loaded;
    }
    std::vector<TLoadedCkreller> LoadCustomKrellers(const std::string& folder) override
    {
        folders.push_back(folder);
        return {};
    }
    std::vector<std::string> folders;

private:
    std::vector<std::string>& log_;
};

TEST(PluginHost, OwnsWhatTheLoaderFindsAndUnloadsEachOnce)
{
    std::vector<std::string> log;
    FakeLoader loader(log);
    {
        TPluginHost host;
        host.LoadPlugins(loader, "../context_crtrs", "../custom_krellers");
        EXPECT_EQ(loader.folders, (std::vector<std::string>{"../context_crtrs", "../custom_krellers"}));
        ASSERT_EQ(host.Cartridges().size(), 2u) << "an entry without a wrapper is no plug-in";
        EXPECT_EQ(host.Cartridges()[1].FileName, "libb.so");
        const std::vector<TNoxCrtr_context*> cartridges = host.ContextCartridges();
        ASSERT_EQ(cartridges.size(), 2u);
        EXPECT_TRUE(cartridges[0]->AcceptFile("/x/a.pdf"));
        EXPECT_EQ(cartridges[1]->GetContext("/x/a.pdf"), "text of B");

        host.UnloadAll();
        EXPECT_TRUE(host.Cartridges().empty());
    }
    // A plug-in failing to unload stops neither the others nor the host's own end.
    EXPECT_EQ(log, (std::vector<std::string>{"unload A", "unload B"}));
}

} // namespace

namespace {

TEST(PluginFolderList, AnInstalledCopyAlsoReadsTheUsersOwnFoldersAfterItsOwn)
{
    const auto writable = [](const std::string&) { return true; };
    const auto readOnly = [](const std::string& dir) { return dir != "/usr/lib/filekreller"; };
    const TPluginFolders built = PluginFoldersOf("/work/build/bin", "/home/u/.local/share", writable);
    EXPECT_EQ(built.Cartridges, (std::vector<std::string>{"/work/build/context_crtrs"}));
    EXPECT_EQ(built.CustomKrellers, (std::vector<std::string>{"/work/build/custom_krellers"}));
    const TPluginFolders installed = PluginFoldersOf("/usr/lib/filekreller/bin", "/home/u/.local/share", readOnly);
    EXPECT_EQ(installed.Cartridges, (std::vector<std::string>{"/usr/lib/filekreller/context_crtrs",
                                                              "/home/u/.local/share/FileKreller/context_crtrs"}));
    EXPECT_EQ(installed.CustomKrellers, (std::vector<std::string>{"/usr/lib/filekreller/custom_krellers",
                                                                  "/home/u/.local/share/FileKreller/custom_krellers"}));
    EXPECT_EQ(PluginFoldersOf("/usr/lib/filekreller/bin", "", readOnly).Cartridges.size(), 1u);
}

TEST(PluginFolderList, EveryFolderIsReadInOrderButOnlyTheFirstIsMade)
{
    TempTree tree;
    std::vector<std::string> log;
    FakeLoader loader(log);
    TPluginHost host;
    const TPluginFolders folders{{tree.Path("own/context_crtrs"), tree.Path("user/context_crtrs")},
                                 {tree.Path("own/custom_krellers"), tree.Dir("user/custom_krellers")}};
    host.LoadPlugins(loader, folders);
    EXPECT_EQ(loader.folders, (std::vector<std::string>{tree.Path("own/context_crtrs"), tree.Path("own/custom_krellers"),
                                                        tree.Path("user/custom_krellers")}));
    EXPECT_FALSE(platform::PathExists(tree.Path("user/context_crtrs"))) << "the user's own folder is not made";
    EXPECT_EQ(host.Folders().CustomKrellers, folders.CustomKrellers);
}

// GET_CONTEXT_FILE's answer: how the text was made, its offset, its file; anything else is no text.
TEST(ContextFileAnswer, ReadOnlyInItsOwnForm)
{
    struct Case {
        std::string answer;
        std::optional<TContextFile> file;
    };
    const Case cases[] = {
        {"WHOLE\n64\n/cache/a b\nc", TContextFile{"/cache/a b\nc", 64, TTextLimit::None}},
        {"TIME LIMIT\n0\n/t", TContextFile{"/t", 0, TTextLimit::Time}},
        {"SIZE LIMIT\n12\n/t", TContextFile{"/t", 12, TTextLimit::Size}},
        {"", TContextFile{}},
        {"WHOLE\n64\n", std::nullopt},
        {"WHOLE\n\n/t", std::nullopt},
        {"WHOLE\n6x\n/t", std::nullopt},
        {"WHOLE\n-1\n/t", std::nullopt},
        {"whole\n64\n/t", std::nullopt},
        {"some text a cartridge gave instead", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        const std::optional<TContextFile> file = ParseContextFileAnswer(c.answer);
        ASSERT_EQ(file.has_value(), c.file.has_value());
        if (file) {
            EXPECT_EQ(file->Path, c.file->Path);
            EXPECT_EQ(file->Offset, c.file->Offset);
            EXPECT_EQ(file->Limit, c.file->Limit);
        }
    }
}

} // namespace
