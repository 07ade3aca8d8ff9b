#pragma once
#include "krellers/chain_kreller.h"
#include "krellers/kreller_services.h"

#include <memory>

class QWidget;
class TD_kreller;
class TNoxCrtr_ckreller;

// The built-in kreller objects, by row; a missing one has no row.
struct TNativeKrellers {
    TD_kreller* Dirs = nullptr;
    TD_kreller* FileMask = nullptr;
    TD_kreller* FileSize = nullptr;
    TD_kreller* FileTime = nullptr;
    TD_kreller* Context = nullptr;
};

// Creates the program's native krellers, once at start-up, each with the services; they belong to
// parent. This is the one place a new native kreller is added.
TNativeKrellers CreateNativeKrellers(const TKrellerServices& services, QWidget* parent);

// The kreller object of a custom kreller row: a plain kreller dialog forwarding to the plug-in.
std::unique_ptr<TChainKreller> CreateCustomKreller(TNoxCrtr_ckreller* plugin);
