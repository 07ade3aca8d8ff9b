#include "plugins/crtr_.h"

#include <cstring>

TNoxCrtr::TNoxCrtr(TEventPump processEvents) : processEvents_(std::move(processEvents)) {}

TNoxCrtr::~TNoxCrtr()
{
    if (FDllHandle.Loaded())
        TNoxCrtr::UnloadDll();
}

bool TNoxCrtr::LoadDll(const std::string& path)
{
    if (!FDllHandle.Load(path))
        return false;
    FGetCrtrName = Bind(CRTR_GET_CRTR_NAME);
    FAcceptFile = Bind(CRTR_ACCEPT_FILE);
    FInit = Bind(CRTR_INIT);
    FSetUp = Bind(CRTR_SET_UP);
    FShutDown = Bind(CRTR_SHUT_DOWN);
    if (!FGetCrtrName || !FAcceptFile || !FInit || !FSetUp || !FShutDown)
        return false;
    CallInit();
    return BindKindEntries();
}

bool TNoxCrtr::UnloadDll()
{
    if (FShutDown) {
        while (CallShutDown() == CRTR_WAIT) {
            if (processEvents_)
                processEvents_();
        }
    }
    ClearEntries();
    FDllHandle.Release();
    return true;
}

bool TNoxCrtr::ClearEntries()
{
    FGetCrtrName = nullptr;
    FInit = nullptr;
    FSetUp = nullptr;
    FShutDown = nullptr;
    FAcceptFile = nullptr;
    return true;
}

std::string TNoxCrtr::CallInit() { return Answer(FInit); }

std::string TNoxCrtr::CallSetUp() { return Answer(FSetUp); }

std::string TNoxCrtr::CallShutDown() { return Answer(FShutDown); }

bool TNoxCrtr::AcceptFile(const std::string& path) { return Yes(FAcceptFile, path); }

std::string TNoxCrtr::GetCrtrName() { return Answer(FGetCrtrName); }

TCrtrFunc TNoxCrtr::Bind(const char* name) const
{
    // dlsym answers an object pointer; copying its bits is the portable way to a function pointer.
    void* address = FDllHandle.Export(name);
    TCrtrFunc function = nullptr;
    static_assert(sizeof function == sizeof address);
    std::memcpy(&function, &address, sizeof function);
    return function;
}

std::optional<std::string> TNoxCrtr::Call(TCrtrFunc function, const std::string& argument) const
{
    if (!function)
        return std::nullopt;
    try {
        const char* answer = function(argument.c_str());
        // A null answer breaks the interface's rule; the empty text is the harmless reading of it.
        return std::string(answer ? answer : "");
    } catch (...) {
        // An exception must not unwind through the host; the plug-in simply gave no answer.
        return std::nullopt;
    }
}

std::string TNoxCrtr::Answer(TCrtrFunc function, const std::string& argument) const
{
    return Call(function, argument).value_or(std::string());
}

bool TNoxCrtr::Yes(TCrtrFunc function, const std::string& argument) const
{
    return Call(function, argument) == CRTR_YES;
}
