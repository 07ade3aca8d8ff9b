#pragma once
#include "settings_ui/crtr_lists.h"
#include "settings_ui/file_groups.h"
#include "tagged/settings.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

// The pages the dialog can be shown on.
enum class TSettingsUserPage { Directories, FileGroups, ContextKreller, Krellers };

// A folder browser with a title, opened at start; nothing when the user picked no folder.
using TFolderBrowseFunc = std::function<std::optional<std::string>(const std::string& title, const std::string& start)>;

// What the dialog needs from the rest of the program. Any of them may be left empty: an
// unanswered question counts as "No", a missing folder browser picks nothing.
struct TSettingsUserServices {
    TAskFunc Ask;                                          // the confirmation dialog
    std::function<void()> CloseMainWindow;                 // posts the main window's close request
    std::function<void(const std::string&)> ShowHelpTopic; // opens a help page
    TFolderBrowseFunc BrowseFolder;                        // empty: the system's folder dialog
    std::string PluginsPageAddress;                        // the web page the plug-in dialogs link to
    const TPluginHost* Plugins = nullptr;                  // the loaded plug-ins the lists show
};

// Whether closing the dialog is to end the program: when the user already asked for it, or when
// the built-in set changed and the user agrees to close now.
bool RestartAfterClose(bool restartRequested, bool nativeSetEdited, const TAskFunc& ask);

// The user settings dialog and owner of the program's settings store. Created once at program
// start (which loads the settings file) and shown modally on one of its pages. Its controls show
// the store when it is shown and hand their values back when it closes.
class TD_settings_user : public TD_settings {
    Q_OBJECT
public:
    // The running program's settings file, beside the program.
    explicit TD_settings_user(TSettingsUserServices services = {}, QWidget* parent = nullptr);
    // The settings file at place (tests point it into a temporary directory).
    TD_settings_user(const TSettingsPlace& place, TSettingsUserServices services, QWidget* parent = nullptr);

    // Services handed in once the dialogs they need exist.
    void SetServices(TSettingsUserServices services);

    // Shows the dialog modally on page; the QDialog result.
    int ShowOnPage(TSettingsUserPage page);

    // The stored default start path; when there is none it first becomes the home directory.
    std::string DefaultPath();
    // Stores DEFAULT_PATH and shows it in the field.
    void SetDefaultPath(const std::string& path);
    // LVD: when the user last followed the progress dialog's web link.
    std::string LastVisit();
    void SetLastVisit(const std::string& date);

    TBuiltInKrellers BuiltInKrellers();
    std::vector<std::string> DefaultExcludedDirectories();
    // Stores the directories and shows them in the list.
    void SetDefaultExcludedDirectories(const std::vector<std::string>& directories);
    std::vector<TFileGroup> FileGroups() { return Store().FileGroups().Groups(); }

    // Copies the excluded directories and the switches into the store.
    void StoreControls() override;
    void UpdateButtons();

    bool RestartRequested = false;
    bool NativeSetEdited = false;

    // Page "Directories".
    QLineEdit* Edit_DSP = nullptr;
    QListWidget* LB_prohibited = nullptr;
    // Page "File groups".
    TO_file_groups* O_fg1 = nullptr;
    // Page "Context kreller".
    TO_crtrs_context* O_crtrs_context1 = nullptr;
    // Page "Krellers".
    QCheckBox* CB_filemask = nullptr;
    QCheckBox* CB_dirs = nullptr;
    QCheckBox* CB_filesize = nullptr;
    QCheckBox* CB_filetime = nullptr;
    QCheckBox* CB_context = nullptr;
    TO_crtrs_ckreller* O_crtrs_ckreller1 = nullptr;

    // The dialogs this one opens; the group dialog also serves the File mask kreller's list.
    TD_file_group_exts* FileGroupDialog = nullptr;
    TFabout_crtr* About_crtr = nullptr;
    TFabout_ckrellers* About_ckrellers = nullptr;

    void done(int result) override;

protected:
    void AfterLoad() override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildDirectoriesPage();
    QWidget* BuildFileGroupsPage();
    QWidget* BuildContextPage();
    QWidget* BuildKrellersPage();
    QCheckBox* NativeSwitch(const char* caption, const char* objectName, QWidget* parent);
    QPushButton* Button(const char* caption, const char* objectName, QWidget* parent, void (TD_settings_user::*handler)());
    void ShowBuiltInKrellers(const TBuiltInKrellers& krellers);
    TBuiltInKrellers ShownBuiltInKrellers() const;
    void ShowStore();
    void FormClose();
    bool Ask(const std::string& question) const;
    std::optional<std::string> BrowseFolder(const char* purpose, const std::string& title, const std::string& selected);

    void BrowseDefaultPath();
    void btn_add_dirClick();
    void btn_remove_dirClick();
    void btn_add_groupClick();
    void btn_delete_groupClick();
    void btn_edit_groupClick();
    void btn_crtr_settingsClick();
    void btn_crtrs_add_removeClick();
    void btn_ckrellers_add_removeClick();
    void RunAboutDialog(TFabout_crtr& dialog, std::vector<std::string> TPluginFolders::*kind);

    TSettingsUserServices services_;
    QWidget* TS_dirs = nullptr;
    QWidget* TS_groups = nullptr;
    QWidget* TS_context = nullptr;
    QWidget* TS_krellers = nullptr;
    QPushButton* btn_remove_dir = nullptr;
    QPushButton* btn_delete_group = nullptr;
    QPushButton* btn_edit_group = nullptr;
    QPushButton* btn_crtr_settings = nullptr;
};
