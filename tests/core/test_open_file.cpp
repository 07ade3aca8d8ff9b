#include "core/open_file.h"
#include "core/help_pages.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"
#include "platform/Shell.h"

#include "support/TempTree.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct Dialogs {
    bool Answer = true;
    std::vector<std::string> Questions;
    std::vector<std::string> Messages;

    AskCallback Ask()
    {
        return [this](const std::string& q) {
            Questions.push_back(q);
            return Answer;
        };
    }
    InformCallback Inform()
    {
        return [this](const std::string& m) { Messages.push_back(m); };
    }
};

TEST(OpenFile, FailuresOfThePlatformAreToldWithTheirMessage)
{
    TempTree tree;
    tree.File("present.txt", "x");
    struct Case {
        std::string path;
        std::string message;
    };
    for (const Case& c : {Case{tree.Path("missing.txt"), "The specified file was not found."},
                          Case{tree.Path("no_dir/missing.txt"), "The specified path was not found."},
                          Case{tree.Path("present.txt/below"), "The specified path was not found."}}) {
        Dialogs dialogs;
        OpenFoundFile(c.path, dialogs.Ask(), dialogs.Inform());
        EXPECT_EQ(dialogs.Questions, std::vector<std::string>{"Try to open the file?"});
        EXPECT_EQ(dialogs.Messages, std::vector<std::string>{c.message}) << c.path;
    }
}

TEST(OpenFile, AnUnreadableFileIsDeniedAccess)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may read anything";
    TempTree tree;
    const std::string path = tree.File("secret.txt", "x");
    chmod(path.c_str(), 0);
    Dialogs dialogs;
    OpenFoundFile(path, dialogs.Ask(), dialogs.Inform());
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"The operating system denied access to the specified file."});
}

