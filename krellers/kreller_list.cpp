#include "krellers/kreller_list.h"

#include "plugins/crtr_ckreller.h"

#include <algorithm>
#include <chrono>
#include <exception>

bool TKrellerRow::IsCustom() const
{
    return custom_;
}

TKrellerList::TKrellerList(TCustomKrellerFactory customKrellers) : customKrellers_(std::move(customKrellers))
{
    nameRow_.Caption = NameFilterCaption;
}

void TKrellerList::SetNameFilter(TNameFilter filter)
{
    nameFilter_ = std::move(filter);
    nameRow_.Strings = {nameFilter_.Text()};
    nameRow_.Checked = nameFilter_.Active();
}

TChainVerdict TKrellerList::AskNameFilter(const FileEntry& entry, TKrellerFunnel* funnel) const
{
    TChainVerdict verdict;
    const auto start = funnel ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point{};
    if (!nameFilter_.Matches(entry.Name))
        verdict.RefusedBy = &nameRow_;
    if (funnel)
        funnel->Record(&nameRow_, verdict.Passed(), std::chrono::steady_clock::now() - start, nullptr);
    return verdict;
}

TKrellerList::~TKrellerList()
{
    // Native krellers may be gone by now (they belong to the application), so only the own ones are
    // touched here.
    ReleaseCustomKrellers();
}

void TKrellerList::ReleaseCustomKrellers()
{
    for (auto& row : rows_) {
        if (row->ownedKreller_)
            row->ownedKreller_->DetachPlugin();
    }
    rows_.clear();
}

TKrellerRow& TKrellerList::Append(std::unique_ptr<TKrellerRow> row)
{
    rows_.push_back(std::move(row));
    return *rows_.back();
}

TKrellerRow& TKrellerList::AppendNativeRow(const std::string& caption, TChainKreller* kreller)
{
    auto row = std::make_unique<TKrellerRow>();
    row->Caption = caption;
    row->Kreller = kreller;
    row->ImageIndex = kiNativeUnchecked;
    return Append(std::move(row));
}

TKrellerRow& TKrellerList::AppendCustomRow(TNoxCrtr_ckreller* wrapper)
{
    auto row = std::make_unique<TKrellerRow>();
    if (customKrellers_)
        row->ownedKreller_ = customKrellers_(wrapper);
    row->Kreller = row->ownedKreller_.get();
    row->custom_ = true;
    row->Caption = wrapper->GetCrtrName();
    row->ImageIndex = kiCustomUnchecked;
    return Append(std::move(row));
}

void TKrellerList::Clear()
{
    for (auto& row : rows_) {
        if (row->Kreller && row->Kreller->BoundStrings() == &row->Strings)
            row->Kreller->UnbindStrings();
    }
    ReleaseCustomKrellers();
}

void TKrellerList::ApplyCheckRules()
{
    for (auto& row : rows_) {
        if (row->Checked && !row->HasCondition())
            row->Checked = false;
        const int image = row->IsCustom() ? kiCustomChecked : kiNativeChecked;
        row->ImageIndex = row->Checked ? image : image + 1;
    }
}

void TKrellerList::EditRow(std::size_t index)
{
    TKrellerRow& row = Row(index);
    if (row.Kreller) {
        const TConditionStrings before = row.Strings;
        // A plug-in's editor reports no outcome; a changed text is its "Ok".
        const bool edited = row.Kreller->EditCondition(row.Strings) || row.Strings != before;
        if (edited && !row.Checked && row.HasCondition())
            row.Checked = true;
    }
    ApplyCheckRules();
}

void TKrellerList::LoadKrellerConditions()
{
    for (auto& row : rows_) {
        if (row->Kreller)
            row->Kreller->LoadCondition(&row->Strings);
    }
}

namespace {

bool TakesPart(const TKrellerRow& row)
{
    return row.Checked && row.Kreller;
}

// Asks row's kreller about one entry. A kreller that cannot judge an entry refuses it; a search
// is no place for a message per file, so the error travels in the verdict and the funnel.
TChainVerdict Ask(const TKrellerRow& row, const FileEntry& entry, const std::string& path, TKrellerFunnel* funnel)
{
    TChainVerdict verdict;
    const auto start = funnel ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point{};
    try {
        if (!row.Kreller->TestFile(entry, path))
            verdict.RefusedBy = &row;
    } catch (const std::exception& error) {
        verdict = {&row, true, error.what()};
    } catch (...) {
        verdict = {&row, true, "unknown error"};
    }
    verdict.TextLimit = row.Kreller->LastTextLimit();
    if (funnel)
        funnel->Record(&row, verdict.Passed(), std::chrono::steady_clock::now() - start,
                       verdict.Failed ? &verdict.Error : nullptr);
    return verdict;
}

} // namespace

bool TKrellerList::FilePassesKrellers(const FileEntry& entry, const std::string& path,
                                      const TKrellerRow* skipped) const
{
    return JudgeFile(entry, path, skipped, nullptr).Passed();
}

