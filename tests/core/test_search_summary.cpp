#include "core/search_summary.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Unreadable directories are told once: by the walk's line with its reasons when there were some,
// by the funnel's count of none otherwise.
TEST(SearchSummary, UnreadableDirectoriesAreToldOnce)
{
    struct Case {
        std::vector<int> errors;
        bool interrupted;
        std::string head;  // everything before the funnel's kreller lines
    };
    const Case cases[] = {
        {{}, false, "File(s) passed through all the krellers:3\n\nEntries examined: 40\nDirectories not entered: 0\n"
                    "Directories that could not be read: 0\n"},
        {{EACCES, EMFILE}, false, "File(s) passed through all the krellers:3\n"
                                  "Directories that could not be read: 2 (permission: 1, too many open files: 1)\n\n"
                                  "Entries examined: 40\nDirectories not entered: 0\n"},
        {{EIO}, true, "File(s) passed through all the krellers:3\nSearch process has been interrupted by user.\n"
                      "Directories that could not be read: 1\n\nEntries examined: 40\nDirectories not entered: 0\n"},
    };
    TKrellerFunnel funnel;
    TFunnelStage mask;
    mask.Caption = "File mask condition";
    mask.Asked = 37;
    mask.Refused = 34;
    funnel.Stages.push_back(mask);
    for (const Case& c : cases) {
        TRunOutcome outcome{3, c.interrupted, 40, {}, {}};
        for (int error : c.errors)
            outcome.Unread.Count(error);
        const std::string text = SearchResultText(outcome, funnel);
        EXPECT_EQ(text.substr(0, c.head.size()), c.head);
        EXPECT_EQ(Occurrences(text, "could not be read"), 1) << text;
        EXPECT_EQ(text.substr(c.head.size()), "File mask condition: 37 files asked, 34 refused, 0.000 s");
    }
}

// The summary names the first directories it could not read and the start paths that do not exist.
TEST(SearchSummary, NamesTheFirstUnreadDirectoriesAndTheMissingStartPaths)
{
    TRunOutcome outcome{0, false, 9, {}, {"/gone/", "/also gone/"}};
    for (int i = 1; i <= 7; ++i)
        outcome.Unread.Count(EACCES, "/locked" + std::to_string(i) + "/");
    const std::string text = SearchResultText(outcome, TKrellerFunnel{});
    const std::string head = "File(s) passed through all the krellers:0\n"
                             "Start path does not exist: /gone/\n"
                             "Start path does not exist: /also gone/\n"
                             "Directories that could not be read: 7 (permission: 7)\n"
                             "    /locked1/\n    /locked2/\n    /locked3/\n    /locked4/\n    /locked5/\n"
                             "    and 2 more\n\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
}

} // namespace