TEST(OpenFile, NoMeansNothingIsOpened)
{
    Dialogs dialogs;
    dialogs.Answer = false;
    bool opened = false;
    OpenFoundFile("/whatever", dialogs.Ask(), dialogs.Inform(), [&](const std::string&) {
        opened = true;
        return 33;
    });
    EXPECT_FALSE(opened);
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST(OpenFile, ResultsAboveThirtyTwoAreSuccessAndOthersFailures)
{
    struct Case {
        int result;
        std::vector<std::string> messages;
    };
    for (const Case& c : {Case{33, {}}, Case{42, {}},
                          Case{32, {"The specified dynamic-link library was not found."}},
                          Case{0, {"The operating system is out of memory or resources."}},
                          Case{1, {"The operating system is out of memory or resources."}}}) {
        Dialogs dialogs;
        OpenFoundFile("/f", dialogs.Ask(), dialogs.Inform(), [&](const std::string&) { return c.result; });
        EXPECT_EQ(dialogs.Messages, c.messages) << c.result;
    }
}

// The default applications come from the XDG directories; the desktop's application database is
// read once per process, so each of these runs in a fresh process with its own directories.
class DefaultApplications {
public:
    DefaultApplications()
    {
        setenv("HOME", tree_.Dir("home").c_str(), 1);
        setenv("XDG_DATA_HOME", tree_.Dir("home/.local/share").c_str(), 1);
        setenv("XDG_CONFIG_HOME", tree_.Dir("home/.config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", tree_.Dir("etc").c_str(), 1);
        // No system directories: none of the machine's applications, nor its MIME database.
        setenv("XDG_DATA_DIRS", tree_.Dir("share").c_str(), 1);
        setenv("GIO_USE_VFS", "local", 1);
    }
    // Makes desktopId the default for text files, whatever type the name is taken for without a
    // MIME database.
    void RegisterForText(const std::string& desktopId)
    {
        tree_.File("home/.local/share/applications/" + desktopId,
                   "[Desktop Entry]\nType=Application\nName=Test viewer\nExec=true %f\n"
                   "MimeType=text/plain;application/octet-stream;\n");
        tree_.File("home/.config/mimeapps.list", "[Default Applications]\ntext/plain=" + desktopId +
                                                     "\napplication/octet-stream=" + desktopId + "\n");
    }
    const TempTree& Tree() const { return tree_; }

private:
    TempTree tree_;
};

[[noreturn]] void ExitWith(int code)
{
    _exit(code);  // skips the leak check: GIO keeps its caches for the life of the process
}

class OpenFileDeathTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(OpenFileDeathTest, ATypeWithoutApplicationHasNoAssociation)
{
    EXPECT_EXIT(
        {
            int result = 0;
            {
                DefaultApplications apps;
                const std::string path = apps.Tree().File("data.fkunknownext", "x");
                Dialogs dialogs;
                OpenFoundFile(path, dialogs.Ask(), dialogs.Inform());
                result = dialogs.Messages == std::vector<std::string>{"There is no application associated with the "
                                                                      "given filename extension."}
                             ? platform::orNoAssociation
                             : 1;
            }
            ExitWith(result);
        },
        ::testing::ExitedWithCode(platform::orNoAssociation), "");
}

TEST_F(OpenFileDeathTest, TheDefaultApplicationOfTheTypeIsLaunchedOnTheFile)
{
    EXPECT_EXIT(
        {
            int result = 1;
            {
                DefaultApplications apps;
                apps.RegisterForText("fk-test-viewer.desktop");
                const std::string path = apps.Tree().File("notes.txt", "x");
                platform::LaunchRequest seen;
                platform::SetLauncher([&](const platform::LaunchRequest& request) {
                    seen = request;
                    return 42;
                });
                const int opened = platform::OpenWithAssociatedApplication(path);
                if (opened == 42 && seen.ApplicationId == "fk-test-viewer.desktop" && seen.Uri == "file://" + path)
                    result = 0;
            }
            ExitWith(result);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(OpenFileDeathTest, OpenWithOffersTheDefaultFirstAndLaunchesThePickedApplication)
{
    EXPECT_EXIT(
        {
            int result = 1;
            {
                DefaultApplications apps;
                apps.RegisterForText("fk-test-viewer.desktop");
                apps.Tree().File("home/.local/share/applications/fk-other.desktop",
                                 "[Desktop Entry]\nType=Application\nName=Other editor\nExec=true %f\n"
                                 "MimeType=text/plain;application/octet-stream;\n");
                // The desktop's index of which application takes which type.
                apps.Tree().File("home/.local/share/applications/mimeinfo.cache",
                                 "[MIME Cache]\ntext/plain=fk-test-viewer.desktop;fk-other.desktop;\n"
                                 "application/octet-stream=fk-test-viewer.desktop;fk-other.desktop;\n");
                const std::string path = apps.Tree().File("notes.txt", "x");
                const auto choices = platform::ApplicationsFor(path);
                platform::LaunchRequest seen;
                platform::SetLauncher([&](const platform::LaunchRequest& request) {
                    seen = request;
                    return request.ApplicationId == "fk-other.desktop" ? 42 : 0;
                });
                platform::OpenWithApplication("fk-other.desktop", path);
                bool refused = false;
                try {
                    platform::OpenWithApplication("fk-test-viewer.desktop", path);
                } catch (const std::exception&) {
                    refused = true;
                }
                if (choices.size() == 2 && choices[0].Id == "fk-test-viewer.desktop" && choices[0].IsDefault &&
                    choices[0].Name == "Test viewer" && choices[1].Id == "fk-other.desktop" && !choices[1].IsDefault &&
                    refused && seen.Uri == "file://" + path)
                    result = 0;
            }
            ExitWith(result);
        },
        ::testing::ExitedWithCode(0), "");
}

class LaunchRecorder {
public:
    LaunchRecorder()
    {
        platform::SetLauncher([this](const platform::LaunchRequest& request) {
            Requests.push_back(request);
            return 0;  // a failure, which the callers must swallow
        });
    }
    ~LaunchRecorder() { platform::SetLauncher({}); }
    std::vector<platform::LaunchRequest> Requests;
};

TEST(HelpPages, TopicIsTrimmedAndResolvedAgainstTheWorkingDirectory)
{
    TempTree tree;
    platform::TWorkingDirectoryGuard keep;
    platform::SetCurrentDirectory(tree.Dir("bin"));
    LaunchRecorder launches;
    OpenHelpTopic("  kreller_date ");
    ASSERT_EQ(launches.Requests.size(), 1u);
    EXPECT_EQ(launches.Requests[0].Uri, "file://" + tree.Root() + "docs/kreller_date.html");
    EXPECT_EQ(launches.Requests[0].ApplicationId, "");
}

// Every link leads to a page of the program's own docs folder, so it opens something offline.
TEST(HelpPages, LinksLeadToPagesThatShipWithTheProgram)
{
    for (const std::string& address : {HomePageAddress(), ProductListAddress(), WebSearchAddress()}) {
        EXPECT_TRUE(address.starts_with("../docs/")) << address;
        EXPECT_TRUE(platform::PathExists(address)) << address << " from " << platform::CurrentDirectory();
    }
}

TEST(HelpPages, WebSearchHandsTheFileNameToTheForwardingPage)
{
    EXPECT_EQ(WebSearchAddress(), "../docs/adds/redirectsearch.html");
    EXPECT_EQ(WebSearchAddress("a b&c.txt"), "../docs/adds/redirectsearch.html?q=a%20b%26c.txt");
    EXPECT_EQ(WebSearchAddress("\xFF?#"), "../docs/adds/redirectsearch.html?q=%FF%3F%23");

    LaunchRecorder launches;
    OpenWebSearchPage("report.pdf");
    ASSERT_EQ(launches.Requests.size(), 1u);
    const std::string page = "file://" + platform::ParentDirectory(platform::CurrentDirectory()) + "/docs/adds/redirectsearch.html";
    // The browser gets the whole address; without one for web pages the page opens all the same.
    const platform::LaunchRequest& request = launches.Requests[0];
    EXPECT_EQ(request.Uri, request.ApplicationId.empty() ? page : page + "?q=report.pdf");
}

} // namespace
