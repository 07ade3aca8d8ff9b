#pragma once
#include "platform/SharedLibrary.h"
#include "plugins/crtr_interface.h"

#include <functional>
#include <optional>
#include <string>

// What the host needs of the wrapper of any loaded plug-in library.
class TListedCrtr {
public:
    virtual ~TListedCrtr() = default;
    // SET_UP: the plug-in shows its own settings. The answer is of no interest to the host.
    virtual std::string CallSetUp() = 0;
    // The shutdown handshake and release of the library.
    virtual bool UnloadDll() = 0;
};

// Lets pending window events run once; the shutdown handshake runs it between two SHUT_DOWN calls.
using TEventPump = std::function<void()>;

// The wrapper of one plug-in library: binds the exports every plug-in has and calls them. The kind
// wrappers (TDllCrtr_context, TDllCrtr_ckreller) bind their own exports on top.
//
// Every call into the plug-in goes through Call: the argument is a valid string (empty when the call
// carries nothing), the answer is copied at once, a null answer is the empty text, and a C++
// exception thrown by the plug-in stops at this boundary and counts as "no answer".
class TNoxCrtr : public virtual TListedCrtr {
public:
    explicit TNoxCrtr(TEventPump processEvents = {});
    // A wrapper still loaded (none is, after UnloadDll) shuts its plug-in down on the way out.
    ~TNoxCrtr() override;
    TNoxCrtr(const TNoxCrtr&) = delete;
    TNoxCrtr& operator=(const TNoxCrtr&) = delete;

    // Loads the library, binds GET_CRTR_NAME, ACCEPT_FILE, INIT, SET_UP and SHUT_DOWN, calls INIT
    // and binds the kind's exports. False when the library does not load, lacks one of the five or
    // lacks an export its kind requires; UnloadDll then releases what was bound.
    bool LoadDll(const std::string& path);
    // The shutdown handshake (SHUT_DOWN again, with events let run in between, while it answers
    // "WAIT"; no bound on the rounds), then the entry points are forgotten and the library released.
    bool UnloadDll() override;

    std::string CallInit();
    std::string CallSetUp() override;
    std::string CallShutDown();
    // ACCEPT_FILE: true exactly for the answer "Y".
    bool AcceptFile(const std::string& path);
    // GET_CRTR_NAME.
    std::string GetCrtrName();

protected:
    // Binds the exports of the plug-in's kind; true when the required ones exist.
    virtual bool BindKindEntries() { return true; }
    // Forgets the bound entry points.
    virtual bool ClearEntries();

    // The export of that name, or nullptr.
    TCrtrFunc Bind(const char* name) const;
    // The plug-in's answer, copied; nothing when the export is not bound or the call threw.
    std::optional<std::string> Call(TCrtrFunc function, const std::string& argument) const;
    // The answer, or the empty text for none.
    std::string Answer(TCrtrFunc function, const std::string& argument = {}) const;
    // Whether the answer is exactly "Y".
    bool Yes(TCrtrFunc function, const std::string& argument) const;

private:
    TEventPump processEvents_;
    platform::TSharedLibrary FDllHandle;
    TCrtrFunc FGetCrtrName = nullptr;
    TCrtrFunc FInit = nullptr;
    TCrtrFunc FSetUp = nullptr;
    TCrtrFunc FShutDown = nullptr;
    TCrtrFunc FAcceptFile = nullptr;
};
