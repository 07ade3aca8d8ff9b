// Searches through the main window with the Directories, File mask, File size and File date
// krellers in the chain, on real temporary trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

#include "TempTree.h"
#include "core/FoundList.h"
#include "core/main.h"
#include "core/msg.h"
#include "core/sure.h"
#include "krellers/kreller_date.h"
#include "krellers/kreller_dirs.h"
#include "krellers/kreller_list_view.h"
#include "krellers/kreller_mask.h"
#include "krellers/kreller_size.h"
#include "platform/Dates.h"
#include "window_fixture.h"

namespace {

// Stands in the last row and remembers every path that reached it.
class RecordingKreller : public TD_kreller {
public:
    std::vector<std::string> reached;
    bool TestFile(const FileEntry&, const std::string& path) override
    {
        reached.push_back(path);
        return true;
    }
};

enum Row { kDirs, kMask, kSize, kDate, kLast };

struct ChainSearch : WindowTest {
    TD_kreller_dirs dirs;
    TD_kreller_mask mask;
    TD_kreller_size size;
    TD_kreller_date date;
    RecordingKreller last;

    ChainSearch()
    {
        window.AttachNativeKrellers({&dirs, &mask, &size, &date, &last});
        window.FormActivate();
    }

    void SwitchOn(Row row, TConditionStrings strings)
    {
        TKrellerRow& kreller = window.Krellers().Krellers().Row(row);
        kreller.Strings = std::move(strings);
        kreller.Checked = true;
        window.Krellers().Refresh();
    }

    std::vector<std::string> Search(const std::vector<std::string>& startPaths)
    {
        window.SetStartPaths(startPaths, 0);
        window.SB_runClick();
        std::vector<std::string> paths;
        for (int i = 0; i < window.FoundList().Count(); ++i)
            paths.push_back(window.FoundList().Row(i).Path);
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    std::vector<std::string> Paths(std::vector<std::string> relative) const
    {
        for (std::string& path : relative)
            path = tree.Path(path);
        std::sort(relative.begin(), relative.end());
        return relative;
    }

    void SetWritten(const std::string& relative, const platform::CalendarDate& day) const
    {
        const std::uint64_t unixEpoch = platform::UtcDateToFileTime({1970, 1, 1});
        const timespec stamp{static_cast<time_t>((platform::UtcDateToFileTime(day) - unixEpoch) / 10000000 + 3600), 0};
        const timespec times[2] = {stamp, stamp};
        ASSERT_EQ(utimensat(AT_FDCWD, tree.Path(relative).c_str(), times, 0), 0);
    }
};

TEST_F(ChainSearch, BuiltInRowsComeInTheirFixedOrder)
{
    std::vector<std::string> captions;
    for (std::size_t i = 0; i < window.Krellers().Krellers().Count(); ++i)
        captions.push_back(window.Krellers().Krellers().Row(i).Caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"Directory conditions", "File mask condition", "File size condition",
                                                  "Date condition", "Context"}));
}

TEST_F(ChainSearch, ExcludedDirectoriesAreLeftOutExactlyAndOnlyBelowTheStartPath)
{
    for (const char* file : {"top.txt", "tmp/a.txt", "tmp/sub/b.txt", "tmp2/c.txt", "Tmp/d.txt", "keep/x/e.txt",
                             "keep/x/nested/f.txt", "keep/x/nested/deeper/g.txt"})
        tree.File(file);
    SwitchOn(kDirs, {"Excluded directories", tree.Path("tmp/"), tree.Path("keep/x/nested/")});
    SwitchOn(kLast, {"Context condition"});

    EXPECT_EQ(Search({tree.Root()}), Paths({"top.txt", "tmp2/c.txt", "Tmp/d.txt", "keep/x/e.txt"}));
    // The Directories kreller judges directories only: every file goes on to the rest of the chain.
    EXPECT_EQ(last.reached.size(), 4u);
    // A start path that is listed is still searched; only what the walk meets below it is tested.
    EXPECT_EQ(Search({tree.Path("tmp/"), tree.Path("keep/x/nested")}),
              Paths({"tmp/a.txt", "tmp/sub/b.txt", "keep/x/nested/f.txt", "keep/x/nested/deeper/g.txt"}));
}

TEST_F(ChainSearch, EachKrellerSeesOnlyWhatTheEarlierOnesPassed)
{
    tree.SizedFile("old.txt", 5000);
    tree.SizedFile("new.txt", 5000);
    tree.SizedFile("small.txt", 10);
    tree.SizedFile("new.bin", 5000);
    tree.SizedFile("sub/deep.TXT", 2000);
    tree.File("README");
    for (const char* file : {"new.txt", "small.txt", "new.bin", "sub/deep.TXT", "README"})
        SetWritten(file, {2024, 5, 10});
    SetWritten("old.txt", {2003, 2, 1});
    const std::string day = platform::FormatShortDate({2024, 5, 10});

    SwitchOn(kMask, {"Use file mask", "*", "txt"});
    SwitchOn(kSize, {"Size limitation", "SIZE_MIN=1", "SIZE_MIN_UNIT=KB", "SIZE_MAX_UNIT=KB"});
    SwitchOn(kDate, {"changed after date " + day, "changed", day, " "});
    SwitchOn(kLast, {"Context condition"});

    EXPECT_EQ(Search({tree.Root()}), Paths({"new.txt", "sub/deep.TXT"}));
    std::sort(last.reached.begin(), last.reached.end());
    EXPECT_EQ(last.reached, Paths({"new.txt", "sub/deep.TXT"}));

    // Unchecking the mask row lets new.bin through; the size row still holds back small.txt.
    window.Krellers().Krellers().Row(kMask).Checked = false;
    EXPECT_EQ(Search({tree.Root()}), Paths({"new.bin", "new.txt", "sub/deep.TXT"}));
}

} // namespace
