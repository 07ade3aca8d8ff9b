#include "krellers/kreller.h"
#include "krellers/kreller_list.h"
#include "krellers/native_krellers.h"
#include "plugins/crtr_ckreller.h"

#include <algorithm>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <sys/stat.h>
#include <stdexcept>

using ::testing::_;
using ::testing::Return;
using ::testing::StrictMock;

namespace {

class MockCrtr : public TNoxCrtr_ckreller {
public:
    MOCK_METHOD(std::string, GetCrtrName, (), (override));
    MOCK_METHOD(void, SendCondition, (const std::string& text), (override));
    MOCK_METHOD(std::string, ShowEdit, (), (override));
    MOCK_METHOD(bool, FileMeets, (const FileEntry& entry, const std::string& path), (override));
    MOCK_METHOD(bool, CanShowFile, (const std::string& path), (override));
    MOCK_METHOD(void, ShowFile, (const std::string& path), (override));
};

// A kreller whose edit and test are scripted by the test, so the row rules run without a dialog.
class ScriptedKreller : public TD_kreller {
public:
    std::function<bool(TConditionStrings&)> edit = [](TConditionStrings&) { return false; };
    std::function<bool(const FileEntry&)> test = [](const FileEntry&) { return true; };
    std::vector<std::string> tested;
    bool needsFacts = true;

