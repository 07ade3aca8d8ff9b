#include "TempTree.h"
#include "TestPlugins.h"
#include "conditions/ParsFunc.h"
#include "krellers/context_engine.h"
#include "platform/FileSystem.h"
#include "plugins/dll_loader.h"

#include <gtest/gtest.h>

#include <algorithm>

using Lines = std::vector<std::string>;

namespace {

// A program tree: bin/ is the working directory, the plug-in folders lie beside it.
struct PluginFolders : ::testing::Test {
    TempTree tree;
    TestPluginLog log;
    platform::TWorkingDirectoryGuard restore;
    TDllLoader loader{[this] { log.Append("host EVENTS"); }};
    TPluginHost host;

    PluginFolders()
    {
        tree.Dir("bin");
        platform::SetCurrentDirectory(tree.Path("bin"));
    }
    void Load() { host.LoadPlugins(loader, "../context_crtrs", "../custom_krellers"); }

    template <class TLoaded>
    static Lines Listed(const std::vector<TLoaded>& loaded)
    {
        Lines listed;
        for (const TLoaded& crtr : loaded)
            listed.push_back(crtr.Name + " | " + crtr.FileName);
        std::sort(listed.begin(), listed.end());  // the directory's order is the file system's
        return listed;
    }
};

TEST_F(PluginFolders, ListsThePluginsOfEachKindAndShutsDownWhatIsNone)
{
    InstallTestPlugin(tree, "context_crtrs", "cartridge");
    for (const char* name : {"kreller", "kreller_noview", "no_accept", "no_accept_no_shutdown"})
        InstallTestPlugin(tree, "custom_krellers", name);
    InstallTestPlugin(tree, "custom_krellers", "cartridge", "misplaced_cartridge.so");
    tree.File("custom_krellers/x.so", "not a library");
    tree.Dir("custom_krellers/folder.so");

    Load();
    EXPECT_EQ(platform::CurrentDirectory() + "/", tree.Path("bin/"));
    EXPECT_EQ(Listed(host.Cartridges()), (Lines{"Test cartridge | cartridge.so"}));
    EXPECT_EQ(Listed(host.CustomKrellers()),
              (Lines{"Test kreller | kreller.so", "Test kreller_noview | kreller_noview.so"}));
    // The misplaced cartridge got INIT and the handshake while the custom krellers loaded.
    EXPECT_EQ(log.Lines("cartridge"), (Lines{"INIT context_crtrs", "GET_CRTR_NAME", "INIT custom_krellers", "SHUT_DOWN"}));

    host.UnloadAll();
    const struct {
        const char* plugin;
        Lines calls;
    } expected[] = {
        {"kreller", {"INIT custom_krellers", "GET_CRTR_NAME", "SHUT_DOWN"}},
        {"kreller_noview", {"INIT custom_krellers", "GET_CRTR_NAME", "SHUT_DOWN"}},
        {"cartridge", {"INIT context_crtrs", "GET_CRTR_NAME", "INIT custom_krellers", "SHUT_DOWN", "SHUT_DOWN"}},
        {"no_accept", {"SHUT_DOWN"}},  // lacks ACCEPT_FILE: only its SHUT_DOWN runs
        {"no_accept_no_shutdown", {}},
    };
    for (const auto& plugin : expected)
        EXPECT_EQ(log.Lines(plugin.plugin), plugin.calls) << plugin.plugin;
}

TEST_F(PluginFolders, MissingFoldersAreCreatedAndGiveEmptyLists)
{
    Load();
    EXPECT_TRUE(platform::DirectoryExists(tree.Path("context_crtrs")));
    EXPECT_TRUE(platform::DirectoryExists(tree.Path("custom_krellers")));
    EXPECT_TRUE(host.Cartridges().empty());
    EXPECT_TRUE(host.CustomKrellers().empty());
    EXPECT_EQ(platform::CurrentDirectory() + "/", tree.Path("bin/"));
}

TEST_F(PluginFolders, AFolderThatCannotBeMadeGivesNothingAndTheOtherStillLoads)
{
    tree.File("context_crtrs", "a file where the folder should be");
    InstallTestPlugin(tree, "custom_krellers", "kreller");
    Load();
    EXPECT_TRUE(host.Cartridges().empty());
    EXPECT_EQ(host.CustomKrellers().size(), 1u);
    EXPECT_EQ(platform::CurrentDirectory() + "/", tree.Path("bin/"));
}

TEST_F(PluginFolders, HandshakeLetsEventsRunBetweenWaits)
{
    InstallTestPlugin(tree, "custom_krellers", "waiting");
    Load();
    ASSERT_EQ(host.CustomKrellers().size(), 1u);
    host.UnloadAll();
    EXPECT_EQ(log.Lines(), (Lines{"waiting INIT custom_krellers", "waiting GET_CRTR_NAME", "waiting SHUT_DOWN",
                                  "host EVENTS", "waiting SHUT_DOWN", "host EVENTS", "waiting SHUT_DOWN",
                                  "host EVENTS", "waiting SHUT_DOWN"}));
}

// One custom kreller wrapper over a loaded test plug-in.
struct LoadedKreller : PluginFolders {
    TDllCrtr_ckreller& Kreller(const char* name)
    {
        InstallTestPlugin(tree, "custom_krellers", name);
        Load();
        return static_cast<TDllCrtr_ckreller&>(*host.CustomKrellers().at(0).Crtr);
    }
};

TEST_F(LoadedKreller, OnlyTheExactAnswerYMeansYes)
{
    TDllCrtr_ckreller& kreller = Kreller("kreller");
    const struct {
        const char* path;
        bool accepted;
    } cases[] = {
        {"/d/picture.acc", true}, {"/d/answer-Y", true},  {"/d/answer-y", false}, {"/d/answer-Yes", false},
        {"/d/answer-", false},    {"/d/other", false},    {"/d/null", false},     {"/d/throw", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kreller.AcceptFile(c.path), c.accepted) << c.path;
        EXPECT_EQ(kreller.CanShowFile(c.path), c.accepted) << c.path;
    }
}

TEST_F(LoadedKreller, WithoutShowFileNothingIsShownAndAcceptFileIsNotAsked)
{
    TDllCrtr_ckreller& kreller = Kreller("kreller_noview");
    EXPECT_FALSE(kreller.CanShowFile("/d/picture.acc"));
    EXPECT_EQ(log.Lines("kreller_noview"), (Lines{"INIT custom_krellers", "GET_CRTR_NAME"}));
}

TEST_F(LoadedKreller, ConditionTestAndEdit)
{
    TDllCrtr_ckreller& kreller = Kreller("kreller");
    kreller.SendCondition("Names with red\r\nred\r\n");
    EXPECT_TRUE(kreller.FileMeets({}, "/d/red_car.txt"));
    EXPECT_FALSE(kreller.FileMeets({}, "/d/blue_car.txt"));

    unsetenv("FK_TEST_PLUGIN_EDIT");
    EXPECT_EQ(kreller.ShowEdit(), "Names with keep\r\nkeep\r\n");
    setenv("FK_TEST_PLUGIN_EDIT", "", 1);
    EXPECT_EQ(kreller.ShowEdit(), "");
    // An edit that fails in the plug-in leaves the condition it was given.
    setenv("FK_TEST_PLUGIN_EDIT", "throw", 1);
    EXPECT_EQ(kreller.ShowEdit(), "Names with red\r\nred\r\n");
    unsetenv("FK_TEST_PLUGIN_EDIT");
    EXPECT_EQ(log.Lines("kreller")[2], "LOAD_CONDITION Names with red<>red<>");
}

TEST_F(PluginFolders, UnloadedWrappersAnswerNothing)
{
    InstallTestPlugin(tree, "custom_krellers", "kreller");
    TDllCrtr_ckreller kreller;
    ASSERT_TRUE(kreller.LoadDll(tree.Path("custom_krellers/kreller.so")));
    kreller.UnloadDll();
    EXPECT_EQ(kreller.GetCrtrName(), "");
    EXPECT_FALSE(kreller.AcceptFile("/d/picture.acc"));
    EXPECT_FALSE(kreller.FileMeets({}, "/d/x"));
    EXPECT_EQ(log.Lines("kreller").back(), "SHUT_DOWN");
}

TEST_F(PluginFolders, TheExamplePluginPassesNamesByTheirEnding)
{
    InstallTestPlugin(tree, "custom_krellers", FK_EXAMPLE_PLUGIN, "example_kreller.so");
    Load();
    ASSERT_EQ(host.CustomKrellers().size(), 1u);
    TListedCkreller& example = *host.CustomKrellers()[0].Crtr;
    EXPECT_EQ(example.GetCrtrName(), "Example: names ending with");
    const std::string offered = example.ShowEdit();
    EXPECT_EQ(offered, "Names ending with .txt\r\n.txt\r\n");
    example.SendCondition(offered);
    EXPECT_TRUE(example.FileMeets({}, "/d/notes.txt"));
    EXPECT_FALSE(example.FileMeets({}, "/d/notes.txt.bak"));
    EXPECT_FALSE(example.CanShowFile("/d/notes.txt"));
}

TEST_F(PluginFolders, ContextSearchTakesTheTextOfTheFirstCartridgeThatAcceptsTheFile)
{
    InstallTestPlugin(tree, "context_crtrs", "cartridge");
    Load();
    TContextEngine engine{{[] {}, [] { return false; }}};
    TScopedFunction exists(DefaultFunctions(), "EXISTS", [&engine](int count, ExprValue* arguments, ExprValue& result) {
        return engine.Text().Exists(count, arguments, result);
    });
    const TCartridgeText cartridgeText = [this](const std::string& path) { return host.CartridgeText(path); };
    const std::string converted = tree.File("docs/report.acc", "plain words");
    const std::string plain = tree.File("docs/notes.txt", "plain words");
    EXPECT_TRUE(engine.TestFile(converted, "EXISTS('CARTRIDGE TEXT OF REPORT')", cartridgeText));
    EXPECT_FALSE(engine.TestFile(converted, "EXISTS('PLAIN')", cartridgeText));
    EXPECT_TRUE(engine.TestFile(plain, "EXISTS('PLAIN')", cartridgeText));
    EXPECT_EQ(log.Lines("cartridge"), (Lines{"INIT context_crtrs", "GET_CRTR_NAME", "ACCEPT_FILE report.acc",
                                             "GET_CONTEXT report.acc", "ACCEPT_FILE report.acc",
                                             "GET_CONTEXT report.acc", "ACCEPT_FILE notes.txt"}));
}

} // namespace
