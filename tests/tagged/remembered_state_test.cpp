#include "tagged/remembered_state.h"

#include "tagged/settings_store.h"

#include "TempTree.h"

#include <gtest/gtest.h>

namespace {

TEST(RememberedState, EveryKindOfValueSurvivesTheSettingsFile)
{
    TempTree tree;
    const std::string file = tree.Path("FileKreller.set");
    const std::string oddPath = std::string("/data/caf\xe9 \"x\"/");
    {
        TSettingsStore store(file);
        store.Load();
        TRememberedState state(store.Document(), "MAIN_WINDOW");
        state.SetNumber("SELECTED", -1);
        state.SetSwitch("LIVE", false);
        state.SetSwitch("PATHS", true);
        state.SetNumbers("COLUMNS", {300, 0, -5});
        state.SetText("NAME", "a b %20 <x>");
        state.SetTexts("HISTORY", {oddPath, "*.pdf"});
        ASSERT_TRUE(store.Save());
    }
    TSettingsStore store(file);
    store.Load();
    const TRememberedState state(store.Document(), "MAIN_WINDOW");
    EXPECT_EQ(state.Number("SELECTED", 7), -1);
    EXPECT_FALSE(state.Switch("LIVE", true));
    EXPECT_TRUE(state.Switch("PATHS", false));
    EXPECT_EQ(state.Numbers("COLUMNS"), (std::vector<int>{300, 0, -5}));
    EXPECT_EQ(state.Text("NAME"), "a b %20 <x>");
    EXPECT_EQ(state.Texts("HISTORY"), (std::vector<std::string>{oddPath, "*.pdf"}));
    // The other keys of the file are untouched by the element.
    EXPECT_FALSE(store.DefaultPath().empty());
}

TEST(RememberedState, MissingOrDamagedValuesGiveTheDefault)
{
    TNoxPigger document;
    const TRememberedState none(document, "MAIN_WINDOW");
    EXPECT_EQ(none.Number("X", 5), 5);
    EXPECT_TRUE(none.Switch("X", true));
    EXPECT_FALSE(none.Numbers("X"));
    EXPECT_TRUE(none.Texts("X").empty());
    EXPECT_EQ(document.ChildCount(), 0);  // reading makes nothing

    TRememberedState state(document, "MAIN_WINDOW");
    for (const char* damaged : {"12a", "", " 3", "99999999999", "1,,2", "1,2,", "x"}) {
        state.SetText("V", damaged);
        EXPECT_EQ(state.Number("V", 5), 5) << damaged;
        EXPECT_FALSE(state.Numbers("V")) << damaged;
        EXPECT_TRUE(state.Switch("V", true)) << damaged;
    }
    state.SetText("V", "7");
    EXPECT_EQ(state.Number("V", 5), 7);
}

// A file written before the window remembered anything loads with every default.
TEST(RememberedState, AnOlderSettingsFileStillLoads)
{
    TempTree tree;
    const std::string file = tree.File("FileKreller.set",
                                       "<SETTINGS DEFAULT_PATH=\"/srv/\">\r\n\t<MAIN_KRELLERS CB_DIRS=\"N\">\r\n\t</MAIN_KRELLERS>\r\n</SETTINGS>\r\n");
    TSettingsStore store(file);
    store.Load();
    EXPECT_EQ(store.DefaultPath(), "/srv/");
    const TRememberedState state(store.Document(), "MAIN_WINDOW");
    EXPECT_TRUE(state.Switch("REMEMBER_PATHS", true));
    EXPECT_FALSE(state.Numbers("GEOMETRY"));
}

} // namespace
