#include "krellers/native_krellers.h"

#include "krellers/kreller_date.h"
#include "krellers/kreller_dirs.h"
#include "krellers/kreller_mask.h"
#include "krellers/kreller_context.h"
#include "krellers/kreller_size.h"

namespace {

template <class TKreller>
TD_kreller* Created(const TKrellerServices& services, QWidget* parent)
{
    auto* kreller = new TKreller(parent);
    kreller->SetServices(services);
    return kreller;
}

} // namespace

TNativeKrellers CreateNativeKrellers(const TKrellerServices& services, QWidget* parent)
{
    TNativeKrellers krellers;
    krellers.Dirs = Created<TD_kreller_dirs>(services, parent);
    krellers.FileMask = Created<TD_kreller_mask>(services, parent);
    krellers.FileSize = Created<TD_kreller_size>(services, parent);
    krellers.FileTime = Created<TD_kreller_date>(services, parent);
    krellers.Context = Created<TD_kreller_context>(services, parent);
    return krellers;
}

std::unique_ptr<TChainKreller> CreateCustomKreller(TNoxCrtr_ckreller* plugin)
{
    auto kreller = std::make_unique<TD_kreller>();
    kreller->AttachPlugin(plugin);
    return kreller;
}
