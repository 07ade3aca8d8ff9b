#include "platform/Shell.h"

#include "platform/FileSystem.h"
#include "platform/GioHandles.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

Launcher& ReplacedLauncher()
{
    static Launcher launcher;
    return launcher;
}

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

// Every application of list, each once (by id), in the list's order; the list is freed.
void TakeApplications(GList* list, std::vector<TApplicationChoice>& into, bool recommended)
{
    for (GList* at = list; at; at = at->next) {
        auto* application = static_cast<GAppInfo*>(at->data);
        const char* id = g_app_info_get_id(application);
        if (id && std::none_of(into.begin(), into.end(), [&](const TApplicationChoice& known) { return known.Id == id; }))
            into.push_back({id, g_app_info_get_display_name(application), false, recommended});
    }
    g_list_free_full(list, g_object_unref);
}

std::vector<TApplicationChoice> ShownApplications()
{
    std::vector<TApplicationChoice> shown;
    GList* all = g_app_info_get_all();
    for (GList* at = all; at; at = at->next) {
        auto* application = static_cast<GAppInfo*>(at->data);
        const char* id = g_app_info_get_id(application);
        if (id && g_app_info_should_show(application))
            shown.push_back({id, g_app_info_get_display_name(application), false, false});
    }
    g_list_free_full(all, g_object_unref);
    std::sort(shown.begin(), shown.end(),
              [](const TApplicationChoice& a, const TApplicationChoice& b) { return a.Name < b.Name; });
    return shown;
}

GObjectPtr<GAppInfo> ApplicationWithId(const std::string& id)
{
    GObjectPtr<GAppInfo> found;
    GList* all = g_app_info_get_all();
    for (GList* at = all; at && !found; at = at->next) {
        auto* application = static_cast<GAppInfo*>(at->data);
        const char* itsId = g_app_info_get_id(application);
        if (itsId && id == itsId)
            found.reset(G_APP_INFO(g_object_ref(application)));
    }
    g_list_free_full(all, g_object_unref);
    return found;
}

} // namespace

std::vector<TApplicationChoice> ApplicationsFor(const std::string& path)
{
    const std::string type = ContentTypeOf(path, IsDirectory(path));
    std::vector<TApplicationChoice> choices;
    if (GObjectPtr<GAppInfo> preferred{g_app_info_get_default_for_type(type.c_str(), FALSE)}) {
        if (const char* id = g_app_info_get_id(preferred.get()))
            choices.push_back({id, g_app_info_get_display_name(preferred.get()), true, true});
    }
    TakeApplications(g_app_info_get_recommended_for_type(type.c_str()), choices, true);
    TakeApplications(g_app_info_get_all_for_type(type.c_str()), choices, false);
    return choices.empty() ? ShownApplications() : choices;
}

void OpenWithApplication(const std::string& applicationId, const std::string& path)
{
    if (const Launcher& replaced = ReplacedLauncher()) {
        if (replaced(LaunchRequest{applicationId, FileUri(path)}) <= 32)
            throw std::runtime_error("The application \"" + applicationId + "\" could not be started.");
        return;
    }
    const GObjectPtr<GAppInfo> application = ApplicationWithId(applicationId);
    if (!application)
        throw std::runtime_error("There is no application \"" + applicationId + "\".");
    GObjectPtr<GFile> file(g_file_new_for_path(path.c_str()));
    GList files{};
    files.data = file.get();
    GError* error = nullptr;
    g_app_info_launch(application.get(), &files, nullptr, &error);
    ThrowIfFailed(error);
}

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
