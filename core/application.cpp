#include "core/application.h"
#include "platform/DialogManners.h"

#include <exception>

void ShowErrorMessage(QWidget* parent, const std::string& text)
{
    platform::ShowErrorBox(parent, QApplication::applicationName(), QString::fromUtf8(text));
}

TFApplication::TFApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName("FileKreller");
}

bool TFApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowErrorMessage(activeWindow(), error.what());
    } catch (...) {
        ShowErrorMessage(activeWindow(), "Unknown error");
    }
    return true;
}
