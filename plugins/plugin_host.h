#pragma once
#include "plugins/crtr_ckreller.h"
#include "plugins/crtr_context.h"

#include <memory>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// One loaded plug-in: its display name, its library file's name and its wrapper.
template <class TCrtr>
struct TLoadedCrtr {
    std::string Name;
    std::string FileName;
    std::unique_ptr<TCrtr> Crtr;
};
using TLoadedCartridge = TLoadedCrtr<TListedCartridge>;
using TLoadedCkreller = TLoadedCrtr<TListedCkreller>;

// Finds and loads the plug-in libraries of a folder, which is the current directory meanwhile.
// TDllLoader loads real libraries; tests may hand in fakes.
class TLibraryLoader {
public:
    virtual ~TLibraryLoader() = default;
    // Every library in the folder that loads and answers as a context cartridge, in load order.
    virtual std::vector<TLoadedCartridge> LoadCartridges(const std::string& folder) = 0;
    // Every library in the folder that loads and answers as a custom kreller, in load order.
    virtual std::vector<TLoadedCkreller> LoadCustomKrellers(const std::string& folder) = 0;
};

// The folders plug-ins are loaded from, each kind in order, as full paths.
struct TPluginFolders {
    std::vector<std::string> Cartridges;
    std::vector<std::string> CustomKrellers;
};

// The folders beside the program, "../context_crtrs" and "../custom_krellers" seen from
// workingDirectory; for a copy whose own folder the user cannot write (an installed one), the
// user's <dataHome>/FileKreller/context_crtrs and custom_krellers after them.
TPluginFolders PluginFoldersOf(const std::string& workingDirectory, const std::string& dataHome,
                               const std::function<bool(const std::string& dir)>& canWrite);

// Owner of the loaded plug-ins, created once by the main window: the context cartridges and the
// custom krellers, each list in the order the plug-ins were loaded. Lists and krellers only look.
class TPluginHost {
public:
    TPluginHost() = default;
    TPluginHost(const TPluginHost&) = delete;
    TPluginHost& operator=(const TPluginHost&) = delete;
    // Unloads every plug-in that is still loaded.
    ~TPluginHost();

    // Appends what the loader finds in the two folders, cartridges first. Each folder is created
    // when missing and is the current directory while its plug-ins load (a plug-in may look for its
    // own files there); the current directory is restored whatever happens. A folder that cannot be
    // created or entered gives no plug-ins, silently.
    void LoadPlugins(TLibraryLoader& loader, const std::string& cartridgeFolder, const std::string& krellerFolder);
    // The same for every folder of each kind, in order; only the first of each is created.
    void LoadPlugins(TLibraryLoader& loader, const TPluginFolders& folders);
    // The folders the plug-ins were looked for in, for the user to be told.
    const TPluginFolders& Folders() const { return folders_; }
    void AddCartridge(TLoadedCartridge cartridge);
    void AddCustomKreller(TLoadedCkreller kreller);

    const std::vector<TLoadedCartridge>& Cartridges() const { return cartridges_; }
    const std::vector<TLoadedCkreller>& CustomKrellers() const { return customKrellers_; }
    // The cartridges as the Context kreller asks them, in load order.
    std::vector<TNoxCrtr_context*> ContextCartridges() const;
    // The text of the file as the first cartridge that accepts it gives it; nothing when none does.
    std::optional<std::string> CartridgeText(const std::string& path) const;

    // The shutdown handshake with every plug-in, cartridges first, each once; the lists empty.
    void UnloadAll();

private:
    TPluginFolders folders_;
    std::vector<TLoadedCartridge> cartridges_;
    std::vector<TLoadedCkreller> customKrellers_;
};
