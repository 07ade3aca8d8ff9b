#pragma once
// The small dialogs of the found list's file actions. Each is handed what it shows and hands the
// user's answer back; the files are touched by the main window, never here.
#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Shell.h"

class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Open with": the applications offered for a file; "Ok" (or a double click) picks one.
class TD_open_with : public QDialog {
    Q_OBJECT
public:
    explicit TD_open_with(QWidget* parent = nullptr);
    // Shows the applications modally; the id of the one picked, nothing on "Cancel".
    std::optional<std::string> Choose(const std::string& path, const std::vector<platform::TApplicationChoice>& choices);
    // Fills the dialog without showing it.
    void Load(const std::string& path, const std::vector<platform::TApplicationChoice>& choices);
    std::optional<std::string> Picked() const;

private:
    QLabel* Label_file_;
    QListWidget* LB_applications_;
    QPushButton* btn_ok_;
    QPushButton* btn_cancel_;
    std::vector<platform::TApplicationChoice> choices_;
};

// "Rename": the new name, checked while it is typed; "Ok" is offered only for a name that may be given.
class TD_rename : public QDialog {
    Q_OBJECT
public:
    using TRefusal = std::function<std::string(const std::string& newName)>;
    explicit TD_rename(QWidget* parent = nullptr);
    // Shows the file's name modally; the new name on "Ok", nothing on "Cancel".
    std::optional<std::string> Ask(const std::string& path, TRefusal refusal);
    void Load(const std::string& path, TRefusal refusal);
    std::string NewName() const;
    QString Refusal() const;

private:
    void Check();

    QLabel* Label_folder_;
    QLineEdit* Edit_name_;
    QLabel* Label_refusal_;
    QPushButton* btn_ok_;
    QPushButton* btn_cancel_;
    TRefusal refusal_;
};

// "Properties": caption and value rows, the values selectable for copying.
class TD_properties : public QDialog {
    Q_OBJECT
public:
    using TRows = std::vector<std::pair<std::string, std::string>>;
    explicit TD_properties(QWidget* parent = nullptr);
    void Load(const std::string& path, const TRows& rows);
    void ShowModally(const std::string& path, const TRows& rows);
    // The value shown beside caption; empty when there is no such row.
    QString Value(const QString& caption) const;

private:
    QFormLayout* rows_;
    QPushButton* btn_close_;
};
