#pragma once
#include "tagged/file_group.h"

#include <QDialog>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TD_settings;
class TD_file_group_exts;

// A yes/no question to the user; true for "Yes". The program hands in its confirmation dialog.
using TAskFunc = std::function<bool(const std::string& question)>;
// A modal input box (title, prompt); nothing when the user cancelled.
using TInputFunc = std::function<std::optional<std::string>(const std::string& title, const std::string& prompt)>;

// ---- Rules of the stored and edited forms ----

// The pieces that are stored as one GI element each: the text cut at every semicolon except a
// final one, which stays part of the last piece. An empty text has no pieces.
std::vector<std::string> SplitExtensionsForStoring(const std::string& text);
// The entries of the edit dialog's list: the text cut at every semicolon; an empty piece between
// two semicolons is an entry, nothing follows a final semicolon.
std::vector<std::string> SplitExtensionsForEditing(const std::string& text);
std::string JoinExtensions(const std::vector<std::string>& extensions);
// What the user typed, without the blanks, dots and slashes people put around extensions.
std::string CleanedExtension(const std::string& input);

// Where an extension typed into the edit dialog went: the entry to select, or none.
struct TExtensionAdded {
    int Index = -1;        // -1: nothing was left to add
    bool Appended = false; // false: an entry that is equal ignoring case was already listed
    bool operator==(const TExtensionAdded&) const = default;
};
TExtensionAdded AddExtension(std::vector<std::string>& extensions, const std::string& input);

// The groups under FILE_GROUPS (created empty when missing), one per child whatever its name.
std::vector<TFileGroup> ReadFileGroups(TD_settings& settings);
// Replaces FILE_GROUPS by the groups, in order, as the settings document's last child.
void WriteFileGroups(TD_settings& settings, const std::vector<TFileGroup>& groups);

// ---- List frames ----

// A read-only report list of rows with a caption and one sub-item; the base of the file group
// list and the plug-in lists.
class TO_selected_list : public QWidget {
    Q_OBJECT
public:
    explicit TO_selected_list(QWidget* parent = nullptr);

    int ItemCount() const;
    void ClearItems();
    // The new row is checked when the list shows check boxes.
    QTreeWidgetItem* AddItem(const std::string& caption, const std::string& text);
    void DeleteSelected();
    // Empty when there is no row at index.
    std::string CaptionAt(int index) const;
    std::string TextAt(int index) const;

    QTreeWidgetItem* Selected() const;
    int SelectedIndex() const;
    void SelectIndex(int index);

    void SetCheckBoxes(bool shown);
    bool CheckBoxes() const { return checkBoxes_; }
    bool CheckedAt(int index) const;
    void SetCheckedAt(int index, bool checked);

    QTreeWidget* LV1 = nullptr;

signals:
    void SelectionChanged();
    // Double click on a row (and, in lists that want it, Enter).
    void ItemActivated();

protected:
    QTreeWidgetItem* ItemAt(int index) const;
    // Fills item as AddItem does and appends it; the list owns it from then on.
    QTreeWidgetItem* AppendItem(QTreeWidgetItem* item, const std::string& caption, const std::string& text);
    void SetColumns(const std::vector<std::pair<QString, int>>& captionsAndWidths, bool headerShown);

private:
    bool checkBoxes_ = false;
};

// The file groups of the settings document: one row per group (name, extensions). Each instance
// keeps its own copy and rewrites the whole FILE_GROUPS element on every change made through it.
class TO_file_groups : public TO_selected_list {
    Q_OBJECT
public:
    explicit TO_file_groups(QWidget* parent = nullptr);

    // The settings document the groups live in and the dialog that edits one group.
    void Attach(TD_settings* settings, TD_file_group_exts* editor);

    void LoadGroups();
    void SaveGroups();
    std::vector<TFileGroup> Groups() const;

    void CheckAll();
    void UncheckAll();
    void InvertChecks();

    // A new group "NewGroup", edited at once; removed again unless the edit is confirmed.
    void AddGroup();
    // Deletes the selected group and saves; the caller asks for confirmation.
    void DeleteGroup();
    // False when no group is selected or the edit was not confirmed.
    bool EditGroup();

    // Checked rows are drawn struck out (the File mask kreller's "restrict" mode).
    void SetStrikeChecked(bool strike);
    bool StrikeChecked() const { return strikeChecked_; }
    bool DrawnStruckOut(int index) const;

private:
    void SetAllChecks(const std::function<bool(bool)>& newState);

    TD_settings* settings_ = nullptr;
    TD_file_group_exts* editor_ = nullptr;
    bool strikeChecked_ = false;
};

// The dialog "File group": edits the name and extensions of one group row.
class TD_file_group_exts : public QDialog {
    Q_OBJECT
public:
    explicit TD_file_group_exts(TAskFunc ask, QWidget* parent = nullptr);

    // Shows the row's group modally; on "Ok" writes it back to the row. True when confirmed.
    bool EditFileGroup(QTreeWidgetItem* row);

    // Replaces the input box (tests answer it themselves).
    void SetInputBox(TInputFunc input) { input_ = std::move(input); }
    void SetAsk(TAskFunc ask) { ask_ = std::move(ask); }

    bool Confirmed = false;
    QLineEdit* Edit_name = nullptr;
    QListWidget* LBexts = nullptr;

private:
    void BuildControls();
    void LoadRow(const QTreeWidgetItem& row);
    void StoreRow(QTreeWidgetItem& row) const;
    std::vector<std::string> Extensions() const;
    void btn_addClick();
    void btn_removeClick();
    void btn_okClick();
    void UpdateRemoveButton();

    TAskFunc ask_;
    TInputFunc input_;
    QPushButton* btn_add = nullptr;
    QPushButton* btn_remove = nullptr;
};

// The input box: a modal QInputDialog with a title and a prompt, starting empty.
std::optional<std::string> AskForText(QWidget* parent, const std::string& title, const std::string& prompt);
