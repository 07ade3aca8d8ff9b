#include "krellers/kreller_list.h"

#include "plugins/crtr_ckreller.h"

bool TKrellerRow::IsCustom() const
{
    return custom_;
}

TKrellerList::TKrellerList(TCustomKrellerFactory customKrellers) : customKrellers_(std::move(customKrellers)) {}

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

bool TKrellerList::FilePassesKrellers(const FileEntry& entry, const std::string& path,
                                      const TKrellerRow* skipped) const
{
    try {
        for (const auto& row : rows_) {
            if (row.get() == skipped || !row->Checked || !row->Kreller)
                continue;
            if (!row->Kreller->TestFile(entry, path))
                return false;
        }
    } catch (...) {
        // A kreller that cannot judge a file refuses it; a search is no place for a message per file.
        return false;
    }
    return true;
}

bool DirectoryPasses(const TKrellerRow* directoriesRow, const FileEntry& entry, const std::string& path)
{
    if (!directoriesRow || !directoriesRow->Checked || !directoriesRow->Kreller)
        return true;
    try {
        return directoriesRow->Kreller->TestFile(entry, path);
    } catch (...) {
        // As with files: a directory the kreller cannot judge is refused, not the whole search.
        return false;
    }
}
