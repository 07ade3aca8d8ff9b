#include "plugins/crtr_context.h"

std::string TDllCrtr_context::GetContext(const std::string& path) { return Answer(FGetContext, path); }

bool TDllCrtr_context::BindKindEntries()
{
    FGetContext = Bind(CRTR_GET_CONTEXT);
    return FGetContext != nullptr;
}

bool TDllCrtr_context::ClearEntries()
{
    FGetContext = nullptr;
    return TNoxCrtr::ClearEntries();
}
