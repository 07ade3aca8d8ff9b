#pragma once
#include <QString>
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

// A small dialog that takes the size of its contents and keeps it: the user cannot resize it, and
// the window manager offers neither minimise nor maximise.
void MakeFixedSizeDialog(QDialog* dialog);

// The standard buttons of a dialog, each with the theme's icon for it.
enum class StandardButton { Ok, Cancel, Yes, No, Close, Help, Reset };
void SetStandardButtonIcon(QAbstractButton* button, StandardButton kind);

} // namespace platform