    bool EditCondition(TConditionStrings& strings) override { return edit(strings); }
    bool NeedsFileFacts() const override { return needsFacts; }
    bool TestFile(const FileEntry& entry, const std::string& path) override
    {
        tested.push_back(path);
        return test(entry);
    }
};

auto EditsTo(TConditionStrings result, bool outcome)
{
    return [result, outcome](TConditionStrings& strings) {
        strings = result;
        return outcome;
    };
}

FileEntry Entry(std::int64_t size = 0)
{
    FileEntry entry;
    entry.Name = "f";
    entry.Size = size;
    return entry;
}

// ---- rows and their check rules ----

TEST(KrellerList, EditOutcomesOnARow)
{
    const TConditionStrings condition = {"Size limitation", "SIZE_MIN=1"};
    const struct {
        const char* name;
        TConditionStrings before;
        bool checkedBefore;
        std::function<bool(TConditionStrings&)> edit;
        TConditionStrings after;
        bool checkedAfter;
    } cases[] = {
        {"Ok yielding a condition switches on", {}, false, EditsTo(condition, true), condition, true},
        {"Ok on an unchecked row with condition switches on", condition, false, EditsTo(condition, true), condition, true},
        {"Ok without condition stays off", {}, false, EditsTo({""}, true), {""}, false},
        {"Ok clearing a checked row switches off", condition, true, EditsTo({""}, true), {""}, false},
        {"Reset empties and switches off", condition, true, EditsTo({}, true), {}, false},
        {"Cancel leaves a switched-off row alone", condition, false, EditsTo(condition, false), condition, false},
        {"Cancel leaves a switched-on row alone", condition, true, EditsTo(condition, false), condition, true},
        // A plug-in's editor reports no outcome; the text it hands back decides.
        {"plug-in text gained switches on", {}, false, EditsTo(condition, false), condition, true},
        {"plug-in text changed switches on", condition, false, EditsTo({"Other", "X"}, false), {"Other", "X"}, true},
    };
    for (const auto& c : cases) {
        ScriptedKreller kreller;
        kreller.edit = c.edit;
        TKrellerList list;
        auto& row = list.AppendNativeRow("row", &kreller);
        row.Strings = c.before;
        row.Checked = c.checkedBefore;
        list.EditRow(0);
        EXPECT_EQ(row.Strings, c.after) << c.name;
        EXPECT_EQ(row.Checked, c.checkedAfter) << c.name;
        EXPECT_EQ(row.ImageIndex, c.checkedAfter ? kiNativeChecked : kiNativeUnchecked) << c.name;
    }
}

// ---- the chain ----

TEST(KrellerList, FilePassesCheckedKrellersInOrderUntilTheFirstRefusal)
{
    ScriptedKreller dirs, first, second, off;
    TKrellerList list;
    auto& dirsRow = list.AppendNativeRow("Directory conditions", &dirs);
    auto& firstRow = list.AppendNativeRow("first", &first);
    list.AppendNativeRow("off", &off);
    auto& secondRow = list.AppendNativeRow("second", &second);
    list.AppendNativeRow("no object", nullptr).Checked = true;
    dirsRow.Checked = firstRow.Checked = secondRow.Checked = true;
    dirs.test = [](const FileEntry&) { return false; };
    first.test = [](const FileEntry& e) { return e.Size > 10; };
    off.test = [](const FileEntry&) { return false; };

    EXPECT_TRUE(list.FilePassesKrellers(Entry(11), "/a", &dirsRow));
    EXPECT_FALSE(list.FilePassesKrellers(Entry(5), "/b", &dirsRow));
    EXPECT_EQ(first.tested, (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(second.tested, (std::vector<std::string>{"/a"})); // the refusal ended the chain
    EXPECT_TRUE(dirs.tested.empty());
    EXPECT_TRUE(off.tested.empty());

    // Without a row to leave out, the Directories kreller is a link of the chain like any other.
    EXPECT_FALSE(list.FilePassesKrellers(Entry(11), "/c"));

    // Nothing checked, nothing refused.
    dirsRow.Checked = firstRow.Checked = secondRow.Checked = false;
    EXPECT_TRUE(list.FilePassesKrellers(Entry(1), "/d"));
}

TEST(KrellerList, FileFailsSilentlyWhenATestThrows)
{
    ScriptedKreller thrower, later;
    TKrellerList list;
    list.AppendNativeRow("thrower", &thrower).Checked = true;
    list.AppendNativeRow("later", &later).Checked = true;
    thrower.test = [](const FileEntry&) -> bool { throw std::runtime_error("cannot read"); };
    EXPECT_FALSE(list.FilePassesKrellers(Entry(), "/x"));
    EXPECT_TRUE(later.tested.empty());

    thrower.test = [](const FileEntry&) -> bool { throw 42; };
    EXPECT_FALSE(list.FilePassesKrellers(Entry(), "/x"));
}

TEST(KrellerList, DirectoryIsEnteredUnlessTheCheckedDirectoriesKrellerRefusesOrFails)
{
    ScriptedKreller dirs;
    TKrellerList list;
    auto& dirsRow = list.AppendNativeRow("Directory conditions", &dirs);
    dirs.test = [](const FileEntry&) { return false; };
    EXPECT_TRUE(DirectoryPasses(nullptr, Entry(), "/a"));
    EXPECT_TRUE(DirectoryPasses(&dirsRow, Entry(), "/a")) << "unchecked";

    dirsRow.Checked = true;
    EXPECT_FALSE(DirectoryPasses(&dirsRow, Entry(), "/b"));
    dirs.test = [](const FileEntry&) { return true; };
    EXPECT_TRUE(DirectoryPasses(&dirsRow, Entry(), "/c"));
    EXPECT_EQ(dirs.tested, (std::vector<std::string>{"/b", "/c"}));

    // An error must not escape into the walk and end the whole search.
    dirs.test = [](const FileEntry&) -> bool { throw std::runtime_error("cannot judge"); };
    EXPECT_FALSE(DirectoryPasses(&dirsRow, Entry(), "/d"));
}

TEST(KrellerList, DirectoriesNeedFactsOnlyForACheckedKrellerThatJudgesThem)
{
    ScriptedKreller dirs;
    TKrellerList list;
    auto& dirsRow = list.AppendNativeRow("Directory conditions", &dirs);
    EXPECT_FALSE(DirectoriesNeedFacts(nullptr));
    EXPECT_FALSE(DirectoriesNeedFacts(&dirsRow)) << "unchecked";
    dirsRow.Checked = true;
    EXPECT_TRUE(DirectoriesNeedFacts(&dirsRow));
    dirs.needsFacts = false;
    EXPECT_FALSE(DirectoriesNeedFacts(&dirsRow));
}

TEST(KrellerList, EveryKrellerLoadsItsRowsStringsCheckedOrNot)
{
    TD_kreller a, b;
    TKrellerList list;
    auto& rowA = list.AppendNativeRow("a", &a);
    auto& rowB = list.AppendNativeRow("b", &b);
    list.AppendNativeRow("none", nullptr);
    rowA.Strings = {"Described", "line"};
    rowA.Checked = true;
    rowB.Strings = {"Other"};
    list.LoadKrellerConditions();
    EXPECT_EQ(a.BoundStrings(), &rowA.Strings);
    EXPECT_EQ(a.Description(), "Described");
    EXPECT_EQ(a.ConditionLines(), (TConditionStrings{"line"}));
    EXPECT_EQ(b.BoundStrings(), &rowB.Strings);

    // Rows keep their addresses while the list grows, so the bound strings stay valid.
    for (int i = 0; i < 20; ++i)
        list.AppendNativeRow("more", nullptr);
    EXPECT_EQ(a.BoundStrings(), &list.Row(0).Strings);

    list.Clear();
    EXPECT_EQ(a.BoundStrings(), nullptr);
}

// ---- custom krellers ----

TEST(KrellerList, CustomRowForwardsToItsPlugin)
{
    StrictMock<MockCrtr> plugin;
    EXPECT_CALL(plugin, GetCrtrName()).WillOnce(Return("Pictures"));
    TKrellerList list(CreateCustomKreller);
    auto& row = list.AppendCustomRow(&plugin);
    EXPECT_EQ(row.Caption, "Pictures");
    EXPECT_EQ(row.ImageIndex, kiCustomUnchecked);
    ASSERT_NE(row.Kreller, nullptr);
    EXPECT_TRUE(row.IsCustom());
    EXPECT_EQ(static_cast<TD_kreller*>(row.Kreller)->Plugin(), &plugin);

    // Editing hands the row's text to the plug-in and takes its editor's text back as the condition.
    row.Strings = {"Old", "A=1"};
    EXPECT_CALL(plugin, SendCondition("Old\r\nA=1\r\n"));
    EXPECT_CALL(plugin, ShowEdit()).WillOnce(Return("Portraits\r\nMODE=1\r\n"));
    list.EditRow(0);
    EXPECT_EQ(row.Strings, (TConditionStrings{"Portraits", "MODE=1"}));
    EXPECT_TRUE(row.Checked);
    EXPECT_EQ(row.ImageIndex, kiCustomChecked);

    // Before a search the condition goes to the plug-in; the test is its answer.
    EXPECT_CALL(plugin, SendCondition("Portraits\r\nMODE=1\r\n"));
    list.LoadKrellerConditions();
    EXPECT_CALL(plugin, FileMeets(_, "/p.jpg")).WillOnce(Return(true));
    EXPECT_CALL(plugin, FileMeets(_, "/q.txt")).WillOnce(Return(false));
    EXPECT_TRUE(list.FilePassesKrellers(Entry(), "/p.jpg"));
    EXPECT_FALSE(list.FilePassesKrellers(Entry(), "/q.txt"));

    TChainKreller* kreller = row.Kreller;
    EXPECT_CALL(plugin, CanShowFile("/q.txt")).WillOnce(Return(false));
    EXPECT_FALSE(kreller->PluginAcceptsFile("/q.txt"));
    EXPECT_CALL(plugin, CanShowFile("/p.jpg")).WillOnce(Return(true));
    EXPECT_CALL(plugin, SendCondition("Portraits\r\nMODE=1\r\n"));
    EXPECT_CALL(plugin, ShowFile("/p.jpg"));
    kreller->ShowFileViaPlugin("/p.jpg", row.Strings);

    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
}

TEST(KrellerList, KrellerShowsOnlyFilesItsPluginAccepts)
{
    StrictMock<MockCrtr> plugin;
    TD_kreller kreller;
    kreller.AttachPlugin(&plugin);
    EXPECT_CALL(plugin, CanShowFile("/a")).WillOnce(Return(false));
    kreller.ShowFileViaPlugin("/a", {"x"});

    kreller.DetachPlugin();
    EXPECT_FALSE(kreller.TestFile(Entry(), "/a"));
    EXPECT_FALSE(kreller.PluginAcceptsFile("/a"));
    kreller.ShowFileViaPlugin("/a", {"x"});
}

// ---- the base's text handling ----

TEST(KrellerBase, LoadStoreAndClearWorkOnTheBoundStrings)
{
    TD_kreller kreller;
    TConditionStrings strings = {"Description", "one", "two"};
    kreller.LoadCondition(&strings);
    EXPECT_EQ(kreller.Description(), "Description");
    EXPECT_EQ(kreller.ConditionLines(), (TConditionStrings{"one", "two"}));

    strings = {"changed meanwhile"};
    kreller.StoreCondition();
    EXPECT_EQ(strings, (TConditionStrings{"Description", "one", "two"}));

    kreller.ClearCondition();
    EXPECT_TRUE(strings.empty());
    EXPECT_EQ(kreller.Description(), "");

    TConditionStrings empty;
    kreller.LoadCondition(&empty);
    kreller.StoreCondition();
    EXPECT_EQ(empty, (TConditionStrings{""})) << "an empty description is still string 0";

    kreller.LoadCondition(nullptr);
    EXPECT_EQ(kreller.BoundStrings(), nullptr);
    kreller.StoreCondition();
    kreller.ClearCondition();
    EXPECT_EQ(empty, (TConditionStrings{""})) << "strings no longer bound are left alone";
}

// ---- reading ahead ----

// A kreller that judges by the entry alone: it lets on files of at least MinSize bytes.
class EntryKreller : public ScriptedKreller {
public:
    explicit EntryKreller(std::int64_t minSize = 0)
    {
        test = [minSize](const FileEntry& entry) {
            if (entry.Size < 0)
                throw std::runtime_error("cannot tell");
            return entry.Size >= minSize;
        };
    }
    bool JudgesEntryAlone() const override { return true; }
};

// A kreller that reads ahead when it may, keeping what it is handed.
class AheadKreller : public ScriptedKreller {
public:
    std::vector<std::string> handed;
    std::vector<std::string> handedRegular;  // those the listing found regular files
    std::vector<platform::TWalkPlace> places;
    bool reading = false;
    bool takes = true;  // what ReadAhead answers
    bool BeginReadingAhead() override { return reading = true; }
    bool ReadAhead(std::vector<platform::TListedFile> files) override
    {
        for (const platform::TListedFile& file : files) {
            handed.push_back(file.Path);
            places.push_back(file.Place);
            if (file.Regular)
                handedRegular.push_back(file.Path);
        }
        return takes;
    }
    void EndReadingAhead() override { reading = false; }
};

FileEntry Named(const std::string& name, std::int64_t size, bool directory = false, std::uint32_t mode = 0)
{
    FileEntry entry;
    entry.Name = name;
    entry.Size = size;
    entry.Mode = mode;
    entry.Attributes = directory ? std::uint32_t{faDirectory} : 0u;
    return entry;
}

TEST(KrellerList, ReadsAheadOnlyWhatGetsPastTheKrellersBeforeTheReader)
{
    const std::vector<FileEntry> entries = {Named(".", 0, true), Named("..", 0, true), Named("small_keep", 5),
                                            Named("big_keep", 50, false, S_IFREG | 0644), Named("big", 60, false, S_IFIFO | 0644),
                                            Named("sub_keep", 70, true),
                                            Named("unknown_keep", -1)};
    struct Case {
        const char* what;
        const char* nameBox;
        bool sizeRowChecked;
        bool plainRowChecked;  // a kreller that may read files or call a plug-in, before the reader
        bool plainRowSkipped;  // and is the Directories row
        std::vector<std::string> handed;
        bool reading;
    } cases[] = {
        {"the reader alone", "", false, false, false, {"small_keep", "big_keep", "big", "unknown_keep"}, true},
        {"after the size kreller", "", true, false, false, {"big_keep", "big"}, true},
        {"after the name box too", "keep", true, false, false, {"big_keep"}, true},
        {"after a kreller that is not checked", "", false, false, false, {"small_keep", "big_keep", "big", "unknown_keep"}, true},
        {"after a plug-in", "", true, true, false, {}, false},
        {"after the Directories row", "", false, true, true, {"small_keep", "big_keep", "big", "unknown_keep"}, true},
    };
    // The entries stand at the places from 10 on below the directory 7 of the walk.
    const platform::TWalkPlace first{platform::TWalkPlace{nullptr, 7}.Below(), 10};
    for (const Case& c : cases) {
        EntryKreller size(10);
        ScriptedKreller plain;
        AheadKreller reader;
        TKrellerList list;
        TKrellerRow& sizeRow = list.AppendNativeRow("Size", &size);
        TKrellerRow& plainRow = list.AppendNativeRow("Plain", &plain);
        TKrellerRow& readerRow = list.AppendNativeRow("Reader", &reader);
        sizeRow.Checked = c.sizeRowChecked;
        plainRow.Checked = c.plainRowChecked;
        readerRow.Checked = true;
        list.SetNameFilter(TNameFilter(c.nameBox));
        {
            const TReadingAheadScope scope(list, c.plainRowSkipped ? &plainRow : nullptr);
            EXPECT_EQ(list.ReadingAhead() == &readerRow, c.reading) << c.what;
            // The reader refuses what it is handed, and the list says so; with nothing to hand, nothing is missed.
            reader.takes = false;
            EXPECT_EQ(list.ReadAhead("/dir/", entries, first), c.handed.empty()) << c.what;
        }
        EXPECT_FALSE(reader.reading) << c.what << ": the scope ends the reading";
        EXPECT_EQ(list.ReadingAhead(), nullptr) << c.what;
        std::vector<std::string> expected;
        for (const std::string& name : c.handed)
            expected.push_back("/dir/" + name);
        EXPECT_EQ(reader.handed, expected) << c.what;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const std::string name = expected[i].substr(5);
            const auto index = std::find_if(entries.begin(), entries.end(), [&](const FileEntry& e) { return e.Name == name; });
            EXPECT_EQ(reader.places[i], (platform::TWalkPlace{first.Directory, 10 + static_cast<std::uint32_t>(index - entries.begin())}))
                << c.what << ": " << name;
        }
        EXPECT_EQ(reader.handedRegular.size(), std::count(expected.begin(), expected.end(), "/dir/big_keep")) << c.what;
        EXPECT_TRUE(plain.tested.empty()) << c.what << ": only krellers of the entry alone are asked ahead";
    }
}

} // namespace

namespace {

// A directory is read ahead of the walk unless the Directories kreller refuses it, or may be
// asked nothing before the walk gets there; a kreller that cannot tell refuses.
TEST(KrellerList, ReadsAheadOnlyDirectoriesTheDirectoriesKrellerLetsOnByTheEntryAlone)
{
    struct Case {
        const char* what;
        bool row;
        bool checked;
        bool entryAlone;
        std::int64_t size;  // the size kreller lets on 10 and more
        bool readAhead;
    } cases[] = {
        {"no Directories kreller", false, false, true, 5, true},
        {"one not checked", true, false, true, 5, true},
        {"one that lets it on", true, true, true, 50, true},
        {"one that refuses it", true, true, true, 5, false},
        {"one that cannot tell", true, true, true, -1, false},
        {"one that judges more than the entry", true, true, false, 50, false},
    };
    for (const Case& c : cases) {
        EntryKreller byEntry(10);
        ScriptedKreller byMore;
        byMore.test = byEntry.test;
        TKrellerList list;
        TKrellerRow& row = list.AppendNativeRow("Directories", c.entryAlone ? static_cast<ScriptedKreller*>(&byEntry) : &byMore);
        row.Checked = c.checked;
        EXPECT_EQ(DirectoryPassesAhead(c.row ? &row : nullptr, Named("sub", c.size, true), "/dir/sub"), c.readAhead) << c.what;
        EXPECT_TRUE(byMore.tested.empty()) << c.what;
    }
}

} // namespace
