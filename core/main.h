#pragma once
#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/SearchWalk.h"
#include "core/find_direction.h"
#include "core/found_rows.h"
#include "core/progress.h"
#include "core/refresh_pacing.h"
#include "core/run_status.h"
#include "core/saved_search.h"
#include "core/start_path_entry.h"
#include "krellers/kreller_funnel.h"
#include "krellers/kreller_list.h"
#include "krellers/native_krellers.h"
#include "plugins/plugin_host.h"
#include "settings_ui/settings_user.h"
#include "tagged/remembered_state.h"

class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QTimer;
class QToolButton;
class QTreeView;
class TD_find;
class TD_why_not_found;
class TD_kreller;
class TD_open_with;
class TD_properties;
class TD_rename;
class TDmsg;
class TF_about;
class TF_text_view;
class TFbreak_scanning;
class TFoundListModel;
struct TFoundListLoad;
struct TFoundRow;
class TFsure;
class TStartPathBox;
class QMimeData;
class TKrellerListView;
class TO_preview;

// What the main window reads from and writes to the user's settings.
class TMainSettings {
public:
    virtual ~TMainSettings() = default;
    // The settings store the krellers are handed; none for settings that are not stored.
    virtual TSettingsStore* Store() { return nullptr; }
    virtual TBuiltInKrellers BuiltInKrellers() = 0;
    virtual std::string DefaultPath() = 0;
    virtual void SetDefaultPath(const std::string& path) = 0;
    virtual std::string LastVisit() = 0;
    virtual void SetLastVisit(const std::string& date) = 0;
    // Shows the settings dialog modally on a page; false when there is none to show.
    virtual bool ShowSettings(TSettingsUserPage page) = 0;
    // The user agreed, when the settings were last shown, to close the program.
    virtual bool RestartRequested() { return false; }
};

// The shared dialogs the main window uses; created once at start-up and handed in.
struct TMainDialogs {
    TFsure* Sure = nullptr;
    TDmsg* Msg = nullptr;
    TFbreak_scanning* Break = nullptr;
    TF_text_view* TextView = nullptr;
    TF_about* About = nullptr;
};

// The settings of the user settings dialog, as the main window sees them.
class TUserSettingsLink : public TMainSettings {
public:
    explicit TUserSettingsLink(TD_settings_user& settings) : settings_(settings) {}
    TSettingsStore* Store() override { return &settings_.Store(); }
    TBuiltInKrellers BuiltInKrellers() override { return settings_.Store().BuiltInKrellers(); }
    std::string DefaultPath() override { return settings_.Store().DefaultPath(); }
    void SetDefaultPath(const std::string& path) override { settings_.Store().SetDefaultPath(path); }
    std::string LastVisit() override { return settings_.Store().LastVisit(); }
    void SetLastVisit(const std::string& date) override { settings_.Store().SetLastVisit(date); }
    bool ShowSettings(TSettingsUserPage page) override
    {
        settings_.ShowOnPage(page);
        return true;
    }
    bool RestartRequested() override { return settings_.RestartRequested; }

private:
    TD_settings_user& settings_;
};

// Posted to the main window to close it (the settings dialog asks for it when the kreller set changed).
void PostCloseRequest(QWidget* mainWindow);
// The program is asked to end from outside (its session, the system, a terminal): the dialogs
// open over the main window are dismissed as with Escape, innermost first, and then the main
// window closes as when the user closes it, keeping what it remembers.
void CloseMainWindowFromOutside(QWidget* mainWindow);

// The main window: start paths, the kreller list, the search run and the found list.
class TFmain : public QMainWindow, private TWalkHost, public TProgressHost {
    Q_OBJECT
public:
    explicit TFmain(QWidget* parent = nullptr);
    ~TFmain() override;

    // Wiring done once at start-up, in the order the windows are created.
    void AttachSettings(TMainSettings* settings);
    void AttachDialogs(const TMainDialogs& dialogs);
    void AttachNativeKrellers(const TNativeKrellers& krellers);
    // What the window offers every native kreller; CreateNativeKrellers hands it to each.
    TKrellerServices KrellerServices();
    TPluginHost& Plugins() { return plugins_; }
    TKrellerList& KrellerChain() { return krellers_; }

