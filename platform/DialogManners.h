#pragma once
#include <QString>
#include <qnamespace.h>
#include <string>

class QAbstractButton;
class QDialog;
class QWidget;

namespace platform {

// The window property that names a window's help page; F1 there opens that page.
inline constexpr char HelpTopicProperty[] = "helpTopic";

// Names the help page of window (a dialog or the main window).
void SetHelpTopic(QWidget* window, const std::string& topic);
// The help page for a widget: its window's topic, else that of the window it belongs to, and so on
// up; "index" when none names one.
std::string HelpTopicOf(const QWidget* widget);

// How a dialog's frame behaves: a small dialog keeps the size of its contents; a viewer or editor
// may be resized and maximised. Neither is minimised on its own: it belongs to its owner window.
enum class DialogFrame { Fixed, Resizable };

// The window flags of a dialog: a title with a close button, a maximise button when resizable, and
// no minimise or context help button.
Qt::WindowFlags DialogTitleFlags(DialogFrame frame);
// Gives dialog these flags, keeping whether it stays on top and whether it is frameless.
void SetDialogTitleButtons(QDialog* dialog, DialogFrame frame);

// A small dialog that takes the size of its contents and keeps it: the user cannot resize it, and
// the window manager offers neither minimise nor maximise.
void MakeFixedSizeDialog(QDialog* dialog);

// The error box of the program: text with the theme's error icon, a title and an "Ok" button, shown
// modally over parent.
void ShowErrorBox(QWidget* parent, const QString& title, const QString& text);

// The standard buttons of a dialog, each with the theme's icon for it.
enum class StandardButton { Ok, Cancel, Yes, No, Close, Help, Reset };
void SetStandardButtonIcon(QAbstractButton* button, StandardButton kind);

} // namespace platform
