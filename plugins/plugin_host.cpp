#include "plugins/plugin_host.h"

#include "platform/FileSystem.h"

#include <exception>

namespace {

// A plug-in without a wrapper is none.
template <class TLoaded>
void Append(std::vector<TLoaded>& list, TLoaded loaded)
{
    if (loaded.Crtr)
        list.push_back(std::move(loaded));
}

template <class TLoaded>
void Append(std::vector<TLoaded>& list, std::vector<TLoaded> loaded)
{
    for (TLoaded& crtr : loaded)
        Append(list, std::move(crtr));
}

template <class TLoaded>
void Unload(std::vector<TLoaded>& list)
{
    // Taken out first, so a plug-in that fails while it unloads is not unloaded a second time.
    std::vector<TLoaded> unloading = std::move(list);
    list.clear();
    for (TLoaded& crtr : unloading) {
        try {
            crtr.Crtr->UnloadDll();
        } catch (...) {
            // A plug-in that fails to shut down is released all the same.
        }
    }
}

// What load finds with folder as the current directory; nothing when the folder cannot be made or
// entered. The current directory before is restored in every case.
template <class TLoad>
auto LoadInside(const std::string& folder, bool create, TLoad load) -> decltype(load())
{
    platform::TWorkingDirectoryGuard restore;
    if (create ? !platform::CreateDirectories(folder) : !platform::DirectoryExists(folder))
        return {};
    try {
        platform::SetCurrentDirectory(folder);
    } catch (const std::exception&) {
        return {};
    }
    return load();
}

} // namespace

TPluginHost::~TPluginHost() { UnloadAll(); }

TPluginFolders PluginFoldersOf(const std::string& workingDirectory, const std::string& dataHome,
                               const std::function<bool(const std::string& dir)>& canWrite)
{
    const std::string programRoot = platform::ParentDirectory(workingDirectory);
    const std::string beside = platform::WithTrailingSlash(programRoot);
    TPluginFolders folders{{beside + "context_crtrs"}, {beside + "custom_krellers"}};
    if (dataHome.empty() || !canWrite || canWrite(programRoot))
        return folders;
    const std::string own = platform::WithTrailingSlash(dataHome) + "FileKreller/";
    folders.Cartridges.push_back(own + "context_crtrs");
    folders.CustomKrellers.push_back(own + "custom_krellers");
    return folders;
}

void TPluginHost::LoadPlugins(TLibraryLoader& loader, const std::string& cartridgeFolder,
                              const std::string& krellerFolder)
{
    LoadPlugins(loader, TPluginFolders{{cartridgeFolder}, {krellerFolder}});
}

void TPluginHost::LoadPlugins(TLibraryLoader& loader, const TPluginFolders& folders)
{
    folders_ = folders;
    // Seen from inside a plug-in folder, a relative folder name like "../context_crtrs" still names
    // it; the loader gets the name as it stands.
    for (std::size_t i = 0; i < folders.Cartridges.size(); ++i) {
        const std::string& folder = folders.Cartridges[i];
        Append(cartridges_, LoadInside(folder, i == 0, [&] { return loader.LoadCartridges(folder); }));
    }
    for (std::size_t i = 0; i < folders.CustomKrellers.size(); ++i) {
        const std::string& folder = folders.CustomKrellers[i];
        Append(customKrellers_, LoadInside(folder, i == 0, [&] { return loader.LoadCustomKrellers(folder); }));
    }
}

void TPluginHost::AddCartridge(TLoadedCartridge cartridge) { Append(cartridges_, std::move(cartridge)); }

void TPluginHost::AddCustomKreller(TLoadedCkreller kreller) { Append(customKrellers_, std::move(kreller)); }

std::vector<TNoxCrtr_context*> TPluginHost::ContextCartridges() const
{
    std::vector<TNoxCrtr_context*> cartridges;
    for (const TLoadedCartridge& cartridge : cartridges_)
        cartridges.push_back(cartridge.Crtr.get());
    return cartridges;
}

std::optional<std::string> TPluginHost::CartridgeText(const std::string& path) const
{
    for (const TLoadedCartridge& cartridge : cartridges_) {
        if (cartridge.Crtr->AcceptFile(path))
            return cartridge.Crtr->GetContext(path);
    }
    return std::nullopt;
}

void TPluginHost::UnloadAll()
{
    Unload(cartridges_);
    Unload(customKrellers_);
}