    // Run state.
    bool FirstActivation = true;
    bool Searching = false;
    bool StopRequested() const { return walk_.StopRequested; }
    bool IgnoreCurrent() const { return walk_.IgnoreCurrent; }
    std::int64_t TotalCount() const { return walk_.TotalCount; }
    std::int64_t FoundCount() const { return walk_.FoundCount; }
    const std::string& CurrentPath() const { return walk_.CurrentPath; }
    // The walk of the window's runs, for its settings (workers, look-ahead).
    TSearchWalk& Walk() { return walk_; }
    int FindIndex = -1;
    TKrellerRow* DirsItem = nullptr;
    // What each checked kreller did in the current or last run.
    const TKrellerFunnel& Funnel() const { return funnel_; }

    // Start-up.
    void FormActivate();
    void BuildKrellerList();
    void ClearKrellerList();

    // The name box: its text is a condition asked before the krellers (TNameFilter).
    std::string NameBoxText() const;
    void SetNameBoxText(const std::string& text);
    // The texts searched with, newest first, at most NameHistoryLength.
    std::vector<std::string> NameHistory() const;
    void SetNameHistory(const std::vector<std::string>& texts);
    static constexpr int NameHistoryLength = 20;
    // Typing: after a run of the start paths listed now, the found list shows at once the rows
    // whose names match, and the status bar how many.
    void Edit_nameChange();

    // The search run.
    void SB_runClick();
    // The Run button: starts a search, or while one runs ("Stop") stops it at once, keeping the
    // rows found. Escape in the window does the same.
    void SB_runOrStopClick();
    // Rows appear in the list while a search runs, a refresh at a time; off, the list stays
    // empty on screen until the run ends.
    bool LiveResults = true;
    // Showing them takes at most this share of the run: as the list grows, so does the time
    // between two refreshes of it, up to LiveRowsLongestWait.
    static constexpr double LiveRowsShare = 0.03;
    static constexpr std::chrono::milliseconds LiveRowsLongestWait{2000};
    // The start paths as left at exit are those of the next start; off, the default path is.
    bool RememberPaths = true;

    // What the window remembers between sessions, in the settings document; nothing when the
    // settings are not stored. Other parts of the window keep their own keys in it the same way.
    std::optional<TRememberedState> Remembered();
    // Puts the remembered values into the controls; done when the settings are attached.
    void RestoreRememberedState();
    // Writes them back; done when the window closes.
    void KeepRememberedState();
    // Shows the window at its remembered place, maximised unless it was left otherwise.
    void ShowAsRemembered();
    const TRunStatus& RunStatus() const { return runStatus_; }
    void LoadKrellerConditions();
    void Timer_refreshTimer();
    void UpdateCommands();
    void search_result_info();
    std::string SearchResultText() const;

    // Services for the progress dialog and the krellers.
    void IgnoreCurrentFile() override;
    void StopSearch() override;
    bool CurrentFileAbandoned() const;
    void SetStatusText(const std::string& text);
    void SearchInWeb() override;
    std::string ReadLastVisit() override;
    void WriteLastVisit(const std::string& date) override;
    void ShowHelpTopic(const std::string& topic);

    // Start paths.
    void SB_add_pathClick();
    // The system's folder dialog for purpose, opened at selected or where it was last used; the
    // picked folder's path bytes, or nothing.
    std::optional<std::string> BrowseFolder(const std::string& purpose, const std::string& title,
                                            const std::string& selected);
    // A found list file dialog, opened where the last one was left.
    std::optional<std::string> AskFoundListFile(std::optional<std::string> (*ask)(QWidget*, const std::string&));
    void AddStartPath(const std::string& path);
    // Enter in the path field: the folder the text names is added, or the message says why not,
    // the text staying for correction. False when nothing was added.
    bool AddTypedStartPath(const std::string& typed);
    // Folders dropped onto the start paths or the path field: each one is added; one message
    // names those refused.
    void AddDroppedStartPaths(const QMimeData& data);
    // Several lines pasted into the path field: each names a start path, checked as a typed one
    // is; one message names those refused, and the first of them stays in the field.
    void AddPastedStartPaths(const std::vector<std::string>& lines);
    // The drop-down's start paths, newest first: those added and those searched.
    std::vector<std::string> RecentStartPaths() const;
    TStartPathBox& StartPathBox() { return *CMB_path; }
    void SB_del_pathClick();
    void SB_save_pathClick();
    std::vector<std::string> StartPaths() const;
    void SetStartPaths(const std::vector<std::string>& paths, int selected);

