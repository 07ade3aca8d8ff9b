#include "plugins/dll_loader.h"

#include "platform/FileSystem.h"

namespace {

template <class TWrapper, class TListed>
std::vector<TLoadedCrtr<TListed>> LoadFromDir(const std::string& folder, const TEventPump& processEvents)
{
    const std::string directory = platform::WithTrailingSlash(folder);
    std::vector<TLoadedCrtr<TListed>> loaded;
    for (const FileEntry& entry : platform::ListDirectory(directory)) {
        if (entry.IsDirectory() || !IsPluginLibraryName(entry.Name))
            continue;
        auto crtr = std::make_unique<TWrapper>(processEvents);
        if (crtr->LoadDll(directory + entry.Name)) {
            std::string name = crtr->GetCrtrName();
            loaded.push_back({std::move(name), entry.Name, std::move(crtr)});
        } else {
            crtr->UnloadDll();
        }
    }
    return loaded;
}

} // namespace

bool IsPluginLibraryName(const std::string& name)
{
    return name.ends_with(".so");
}

std::vector<TLoadedCartridge> TDllLoader::LoadCartridges(const std::string& folder)
{
    return LoadFromDir<TDllCrtr_context, TListedCartridge>(folder, processEvents_);
}

std::vector<TLoadedCkreller> TDllLoader::LoadCustomKrellers(const std::string& folder)
{
    return LoadFromDir<TDllCrtr_ckreller, TListedCkreller>(folder, processEvents_);
}
