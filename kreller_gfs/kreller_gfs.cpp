// The nine exports of the picture-size custom kreller. Each copies its argument first, works on the
// one dialog object, and keeps every failure to itself: the host only ever sees an answer.
#include "plugins/crtr_interface.h"
#include "kreller_gfs/decoders.h"
#include "kreller_gfs/settings_user.h"

#include <QCoreApplication>
#include <QPointer>
#include <string>

namespace {

using gfs::TD_settings_user;

QPointer<TD_settings_user> SettingsDialog;
// The last SHOW_EDIT answer; it stays readable until the next SHOW_EDIT call.
std::string EditResult;

constexpr const char* kEditFailed = "CUSTOM KRELLER ERROR";

// A picture is being tested: the host's events run meanwhile, and a call they lead to must not
// test another picture or take the dialog away under the one being tested.
bool Testing = false;

// Lets the host's window answer while a big picture is scanned.
void RunHostEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

std::string Copied(const char* argument)
{
    return argument ? std::string(argument) : std::string();
}

template <typename Work>
const char* Guarded(const char* onFailure, Work&& work) noexcept
{
    try {
        return work();
    } catch (...) {
        return onFailure;
    }
}

const char* YesNo(bool yes)
{
    return yes ? CRTR_YES : CRTR_NO;
}

// The dialog is destroyed by the host's next round of message processing. A queued call is used
// rather than deferred deletion, which a host that merely processes pending events outside an
// event loop would never carry out.
void ReleaseLater(TD_settings_user* dialog)
{
    if (!QCoreApplication::instance()) {
        delete dialog;
        return;
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [dialog = QPointer<TD_settings_user>(dialog)] { delete dialog.data(); },
        Qt::QueuedConnection);
}

} // namespace

extern "C" {

CRTR_EXPORT const char* INIT(const char*)
{
    return Guarded(CRTR_DONE, [] {
        if (!SettingsDialog)
            SettingsDialog = new TD_settings_user;
        gfs::SetScanTicker(RunHostEvents);
        return CRTR_DONE;
    });
}

CRTR_EXPORT const char* SHUT_DOWN(const char*)
{
    return Guarded(CRTR_DONE, [] {
        if (Testing)
            return CRTR_WAIT;
        gfs::SetScanTicker({});
        if (TD_settings_user* dialog = SettingsDialog.data()) {
            SettingsDialog = nullptr;
            ReleaseLater(dialog);
        }
        return gfs::SettingsAlive() ? CRTR_WAIT : CRTR_DONE;
    });
}

CRTR_EXPORT const char* SET_UP(const char*)
{
    return Guarded(CRTR_DONE, [] {
        if (SettingsDialog)
            SettingsDialog->ShowModal();
        return CRTR_DONE;
    });
}

CRTR_EXPORT const char* GET_CRTR_NAME(const char*)
{
    return gfs::kPluginName;
}

CRTR_EXPORT const char* FILE_MEETS(const char* argument)
{
    return Guarded(CRTR_NO, [path = Copied(argument)] {
        if (Testing)
            return CRTR_NO;
        Testing = true;
        struct TDone {
            ~TDone() { Testing = false; }
        } done;
        return YesNo(SettingsDialog && SettingsDialog->TestImageFile(path));
    });
}

CRTR_EXPORT const char* ACCEPT_FILE(const char* argument)
{
    return Guarded(CRTR_NO, [path = Copied(argument)] {
        return YesNo(SettingsDialog && SettingsDialog->AcceptExt(path));
    });
}

CRTR_EXPORT const char* LOAD_CONDITION(const char* argument)
{
    return Guarded(CRTR_NO, [text = Copied(argument)] {
        if (!SettingsDialog)
            return CRTR_NO;
        SettingsDialog->LoadConditionText(text);
        return CRTR_DONE;
    });
}

CRTR_EXPORT const char* SHOW_EDIT(const char*)
{
    return Guarded(kEditFailed, [] {
        if (!SettingsDialog)
            return kEditFailed;
        std::string text = SettingsDialog->EditImageCondition();
        EditResult = std::move(text);
        return EditResult.c_str();
    });
}

CRTR_EXPORT const char* SHOW_FILE(const char* argument)
{
    return Guarded(CRTR_DONE, [path = Copied(argument)] {
        if (SettingsDialog)
            SettingsDialog->ShowImageFile(path);
        return CRTR_DONE;
    });
}

} // extern "C"
