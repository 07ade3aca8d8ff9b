#pragma once
// The main window as the tests drive it: its own program tree whose bin/ is the working directory,
// a tree to search, and the shared dialogs attached.
#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "ModalDriver.h"
#include "TempTree.h"
#include "core/main.h"
#include "krellers/kreller_size.h"
#include "core/msg.h"
#include "core/sure.h"
#include "krellers/kreller.h"
#include "platform/FileSystem.h"
#include "tagged/settings_store.h"

// A kreller whose test runs what the test says, to look at the window from inside a run.
class ProbeKreller : public TD_kreller {
public:
    std::function<bool(const std::string&)> test = [](const std::string&) { return true; };
    bool TestFile(const FileEntry&, const std::string& path) override { return test(path); }
};

struct WindowTest : ::testing::Test {
    TempTree work;  // the program's own tree: bin/ is the working directory
    TempTree tree;  // what is searched
    platform::TWorkingDirectoryGuard restore;
    TFmain window;
    TFsure sure{&window};
    TDmsg msg{&window};
    TFbreak_scanning breakDialog{&window};

    WindowTest()
    {
        work.Dir("bin");
        platform::SetCurrentDirectory(work.Path("bin"));
        window.AttachDialogs({&sure, &msg, &breakDialog, nullptr, nullptr});
    }

    // Runs action, answering the message it shows; its text, empty when none came.
    std::string MessageOf(const std::function<void()>& action)
    {
        std::string told;
        const QPointer<QTimer> poll = ClickInNextModal("btn_ok", [&](QWidget*) { told = msg.Text().toStdString(); });
        action();
        delete poll.data();
        return told;
    }
};

// The main window with a probe in the File mask row and the File size kreller, searching tree.
struct ProbedWindowTest : WindowTest {
    ProbeKreller probe;
    TD_kreller_size sizeKreller;

    void Activate()
    {
        TNativeKrellers natives;
        natives.FileMask = &probe;
        natives.FileSize = &sizeKreller;
        window.AttachNativeKrellers(natives);
        window.FormActivate();
        window.SetStartPaths({tree.Root()}, 0);
    }
};

// Settings kept in a real settings file, as the program keeps them.
class StoredSettings : public TMainSettings {
public:
    explicit StoredSettings(TSettingsStore& store) : store_(store) {}
    TSettingsStore* Store() override { return &store_; }
    TBuiltInKrellers BuiltInKrellers() override { return store_.BuiltInKrellers(); }
    std::string DefaultPath() override { return store_.DefaultPath(); }
    void SetDefaultPath(const std::string& path) override { store_.SetDefaultPath(path); }
    std::string LastVisit() override { return {}; }
    void SetLastVisit(const std::string&) override {}
    bool ShowSettings(TSettingsUserPage) override { return false; }

private:
    TSettingsStore& store_;
};
