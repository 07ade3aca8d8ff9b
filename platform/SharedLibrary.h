#pragma once
#include <string>

namespace platform {

// One shared library loaded into the process (dlopen with RTLD_NOW | RTLD_LOCAL), released with
// dlclose when the object lets go of it.
class TSharedLibrary {
public:
    TSharedLibrary() = default;
    ~TSharedLibrary();
    TSharedLibrary(TSharedLibrary&& other) noexcept;
    TSharedLibrary& operator=(TSharedLibrary&& other) noexcept;
    TSharedLibrary(const TSharedLibrary&) = delete;
    TSharedLibrary& operator=(const TSharedLibrary&) = delete;

    // Loads the library at path, releasing one held before; false when path is no loadable library
    // (missing, not a shared object, unresolved symbols).
    bool Load(const std::string& path);
    bool Loaded() const { return handle_ != nullptr; }
    // The address of the export with exactly this name, or nullptr.
    void* Export(const char* name) const;
    void Release();

private:
    void* handle_ = nullptr;
};

} // namespace platform
