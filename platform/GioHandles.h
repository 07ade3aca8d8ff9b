#pragma once
// Owners of what GIO hands out, so every way out of a call releases it.
#include <gio/gio.h>
#include <memory>
#include <stdexcept>
#include <string>

namespace platform {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<gchar, GFree>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

// Throws the system's message of a failed GIO call; nothing when it did not fail.
inline void ThrowIfFailed(GError* raw)
{
    const GErrorPtr error(raw);
    if (error)
        throw std::runtime_error(error->message ? error->message : "failed");
}

} // namespace platform
