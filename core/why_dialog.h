#pragma once
#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

// "Why not found?": asks for the path of one file, typed, pasted or chosen in a file dialog.
class TD_why_not_found : public QDialog {
    Q_OBJECT
public:
    explicit TD_why_not_found(QWidget* parent = nullptr);

    // Shows the dialog modally; the path's bytes on "Ok", nothing on "Cancel" or an empty path.
    std::optional<std::string> AskPath();
    void SetPathText(const QString& text);

private:
    void btn_browseClick();

    QLineEdit* Edit_path_;
    // A chosen file keeps its exact bytes, which a name that is not UTF-8 would lose on screen.
    QString chosenText_;
    std::string chosenPath_;
};
