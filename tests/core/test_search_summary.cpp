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
                    "Unreadable directories: 0\n"},
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
        TRunOutcome outcome{3, c.interrupted, 40, {}};
        for (int error : c.errors)
            outcome.Unread.Count(error);
        const std::string text = SearchResultText(outcome, funnel);
        EXPECT_EQ(text.substr(0, c.head.size()), c.head);
        EXPECT_EQ(Occurrences(text, "Unreadable directories") + Occurrences(text, "could not be read"), 1) << text;
        EXPECT_EQ(text.substr(c.head.size()), "File mask condition: 37 files asked, 34 refused, 0.000 s");
    }
}

} // namespace