    // Found list commands.
    void SB_openClick();
    void SB_viewClick();
    void SB_view_pluginClick();
    bool ViewViaPlugin(bool show);
    void SB_findinfoundClick();
    void FindDialog1Find(const QString& text, FindDirection direction);
    void LV_foundClick();
    void N_SavefoundfileslistClick();
    void N_LoadfoundfileslistClick();
    // Loads the list file that choose names. The window goes on answering meanwhile, with the
    // commands disabled as during a search; closing the window stops the load.
    void LoadFoundListChosenBy(const std::function<std::optional<std::string>()>& choose);
    // The full paths in the order shown, as the found list file gets them.
    std::vector<std::string> FoundPathsShown() const;
    void SB_settingsClick();
    void N_AboutClick();
    void N_OpencontainingfolderClick();
    void CopyFullPaths();
    void CopyFileNames();
    void N_WhynotfoundClick();
    // The answer of "Why not found?" for path, with the conditions as they are now.
    std::string WhyNotFoundText(const std::string& path);
    // A click on a column header: sorts by it, a second click reverses.
    void LV_foundColumnClick(int column, Qt::SortOrder order);

    // Saved searches, export, optional columns and the quick filter (main_found_tools.cpp).
    // The search as it is set up now: start paths, name box and every kreller row.
    TSavedSearch CurrentSearch() const;
    // Sets the search up as saved; false (nothing changed, the message shown) for a file that
    // cannot be read or is damaged. Kreller rows with no kreller in the list are kept and named.
    bool OpenSearchFrom(const std::string& file);
    // False, with the message shown, when the file cannot be written.
    bool SaveSearchTo(const std::string& file);
    void N_SavesearchasClick();
    void N_OpensearchClick();
    std::vector<std::string> RecentSearches() const;
    // Writes the rows shown: a CSV table of the columns shown, or the paths separated by NUL bytes.
    bool ExportFoundListTo(const std::string& file, bool nulSeparated);
    void N_ExportfoundlistClick();
    // The columns shown, in their order on screen; the first four are always among them.
    std::vector<TFoundColumn> ShownFoundColumns() const;
    void ShowOptionalColumn(TFoundColumn column, bool shown);
    void SetQuickFilter(const QString& text);
    void FocusQuickFilter();
    // "shown N of M" while the quick filter hides rows; empty otherwise.
    QString ShownCountText() const;

    // The preview pane beside the found list (main_preview.cpp).
    TO_preview& Preview() { return *preview_; }
    bool PreviewShown() const;
    void ShowPreview(bool shown);
    // The keywords of the Context condition when its row is switched on; they are marked in the preview.
    std::vector<std::string> PreviewKeywords() const;
    // File actions on found rows (main_file_actions.cpp). Each that changes files asks first and
    // tells a failure with the system's message.
    void N_OpenwithClick();
    void N_MovetotrashClick();
    void N_RenameClick();
    void N_PropertiesClick();
    // Moves the files of the rows at those positions to the trash; the rows of the files that
    // went leave the list, those that stayed are told.
    void TrashFoundRows(const std::vector<int>& positions);
    // Gives the file of the row at position newName; the row follows with its new path and stays
    // selected. False when the name is refused, the user declines or the rename fails.
    bool RenameFoundRow(int position, const std::string& newName);

