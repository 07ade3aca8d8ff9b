#pragma once
#include <functional>
#include <string>
#include <vector>

namespace platform {

// Result codes of OpenWithAssociatedApplication. A value above 32 is success.
enum OpenResult : int {
    orFailed = 0,
    orFileNotFound = 2,
    orPathNotFound = 3,
    orAccessDenied = 5,
    orNoAssociation = 31,
    orStarted = 33,
};

// Opens path with the default application for its type (chosen by the file's name; a directory by
// the handler for folders). Returns orStarted, or the code that describes why nothing was started.
int OpenWithAssociatedApplication(const std::string& path);

// Opens a web address, or a file path resolved against the working directory, with its default
// handler. A file path may end in a query ("page.html?q=name") that the page reads; without a
// handler for the page's type the page opens without it. Every failure is swallowed: help and
// web pages are offered, never insisted on.
void OpenAddress(const std::string& urlOrPath);

// An application the desktop offers for a file.
struct TApplicationChoice {
    std::string Id;    // its desktop file id
    std::string Name;  // the name the desktop shows
    bool IsDefault = false;
    bool IsRecommended = false;

    bool operator==(const TApplicationChoice&) const = default;
};

// The applications for path's type (judged by its name, a directory as a folder): the default
// first, then those recommended for the type, then every other that declares it. When none
// declares the type, every application the desktop shows, so the user can still pick one.
std::vector<TApplicationChoice> ApplicationsFor(const std::string& path);

// Starts the application of that desktop file id on path. Throws the system's message when it
// cannot be found or started. Goes through the launcher like the open calls.
void OpenWithApplication(const std::string& applicationId, const std::string& path);

// The last step of both open calls: start ApplicationId (a desktop file id; empty means "the default
// handler of Uri") on Uri. It answers a result code like OpenWithAssociatedApplication.
struct LaunchRequest {
    std::string ApplicationId;
    std::string Uri;
};
using Launcher = std::function<int(const LaunchRequest&)>;

// Replaces the launch step, so tests can follow an open call to its end without starting
// anything. An empty launcher puts the real one back.
void SetLauncher(Launcher launcher);

} // namespace platform
