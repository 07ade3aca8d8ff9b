#pragma once
#include "platform/FileSystem.h"

#include <string>

// What the kreller framework needs of a loaded custom kreller plug-in. The plug-in host implements it
// over the library's exports; the framework only ever talks to a plug-in through this.
//
// Texts are UTF-8 bytes. A condition text is the row's condition strings, each followed by CR LF.
// Implementations keep plug-in failures to themselves (they answer "no" or do nothing), except
// FileMeets, whose failure during a search simply makes the file fail.
class TNoxCrtr_ckreller {
public:
    virtual ~TNoxCrtr_ckreller() = default;

    // The plug-in's display name (GET_CRTR_NAME); the caption of its kreller row.
    virtual std::string GetCrtrName() = 0;

    // Hands the condition text to the plug-in (LOAD_CONDITION); the answer is dropped.
    virtual void SendCondition(const std::string& text) = 0;

    // Lets the plug-in show its own editor (SHOW_EDIT) and answers the edited condition text.
    virtual std::string ShowEdit() = 0;

    // FILE_MEETS for path: true exactly when the plug-in answers "Y". The entry travels along for
    // plug-ins that may one day use it.
    virtual bool FileMeets(const FileEntry& entry, const std::string& path) = 0;

    // True when the plug-in can show files and accepts this one (SHOW_FILE present, ACCEPT_FILE "Y").
    virtual bool CanShowFile(const std::string& path) = 0;

    // SHOW_FILE for path; the condition must have been sent first. The answer is dropped.
    virtual void ShowFile(const std::string& path) = 0;
};

#include "plugins/crtr_.h"

// A loaded custom kreller: listed like any plug-in, and used by the kreller framework.
class TListedCkreller : public virtual TListedCrtr, public TNoxCrtr_ckreller {};

// The wrapper of a custom kreller library: the common exports, FILE_MEETS, LOAD_CONDITION and
// SHOW_EDIT (required) and SHOW_FILE (optional).
class TDllCrtr_ckreller final : public TNoxCrtr, public TListedCkreller {
public:
    using TNoxCrtr::TNoxCrtr;

    std::string GetCrtrName() override { return TNoxCrtr::GetCrtrName(); }
    void SendCondition(const std::string& text) override;
    // SHOW_EDIT's answer; when the plug-in gives none, the condition it was sent last, so a failed
    // edit changes nothing.
    std::string ShowEdit() override;
    bool FileMeets(const FileEntry& entry, const std::string& path) override;
    // Never true without SHOW_FILE: ACCEPT_FILE is not even asked then.
    bool CanShowFile(const std::string& path) override;
    void ShowFile(const std::string& path) override;

protected:
    bool BindKindEntries() override;
    bool ClearEntries() override;

private:
    TCrtrFunc FFileMeets = nullptr;
    TCrtrFunc FLoadCondition = nullptr;
    TCrtrFunc FShowEdit = nullptr;
    TCrtrFunc FShowFile = nullptr;
    std::string sentCondition_;
};
