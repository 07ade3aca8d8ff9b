#include "plugins/plugin_host.h"

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

} // namespace

TPluginHost::~TPluginHost() { UnloadAll(); }

void TPluginHost::LoadPlugins(TLibraryLoader& loader, const std::string& cartridgeFolder,
                              const std::string& krellerFolder)
{
    Append(cartridges_, loader.LoadCartridges(cartridgeFolder));
    Append(customKrellers_, loader.LoadCustomKrellers(krellerFolder));
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

void TPluginHost::UnloadAll()
{
    Unload(cartridges_);
    Unload(customKrellers_);
}