    TFoundListModel& FoundList() { return *found_; }
    TKrellerListView& Krellers() { return *LV_krellers_; }
    TD_progress_user* ProgressDialog() { return progress_; }
    TD_find* FindDialog() { return findDialog_; }
    TD_why_not_found* WhyNotFoundDialog() { return whyDialog_; }
    std::string SelectedFoundPath() const;
    // The current row when it is selected (the commands on one file act on it); -1 when none.
    int SelectedFoundRow() const;
    // The selected rows' positions, in the order shown.
    std::vector<int> SelectedFoundRows() const;
    void SelectFoundRow(int row);
    QString StatusText() const;
    QString StatusPanelText(int panel) const;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // TWalkHost
    void LetEventsRun() override;
    bool DirectoryPasses(const FileEntry& entry, const std::string& path) override;
    bool FilePassesKrellers(const FileEntry& entry, const std::string& path) override;
    void AddFoundFile(const FileEntry& entry, const std::string& path) override;
    bool EntriesListed(const std::string& dir, std::span<const FileEntry> entries,
                       const platform::TWalkPlace& first) override;
    bool ListsAhead() override;
    bool MayListAhead(const FileEntry& directory, const std::string& path) override;
    bool NeedsFileFacts() override;
    bool NeedsDirectoryFacts() override;

    void BuildLayout();
    void BuildMenus();
    // Adds the folders the texts name; one message names those refused.
    TStartPathChecks AddCheckedStartPaths(const std::vector<std::string>& texts);
    // main_found_tools.cpp
    // A failure or a notice in the message dialog.
    void Tell(const std::string& text);
    void BuildSearchFileMenu(QMenu* file);
    void BuildColumnMenu();
    QWidget* BuildQuickFilter(QWidget* parent);
    void FillRecentSearchesMenu();
    void RememberRecentSearch(const std::string& file);
    void RestoreShownColumns();
    void KeepShownColumns(const std::string& text);
    std::string ShownColumnsKept();
    void UpdateShownCount();
    void UpdateFoundToolCommands();
    bool TypedIntoFoundList(QKeyEvent* event);
    // main_preview.cpp
    QWidget* WithPreviewPane(QWidget* results);
    void BuildPreviewMenu(QMenu* foundList);
    void PreviewSelected();
    void UpdatePreviewCommands();
    void RestorePreviewState(const TRememberedState& state);
    void KeepPreviewState(TRememberedState& state);
    // main_file_actions.cpp
    void BuildFileActionMenu();
    bool FileActionKey(QKeyEvent* event);
    void UpdateFileActionCommands();
    bool Confirmed(const std::string& question);
    void SetCommandIcons();
    void SetToolTips();
    QToolButton* ToolButton(const QString& text, const char* objectName, void (TFmain::*handler)());
    QAction* MenuAction(QMenu* menu, const QString& text, const char* objectName, void (TFmain::*handler)(),
                        const QKeySequence& shortcut = {});
    void ShowError(const std::string& text);
    void FormClose();
    void LV_foundChange();
    void ShowRunCounts();
    // After a found list was loaded: how many rows came and how many paths were missing.
    void ShowLoadedList(const TFoundListLoad& load);
    void ShowRunStatus(const TRunStatus& status);
    void EndRunStatus();
    void RememberNameInHistory(const std::string& text);
    // Widens the Size column when the largest size would not fit it, and the Date column when a
    // date would not; neither is ever narrowed.
    void FitSizeAndDateColumns();
    void FitColumnToText(int column, int textWidth);
    void CopySelected(std::string (*part)(const TFoundRow&));
    std::string StartPathAt(int row) const;
    QListWidgetItem* AppendStartPathItem(const std::string& path);
    void RememberRecentStartPaths(const std::vector<std::string>& paths);

    // The plug-ins outlive the kreller chain, whose custom kreller rows use them.
    TPluginHost plugins_;
    TKrellerList krellers_{CreateCustomKreller};
    TSearchWalk walk_;
    TMainSettings* settings_ = nullptr;
    TMainDialogs dialogs_;
    TNativeKrellers natives_;
    TD_progress_user* progress_ = nullptr;
    TD_find* findDialog_ = nullptr;
    TD_why_not_found* whyDialog_ = nullptr;
    TKrellerFunnel funnel_;
    bool closePending_ = false;

