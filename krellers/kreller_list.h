#pragma once
#include "krellers/chain_kreller.h"
#include "krellers/condition_strings.h"
#include "krellers/kreller_funnel.h"
#include "krellers/name_filter.h"
#include "platform/FileSystem.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TNoxCrtr_ckreller;

// Makes the kreller object of a custom kreller row, forwarding to the plug-in.
using TCustomKrellerFactory = std::function<std::unique_ptr<TChainKreller>(TNoxCrtr_ckreller* plugin)>;

// Images of the kreller list.
enum TKrellerImage : int {
    kiNativeChecked = 0,
    kiNativeUnchecked = 1,
    kiCustomChecked = 2,
    kiCustomUnchecked = 3,
};

// One row of the kreller list. The row owns its condition strings; its kreller object refers to them
// while they are the strings it loaded last.
struct TKrellerRow {
    std::string Caption;
    bool Checked = false;
    TChainKreller* Kreller = nullptr; // native dialogs live elsewhere; a custom kreller's is owned below
    TConditionStrings Strings;
    int ImageIndex = kiNativeUnchecked;

    bool HasCondition() const { return ::HasCondition(Strings); }
    bool IsCustom() const;

private:
    friend class TKrellerList;
    std::unique_ptr<TChainKreller> ownedKreller_;
    bool custom_ = false;
};

// The chain's answer for one entry: passed, or the row that refused it and the error its test
// raised, if that was why.
struct TChainVerdict {
    const TKrellerRow* RefusedBy = nullptr;
    bool Failed = false;
    std::string Error;
    TTextLimit TextLimit = TTextLimit::None;  // a kreller asked saw only part of the file's text

    bool Passed() const { return RefusedBy == nullptr; }
};

// The chain of krellers in list order, with the rules of checking and editing rows. Rows keep their
// addresses for the life of the list, so a kreller may stay bound to a row's strings.
class TKrellerList {
public:
    // customKrellers makes the kreller objects of custom kreller rows.
    explicit TKrellerList(TCustomKrellerFactory customKrellers = {});
    ~TKrellerList();
    TKrellerList(const TKrellerList&) = delete;
    TKrellerList& operator=(const TKrellerList&) = delete;

    // A native kreller's row: unchecked, no condition.
    TKrellerRow& AppendNativeRow(const std::string& caption, TChainKreller* kreller);
    // A custom kreller's row: a kreller object from the factory, captioned by the plug-in's name;
    // without a factory the row has none and passes nothing on.
    TKrellerRow& AppendCustomRow(TNoxCrtr_ckreller* wrapper);
    // Empties the list: native krellers forget the rows' strings, custom kreller objects let go of their
    // plug-ins and are released. Call it while the native kreller dialogs still exist.
    void Clear();

    std::size_t Count() const { return rows_.size(); }
    TKrellerRow& Row(std::size_t index) { return *rows_.at(index); }
    const TKrellerRow& Row(std::size_t index) const { return *rows_.at(index); }

    // Switches off every row that has no condition and gives every row the image of its state.
    void ApplyCheckRules();
    // Edits a row's condition with its kreller; a row that comes out of the edit with a new
    // condition is switched on.
    void EditRow(std::size_t index);
    // Every kreller object loads its row's strings, so each works on the condition its row shows.
    void LoadKrellerConditions();
    // Asks the checked krellers in list order, leaving out skipped (the Directories row). The first
    // refusal ends the chain; a kreller whose test fails with an error refuses the file.
    bool FilePassesKrellers(const FileEntry& entry, const std::string& path,
                            const TKrellerRow* skipped = nullptr) const;
    // The same walk along the chain, saying which row refused and why and whether a kreller saw
    // only part of the file's text, and counting every answer into funnel when there is one.
    TChainVerdict JudgeFile(const FileEntry& entry, const std::string& path, const TKrellerRow* skipped,
                            TKrellerFunnel* funnel) const;
    // Whether some checked kreller (leaving out skipped) needs what a stat tells of each file.
    bool NeedsFileFacts(const TKrellerRow* skipped = nullptr) const;
    // A funnel with a stage for every checked kreller, in chain order; directoriesRow's stage
    // counts directories.
    TKrellerFunnel StartFunnel(const TKrellerRow* directoriesRow) const;

    // Lets the first kreller of the chain (leaving out skipped) that can read ahead do so, when
    // every checked kreller before it judges by the entry alone; a plug-in before it keeps the
    // files from being read before the plug-in has had its say.
    void BeginReadingAhead(const TKrellerRow* skipped);
    // Hands that kreller the files among entries of dir that get past the name box and the
    // krellers before it; the entries stand at first and the places after it in the walk. False
    // when it did not take them all.
    bool ReadAhead(const std::string& dir, std::span<const FileEntry> entries, const platform::TWalkPlace& first);
    void EndReadingAhead();
    // The row reading ahead in this run; none when no kreller does.
    const TKrellerRow* ReadingAhead() const { return readingAhead_; }

    // The name box's condition, asked about every file before any kreller; none when it is empty.
    void SetNameFilter(TNameFilter filter);
    const TNameFilter& NameFilter() const { return nameFilter_; }
    // The row that stands for the name box in verdicts and in the funnel; it is never in the list.
    const TKrellerRow& NameRow() const { return nameRow_; }

private:
    TKrellerRow& Append(std::unique_ptr<TKrellerRow> row);
    void ReleaseCustomKrellers();

    TChainVerdict AskNameFilter(const FileEntry& entry, TKrellerFunnel* funnel) const;

    TCustomKrellerFactory customKrellers_;
    std::vector<std::unique_ptr<TKrellerRow>> rows_;
    TNameFilter nameFilter_;
    TKrellerRow nameRow_;
    const TKrellerRow* readingAhead_ = nullptr;
    const TKrellerRow* skippedAhead_ = nullptr;
};

// Ends the reading ahead of a run whichever way the run ends.
class TReadingAheadScope {
public:
    TReadingAheadScope(TKrellerList& krellers, const TKrellerRow* skipped) : krellers_(krellers)
    {
        krellers_.BeginReadingAhead(skipped);
    }
    ~TReadingAheadScope() { krellers_.EndReadingAhead(); }
    TReadingAheadScope(const TReadingAheadScope&) = delete;
    TReadingAheadScope& operator=(const TReadingAheadScope&) = delete;

private:
    TKrellerList& krellers_;
};

// The caption of the name box's row.
inline constexpr const char* NameFilterCaption = "Name contains";

// Whether the walk may enter a directory: always, unless the Directories row is there, checked and
// its kreller refuses it or fails with an error.
bool DirectoryPasses(const TKrellerRow* directoriesRow, const FileEntry& entry, const std::string& path);
// Whether the directories row, when checked, needs what a stat tells of each directory.
bool DirectoriesNeedFacts(const TKrellerRow* directoriesRow);
// Whether the directory at path is to be read ahead of the walk: false when the Directories
// kreller (directoriesRow) refuses it, or judges by more than the entry and so may be asked
// nothing ahead of its turn; nothing is counted.
bool DirectoryPassesAhead(const TKrellerRow* directoriesRow, const FileEntry& entry, const std::string& path);
// The same, saying why, and counting the answer into funnel when there is one.
TChainVerdict JudgeDirectory(const TKrellerRow* directoriesRow, const FileEntry& entry, const std::string& path,
                             TKrellerFunnel* funnel);
