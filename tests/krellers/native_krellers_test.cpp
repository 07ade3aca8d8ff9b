#include "krellers/kreller.h"
#include "krellers/native_krellers.h"
#include "plugins/plugin_host.h"
#include "tagged/settings_store.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Every native kreller gets the services it is created with and belongs to the window.
TEST(NativeKrellers, EachIsCreatedWithTheServices)
{
    TSettingsStore store("");
    TPluginHost host;
    TKrellerServices services;
    services.Settings = &store;
    services.Plugins = &host;
    QWidget owner;
    const TNativeKrellers natives = CreateNativeKrellers(services, &owner);
    int created = 0;
    for (TD_kreller* kreller : {natives.Dirs, natives.FileMask, natives.FileSize, natives.FileTime, natives.Context}) {
        if (!kreller)
            continue;
        ++created;
        EXPECT_EQ(kreller->parent(), &owner);
        EXPECT_EQ(kreller->Services().Settings, &store);
        EXPECT_EQ(kreller->Services().Plugins, &host);
    }
    EXPECT_GE(created, 1);
}

TEST(KrellerServices, EmptyServicesAnswerNoAndNeverAbandon)
{
    const TKrellerServices none;
    EXPECT_FALSE(none.AskYes("Delete?"));
    EXPECT_FALSE(none.Abandoned());
    TKrellerServices answering;
    answering.Ask = [](const std::string&) { return true; };
    answering.CurrentFileAbandoned = [] { return true; };
    EXPECT_TRUE(answering.AskYes("Delete?"));
    EXPECT_TRUE(answering.Abandoned());
}

} // namespace
