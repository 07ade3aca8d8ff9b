#include "platform/SharedLibrary.h"

#include <dlfcn.h>
#include <utility>

namespace platform {

TSharedLibrary::~TSharedLibrary() { Release(); }

TSharedLibrary::TSharedLibrary(TSharedLibrary&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

TSharedLibrary& TSharedLibrary::operator=(TSharedLibrary&& other) noexcept
{
    if (this != &other) {
        Release();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

bool TSharedLibrary::Load(const std::string& path)
{
    Release();
    // A name without '/' would be looked up on the loader's search path instead of taken as it is.
    const std::string explicitPath = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = dlopen(explicitPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle_ != nullptr;
}

void* TSharedLibrary::Export(const char* name) const
{
    return handle_ ? dlsym(handle_, name) : nullptr;
}

void TSharedLibrary::Release()
{
    if (handle_)
        dlclose(std::exchange(handle_, nullptr));
}

} // namespace platform
