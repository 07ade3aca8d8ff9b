#pragma once
#include "plugins/plugin_host.h"

// Loads every "*.so" of a folder, in the order the directory lists them, as a plug-in of the asked
// kind. A file that is no library, or no plug-in of that kind, is shut down (as far as it got),
// released and left out without a word.
class TDllLoader : public TLibraryLoader {
public:
    // processEvents runs between the rounds of every loaded plug-in's shutdown handshake.
    explicit TDllLoader(TEventPump processEvents = {}) : processEvents_(std::move(processEvents)) {}

    std::vector<TLoadedCartridge> LoadCartridges(const std::string& folder) override;
    std::vector<TLoadedCkreller> LoadCustomKrellers(const std::string& folder) override;

private:
    TEventPump processEvents_;
};

// Whether a directory entry's name is that of a plug-in library ("*.so").
bool IsPluginLibraryName(const std::string& name);
