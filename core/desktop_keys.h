#pragma once
#include <QObject>
#include <functional>
#include <string>

class QWidget;

// Gives the entries of a menu or menu bar an Alt mnemonic each (see WithMnemonics), and those of
// its submenus.
void AssignMenuMnemonics(QWidget* menuOrBar);

// Gives the captioned controls of a dialog an Alt mnemonic each: buttons, check boxes and radio
// buttons, group boxes, tabs, and labels that name a field. Controls shown together never share a
// letter; those on different tab pages may, as only the page shown answers Alt. Marks already there
// are kept; controls of dialogs owned by this one are left to theirs.
void AssignDialogMnemonics(QWidget* dialog);

// The tab page that holds control in window, or null when control is on no tab page.
QWidget* TabPageOf(QWidget* control, QWidget* window);

// Marks the first link of a link label that Tab has just given the focus (the last for Shift+Tab),
// so the Tab stop shows where it is.
void MarkLinkReachedByTab(QObject* control, Qt::FocusReason reason);

// The keyboard conventions every window keeps, installed once on the application: a menu or menu
// bar gets its mnemonics when it is shown, so entries added later have one too, a dialog gets
// those of its controls each time it is shown, a list gets a frame that shows its focus, a link
// reached by Tab is marked, and F1 in a window
// that does not answer it itself opens the window's help page (see platform::HelpTopicOf).
class TDesktopKeys : public QObject {
    Q_OBJECT
public:
    explicit TDesktopKeys(std::function<void(const std::string& topic)> showHelp, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const std::string&)> showHelp_;
};
