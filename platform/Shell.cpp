#include "platform/Shell.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <gio/gio.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

Launcher& ReplacedLauncher()
{
    static Launcher launcher;
    return launcher;
}

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

bool IsDirectory(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Why a path that stat refused cannot be opened: a missing file in an existing directory is
// "file not found", a missing or non-directory part on the way is "path not found".
int ResultForMissing(const std::string& path, int error)
{
    switch (error) {
    case ENOENT:
        return IsDirectory(ParentDirectory(path)) ? orFileNotFound : orPathNotFound;
    case ENOTDIR:
        return orPathNotFound;
    case EACCES:
        return orAccessDenied;
    default:
        return orFailed;
    }
}

int ResultForLaunchError(const GError* error)
{
    if (error && error->domain == G_IO_ERROR) {
        if (error->code == G_IO_ERROR_NOT_FOUND)
            return orFileNotFound;
        if (error->code == G_IO_ERROR_PERMISSION_DENIED)
            return orAccessDenied;
    }
    return orFailed;
}

std::string FileUri(const std::string& path)
{
    // GFile resolves a relative path against the working directory and folds "..".
    GObjectPtr<GFile> file(g_file_new_for_path(path.c_str()));
    return GCharPtr(g_file_get_uri(file.get())).get();
}

// The type is guessed from the name alone: reading content could block on a FIFO or a slow mount.
std::string ContentTypeOf(const std::string& path, bool isDirectory)
{
    if (isDirectory)
        return "inode/directory";
    GCharPtr type(g_content_type_guess(path.c_str(), nullptr, 0, nullptr));
    return type.get();
}

int LaunchForReal(GAppInfo* application, const std::string& uri)
{
    GError* rawError = nullptr;
    gboolean started = FALSE;
    if (application) {
        GList uris{};
        uris.data = const_cast<char*>(uri.c_str());
        started = g_app_info_launch_uris(application, &uris, nullptr, &rawError);
    } else {
        started = g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &rawError);
    }
    const GErrorPtr error(rawError);
    return started ? orStarted : ResultForLaunchError(error.get());
}

int Launch(GAppInfo* application, const std::string& uri)
{
    if (const Launcher& replaced = ReplacedLauncher()) {
        const char* id = application ? g_app_info_get_id(application) : nullptr;
        return replaced(LaunchRequest{id ? id : "", uri});
    }
    return LaunchForReal(application, uri);
}

bool HasScheme(const std::string& address)
{
    return g_uri_peek_scheme(address.c_str()) != nullptr;
}

} // namespace

int OpenWithAssociatedApplication(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return ResultForMissing(path, errno);
    if (access(path.c_str(), R_OK) != 0)
        return orAccessDenied;

    const std::string type = ContentTypeOf(path, S_ISDIR(info.st_mode));
    GObjectPtr<GAppInfo> application(g_app_info_get_default_for_type(type.c_str(), FALSE));
    if (!application)
        return orNoAssociation;
    return Launch(application.get(), FileUri(path));
}

void OpenAddress(const std::string& urlOrPath)
{
    if (urlOrPath.empty())
        return;
    if (HasScheme(urlOrPath)) {
        Launch(nullptr, urlOrPath);
        return;
    }
    const auto query = urlOrPath.find('?');
    const std::string path = urlOrPath.substr(0, query);
    if (query == std::string::npos) {
        Launch(nullptr, FileUri(path));
        return;
    }
    // The default handler of a file address is found through the file, which the query would
    // hide: the page's own handler (the browser) is asked for and given the whole address.
    GObjectPtr<GAppInfo> application(g_app_info_get_default_for_type(ContentTypeOf(path, false).c_str(), FALSE));
    Launch(application.get(), application ? FileUri(path) + urlOrPath.substr(query) : FileUri(path));
}

void SetLauncher(Launcher launcher)
{
    ReplacedLauncher() = std::move(launcher);
}

} // namespace platform