    QListWidget* LB_paths = nullptr;
    TStartPathBox* CMB_path = nullptr;
    QComboBox* CMB_name = nullptr;
    // The start paths of the run whose rows are listed; none when the list comes from elsewhere.
    std::optional<std::vector<std::string>> listedRunPaths_;
    TKrellerListView* LV_krellers_ = nullptr;
    QTreeView* LV_found = nullptr;
    TFoundListModel* found_ = nullptr;
    QTimer* Timer_refresh = nullptr;
    QToolButton* SB_found_stat = nullptr;
    QLabel* Label_found_stat = nullptr;
    TRunStatus runStatus_;
    std::chrono::steady_clock::time_point runStart_;
    TRefreshPacing livePacing_{LiveRowsShare, LiveRowsLongestWait};
    QLabel* statusPanels_[3] = {};
    QMenu* PopupMenu_found = nullptr;

    // Saved searches, export, columns and the quick filter.
    std::vector<TSavedKreller> unplacedKrellers_;  // rows of the opened search without a kreller here
    std::vector<std::string> recentSearches_;      // kept here when no settings store is attached
    std::string shownColumns_;                     // likewise
    QAction* N_Opensearch = nullptr;
    QAction* N_Savesearchas = nullptr;
    QMenu* N_Recentsearches = nullptr;
    QAction* N_Exportfoundlist = nullptr;
    QAction* P_Exportfoundlist = nullptr;
    QMenu* PopupMenu_columns = nullptr;
    QLineEdit* Edit_filter = nullptr;
    QLabel* Label_shown = nullptr;

    // The preview pane.
    TO_preview* preview_ = nullptr;
    QAction* N_Preview = nullptr;
    QAction* N_Nexthit = nullptr;
    QAction* N_Previoushit = nullptr;
    bool previewWhileSearching_ = false;  // the search that ran when the preview last looked
    // File actions.
    TD_open_with* openWithDialog_ = nullptr;
    TD_rename* renameDialog_ = nullptr;
    TD_properties* propertiesDialog_ = nullptr;
    QAction* P_Openwith = nullptr;
    QAction* P_Rename = nullptr;
    QAction* P_Movetotrash = nullptr;
    QAction* P_Properties = nullptr;

    // Tool buttons.
    QToolButton* SB_add_path = nullptr;
    QToolButton* SB_del_path = nullptr;
    QToolButton* SB_save_path = nullptr;
    QToolButton* SB_kreller = nullptr;
    QToolButton* SB_run = nullptr;
    QToolButton* SB_findinfound = nullptr;
    QToolButton* SB_view_plugin = nullptr;
    QToolButton* SB_view = nullptr;
    QToolButton* SB_open = nullptr;
    QToolButton* SB_exit = nullptr;

    // Menu entries, by the command they follow.
    QAction* N_Adddirectory = nullptr;
    QAction* N_Deletedirectory = nullptr;
    QAction* N_Editcurrentkreller = nullptr;
    QAction* N_Startsearch = nullptr;
    QAction* N_Searchinfoundfilenames = nullptr;
    QAction* N_SearchinWEB = nullptr;
    QAction* N_Viewfile = nullptr;
    QAction* N_Viewfileviaplugin = nullptr;
    QAction* N_Openfile = nullptr;
    QAction* N_Loadfoundfileslist = nullptr;
    QAction* N_Savefoundfileslist = nullptr;
    QAction* N_Settings = nullptr;
    QAction* N_Exit = nullptr;
    QAction* N_Whynotfound = nullptr;
    QAction* N_Showfoundwhilesearching = nullptr;
    QAction* N_Rememberstartpaths = nullptr;
    QAction* N_Opencontainingfolder = nullptr;
    QAction* P_Opencontainingfolder = nullptr;
    QAction* P_Copyfullpath = nullptr;
    QAction* P_Copyfilename = nullptr;
    QAction* P_Viewfileastext = nullptr;
    QAction* P_Viewfileviaplugin = nullptr;
    QAction* P_Openfile = nullptr;
    QAction* P_Loadfoundfileslist = nullptr;
    QAction* P_Savefoundfileslist = nullptr;
    QAction* N_Help1 = nullptr;
    QAction* N_About = nullptr;
};
