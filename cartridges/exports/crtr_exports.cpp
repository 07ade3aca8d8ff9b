// The exports of a context cartridge library. Each cartridge compiles this file with its own
// ThisCartridgeDescription(); everything else is shared.
#include "crtr_setup.h"
#include "plugins/crtr_interface.h"

#include <QApplication>
#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <memory>

const CartridgeDescription& ThisCartridgeDescription();

namespace {

// The last answer; the host copies it before its next call.
std::string g_answer;
std::unique_ptr<Cartridge> g_cartridge;
// A conversion is under way: the host's events run meanwhile, and a call they lead to must not
// start another conversion or take the cartridge away under it.
bool g_converting = false;

// Lets the host's window answer while a converter works.
void RunHostEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

const char* Answer(std::string text)
{
    g_answer = std::move(text);
    return g_answer.c_str();
}

std::string Argument(const char* argument)
{
    return argument ? argument : "";
}

// The full path of this library. The host loads it by a path relative to the plug-in folder,
// which is the current directory during INIT, so it is made absolute then.
std::string ThisLibraryPath()
{
    Dl_info info{};
    if (!::dladdr(static_cast<const void*>(&g_answer), &info) || !info.dli_fname)
        return {};
    char resolved[PATH_MAX];
    return ::realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
}

Cartridge& Instance()
{
    if (!g_cartridge) {
        const CartridgeDescription& description = ThisCartridgeDescription();
        ChildLimits limits;
        limits.whileWaiting = RunHostEvents;
        g_cartridge = std::make_unique<Cartridge>(description, HelperPathBeside(ThisLibraryPath(), description.helperName),
                                                  TextCache(UserCacheDirectory(description.id), Cartridge::kCacheLimitBytes), limits);
    }
    return *g_cartridge;
}

// No failure may cross the interface.
template <typename Work>
const char* Guarded(const char* onFailure, Work&& work)
{
    try {
        return work();
    } catch (...) {
        return onFailure;
    }
}

// One conversion at a time: a call the host's events lead to meanwhile gets the empty answer.
template <typename Work>
const char* Converting(Work&& work)
{
    return Guarded("", [&work] {
        if (g_converting)
            return "";
        g_converting = true;
        struct TDone {
            ~TDone() { g_converting = false; }
        } done;
        return Answer(work());
    });
}

// GET_CONTEXT_FILE's answer: how the text was made, where it starts, the file it lies in.
std::string ContextFileAnswer(const std::optional<StoredText>& text)
{
    if (!text)
        return {};
    const char* how = text->cut == TextCut::TimeLimit ? CRTR_TEXT_TIME_LIMIT
                      : text->cut == TextCut::SizeLimit ? CRTR_TEXT_SIZE_LIMIT
                                                        : CRTR_TEXT_WHOLE;
    return std::string(how) + "\n" + std::to_string(text->offset) + "\n" + text->path;
}

} // namespace

extern "C" {

CRTR_EXPORT const char* INIT(const char*)
{
    return Guarded(CRTR_NO, [] {
        Instance();
        return CRTR_DONE;
    });
}

CRTR_EXPORT const char* GET_CRTR_NAME(const char*)
{
    return Guarded("", [] { return Answer(ThisCartridgeDescription().name); });
}

CRTR_EXPORT const char* ACCEPT_FILE(const char* path)
{
    return Guarded(CRTR_NO, [path] { return Instance().AcceptFile(Argument(path)) ? CRTR_YES : CRTR_NO; });
}

CRTR_EXPORT const char* GET_CONTEXT(const char* path)
{
    return Converting([path] { return Instance().GetContext(Argument(path)); });
}

CRTR_EXPORT const char* GET_CONTEXT_FILE(const char* path)
{
    return Converting([path] { return ContextFileAnswer(Instance().GetContextFile(Argument(path))); });
}

CRTR_EXPORT const char* SET_UP(const char*)
{
    return Guarded(CRTR_NO, [] {
        // The dialog needs the host's application object; without one there is nothing to show.
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || g_converting)
            return CRTR_NO;
        TD_crtr_setup dialog(Instance(), QApplication::activeWindow());
        dialog.exec();
        return CRTR_DONE;
    });
}

CRTR_EXPORT const char* SHUT_DOWN(const char*)
{
    return Guarded(CRTR_DONE, [] {
        if (g_converting)
            return CRTR_WAIT;
        g_cartridge.reset();
        return CRTR_DONE;
    });
}

} // extern "C"
