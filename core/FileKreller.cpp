#include <QScreen>

#include "core/about.h"
#include "core/help_pages.h"
#include "core/application.h"
#include "core/desktop_keys.h"
#include "core/main.h"
#include "core/msg.h"
#include "core/sure.h"
#include "core/tab_order.h"
#include "core/text_view.h"
#include "krellers/native_krellers.h"
#include "platform/Icons.h"
#include "platform/MemoryReuse.h"
#include "platform/TerminationRequests.h"
#include "settings_ui/settings_user.h"

// Every window is created once, in a fixed order, and reused until the program ends.
int main(int argc, char** argv)
{
    platform::KeepFreedMemoryForReuse();
    TFApplication app(argc, argv);
    QApplication::setApplicationName("FileKreller");
    QGuiApplication::setDesktopFileName("filekreller");
    platform::UseInstalledIconTheme();
    QApplication::setWindowIcon(platform::ApplicationIcon());  // every window and dialog shows it
    TLayoutTabOrder tabOrder;
    app.installEventFilter(&tabOrder);

    TFmain mainWindow;
    TDesktopKeys desktopKeys([&mainWindow](const std::string& topic) { mainWindow.ShowHelpTopic(topic); });
    app.installEventFilter(&desktopKeys);
    TD_settings_user settings(TSettingsUserServices{}, &mainWindow);  // loads the settings file
    TUserSettingsLink settingsLink(settings);
    mainWindow.AttachSettings(&settingsLink);
    TFsure sure(&mainWindow);
    TFsure_checked sureChecked(&mainWindow);
    TDmsg msg(&mainWindow);
    TFbreak_scanning breakScanning(&mainWindow);
    TF_text_view textView([&msg](const std::string& text) { msg.Inform(text); }, &mainWindow);
    TF_about about(&mainWindow);

    TSettingsUserServices services;
    services.Ask = [&sure](const std::string& question) { return sure.Ask(question); };
    services.CloseMainWindow = [&mainWindow] { PostCloseRequest(&mainWindow); };
    services.ShowHelpTopic = [&mainWindow](const std::string& topic) { mainWindow.ShowHelpTopic(topic); };
    services.PluginsPageAddress = ProductListAddress();
    services.Plugins = &mainWindow.Plugins();
    settings.SetServices(services);
    mainWindow.AttachDialogs({&sure, &msg, &breakScanning, &textView, &about});
    mainWindow.AttachNativeKrellers(CreateNativeKrellers(mainWindow.KrellerServices(), &mainWindow));

    // Without a window manager "maximised" means nothing, so the window takes the screen itself.
    if (const QScreen* screen = mainWindow.screen())
        mainWindow.setGeometry(screen->availableGeometry());
    mainWindow.ShowAsRemembered();
    const platform::TTerminationRequests endRequests([&mainWindow] { CloseMainWindowFromOutside(&mainWindow); });
    return app.exec();
}