TChainVerdict TKrellerList::JudgeFile(const FileEntry& entry, const std::string& path, const TKrellerRow* skipped,
                                      TKrellerFunnel* funnel) const
{
    if (nameFilter_.Active()) {
        TChainVerdict verdict = AskNameFilter(entry, funnel);
        if (!verdict.Passed())
            return verdict;
    }
    TTextLimit limit = TTextLimit::None;
    TChainVerdict verdict;
    for (const auto& row : rows_) {
        if (row.get() == skipped || !TakesPart(*row))
            continue;
        verdict = Ask(*row, entry, path, funnel);
        if (verdict.TextLimit != TTextLimit::None)
            limit = verdict.TextLimit;
        if (!verdict.Passed())
            break;
    }
    verdict.TextLimit = limit;
    if (funnel)
        funnel->PartlySearched.Record(path, limit);
    return verdict;
}

bool TKrellerList::NeedsFileFacts(const TKrellerRow* skipped) const
{
    return std::any_of(rows_.begin(), rows_.end(), [skipped](const auto& row) {
        return row.get() != skipped && TakesPart(*row) && row->Kreller->NeedsFileFacts();
    });
}

void TKrellerList::BeginReadingAhead(const TKrellerRow* skipped)
{
    EndReadingAhead();
    skippedAhead_ = skipped;
    for (const auto& row : rows_) {
        if (row.get() == skipped || !TakesPart(*row))
            continue;
        if (row->Kreller->BeginReadingAhead()) {
            readingAhead_ = row.get();
            return;
        }
        if (!row->Kreller->JudgesEntryAlone())
            return;
    }
}

namespace {

// Whether row's kreller lets the file on; one that cannot tell does not.
bool LetsOn(const TKrellerRow& row, const FileEntry& entry, const std::string& path)
{
    try {
        return row.Kreller->TestFile(entry, path);
    } catch (...) {
        return false;
    }
}

} // namespace

bool TKrellerList::ReadAhead(const std::string& dir, std::span<const FileEntry> entries,
                             const platform::TWalkPlace& first)
{
    if (!readingAhead_)
        return true;
    const auto before = std::find_if(rows_.begin(), rows_.end(), [&](const auto& row) { return row.get() == readingAhead_; });
    std::vector<platform::TListedFile> files;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const FileEntry& entry = entries[i];
        if (entry.IsDirectory() || platform::IsDotName(entry.Name) ||
            (nameFilter_.Active() && !nameFilter_.Matches(entry.Name)))
            continue;
        std::string path = dir + entry.Name;
        const auto refuses = [&](const std::unique_ptr<TKrellerRow>& row) {
            return row.get() != skippedAhead_ && TakesPart(*row) && !LetsOn(*row, entry, path);
        };
        if (std::none_of(rows_.begin(), before, refuses))
            files.push_back({std::move(path), platform::IsListedRegular(entry),
                             {first.Directory, first.Index + static_cast<std::uint32_t>(i)}});
    }
    return files.empty() || readingAhead_->Kreller->ReadAhead(std::move(files));
}

void TKrellerList::EndReadingAhead()
{
    if (readingAhead_)
        readingAhead_->Kreller->EndReadingAhead();
    readingAhead_ = nullptr;
    skippedAhead_ = nullptr;
}

TKrellerFunnel TKrellerList::StartFunnel(const TKrellerRow* directoriesRow) const
{
    TKrellerFunnel funnel;
    if (nameFilter_.Active()) {
        TFunnelStage stage;
        stage.Row = &nameRow_;
        stage.Caption = NameFilterCaption + (" \"" + nameFilter_.Text() + "\"");
        funnel.Stages.push_back(std::move(stage));
    }
    for (const auto& row : rows_) {
        if (!TakesPart(*row))
            continue;
        TFunnelStage stage;
        stage.Row = row.get();
        stage.Caption = row->Caption;
        stage.Directories = row.get() == directoriesRow;
        funnel.Stages.push_back(std::move(stage));
    }
    return funnel;
}

bool DirectoryPasses(const TKrellerRow* directoriesRow, const FileEntry& entry, const std::string& path)
{
    return JudgeDirectory(directoriesRow, entry, path, nullptr).Passed();
}

bool DirectoryPassesAhead(const TKrellerRow* directoriesRow, const FileEntry& entry, const std::string& path)
{
    if (!directoriesRow || !TakesPart(*directoriesRow))
        return true;
    return directoriesRow->Kreller->JudgesEntryAlone() && DirectoryPasses(directoriesRow, entry, path);
}

bool DirectoriesNeedFacts(const TKrellerRow* directoriesRow)
{
    return directoriesRow && TakesPart(*directoriesRow) && directoriesRow->Kreller->NeedsFileFacts();
}

TChainVerdict JudgeDirectory(const TKrellerRow* directoriesRow, const FileEntry& entry, const std::string& path,
                             TKrellerFunnel* funnel)
{
    // As with files: a directory the kreller cannot judge is refused, not the whole search.
    if (!directoriesRow || !TakesPart(*directoriesRow))
        return {};
    return Ask(*directoriesRow, entry, path, funnel);
}
