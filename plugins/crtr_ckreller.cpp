#include "plugins/crtr_ckreller.h"

void TDllCrtr_ckreller::SendCondition(const std::string& text)
{
    sentCondition_ = text;
    Call(FLoadCondition, text);
}

std::string TDllCrtr_ckreller::ShowEdit()
{
    return Call(FShowEdit, {}).value_or(sentCondition_);
}

bool TDllCrtr_ckreller::FileMeets(const FileEntry&, const std::string& path) { return Yes(FFileMeets, path); }

bool TDllCrtr_ckreller::CanShowFile(const std::string& path) { return FShowFile && AcceptFile(path); }

void TDllCrtr_ckreller::ShowFile(const std::string& path) { Call(FShowFile, path); }

bool TDllCrtr_ckreller::BindKindEntries()
{
    FFileMeets = Bind(CRTR_FILE_MEETS);
    FLoadCondition = Bind(CRTR_LOAD_CONDITION);
    FShowEdit = Bind(CRTR_SHOW_EDIT);
    FShowFile = Bind(CRTR_SHOW_FILE);
    return FFileMeets && FLoadCondition && FShowEdit;
}

bool TDllCrtr_ckreller::ClearEntries()
{
    FFileMeets = nullptr;
    FLoadCondition = nullptr;
    FShowEdit = nullptr;
    FShowFile = nullptr;
    return TNoxCrtr::ClearEntries();
}
