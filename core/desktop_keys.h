#pragma once
#include <QObject>
#include <functional>
#include <string>

class QWidget;

// Gives the entries of a menu or menu bar an Alt mnemonic each (see WithMnemonics), and those of
// its submenus.
void AssignMenuMnemonics(QWidget* menuOrBar);

// The keyboard conventions every window keeps, installed once on the application: a menu or menu
// bar gets its mnemonics when it is shown, so entries added later have one too, and F1 in a window
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
