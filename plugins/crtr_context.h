#pragma once
#include "plugins/text_limit.h"

#include <cstdint>
#include <optional>
#include <string>

// Where a cartridge's text of a file lies: a file of the cartridge's, from an offset to its end.
struct TContextFile {
    std::string Path;  // empty: the file has no text
    std::uint64_t Offset = 0;
    TTextLimit Limit = TTextLimit::None;
};

// What the Context kreller needs of a loaded context cartridge: a plug-in that turns files of some
// format into text. The plug-in host implements it over the library's exports.
//
// Texts are UTF-8 bytes; paths are the file system's bytes. Implementations keep plug-in failures
// to themselves: a cartridge that fails accepts nothing and gives no text.
class TNoxCrtr_context {
public:
    virtual ~TNoxCrtr_context() = default;

    // The cartridge's display name.
    virtual std::string GetCrtrName() = 0;

    // Whether the cartridge reads this file.
    virtual bool AcceptFile(const std::string& path) = 0;

    // The file's text as the cartridge reads it; empty when it cannot.
    virtual std::string GetContext(const std::string& path) = 0;

    // Where the file's text lies, for a cartridge that hands its texts over in files; nothing for
    // one that gives them only in memory (GetContext).
    virtual std::optional<TContextFile> GetContextFile(const std::string&) { return std::nullopt; }
};

#include "plugins/crtr_.h"

// A loaded context cartridge: listed like any plug-in, and used by the Context kreller.
class TListedCartridge : public virtual TListedCrtr, public TNoxCrtr_context {};

// The wrapper of a context cartridge library: the common exports and GET_CONTEXT.
class TDllCrtr_context final : public TNoxCrtr, public TListedCartridge {
public:
    using TNoxCrtr::TNoxCrtr;

    std::string GetCrtrName() override { return TNoxCrtr::GetCrtrName(); }
    bool AcceptFile(const std::string& path) override { return TNoxCrtr::AcceptFile(path); }
    // GET_CONTEXT; the empty text when the cartridge gives no answer.
    std::string GetContext(const std::string& path) override;
    // GET_CONTEXT_FILE, when the cartridge exports it. An answer that is not of its form is no text.
    std::optional<TContextFile> GetContextFile(const std::string& path) override;

protected:
    bool BindKindEntries() override;
    bool ClearEntries() override;

private:
    TCrtrFunc FGetContext = nullptr;
    TCrtrFunc FGetContextFile = nullptr;  // optional
};

// GET_CONTEXT_FILE's answer read: nothing when it is not of the interface's form.
std::optional<TContextFile> ParseContextFileAnswer(const std::string& answer);
