#include "core/main.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <chrono>

#include "core/FoundList.h"
#include "core/application.h"
#include "core/about.h"
#include "core/find_dialog.h"
#include "core/found_list_file.h"
#include "core/found_names_find.h"
#include "core/found_transfer.h"
#include "core/help_pages.h"
#include "core/msg.h"
#include "core/open_file.h"
#include "core/preview_pane.h"
#include "core/start_path_box.h"
#include "core/start_path_entry.h"
#include "core/sure.h"
#include "core/text_view.h"
#include "core/why_dialog.h"
#include "core/why_not_found.h"
#include "krellers/kreller.h"
#include "krellers/kreller_list_view.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"
#include "platform/Reveal.h"
#include "platform/Shell.h"
#include "settings_ui/folder_browser.h"
#include "plugins/dll_loader.h"

namespace {

// The private window message that closes the main window.
const QEvent::Type CloseRequestEvent = static_cast<QEvent::Type>(QEvent::User + 0x1400);

constexpr int kRefreshIntervalMs = 250;
constexpr int kStartPathRole = Qt::UserRole;

// Settings kept in memory, for a main window that has no settings store attached.
class TMemorySettings : public TMainSettings {
public:
    TBuiltInKrellers BuiltInKrellers() override { return {}; }
    std::string DefaultPath() override { return defaultPath_; }
    void SetDefaultPath(const std::string& path) override { defaultPath_ = path; }
    std::string LastVisit() override { return lastVisit_; }
    void SetLastVisit(const std::string& date) override { lastVisit_ = date; }
    bool ShowSettings(TSettingsUserPage) override { return false; }

private:
    std::string defaultPath_ = platform::DefaultStartPath();
    std::string lastVisit_;
};

TMemorySettings& FallbackSettings()
{
    static TMemorySettings settings;
    return settings;
}

} // namespace

void PostCloseRequest(QWidget* mainWindow)
{
    QCoreApplication::postEvent(mainWindow, new QEvent(CloseRequestEvent));
}

namespace {

// A dialog's own loop has to unwind before the window under it closes, so each one dismissed is
// given a moment; one that will not go is left after a second and the window closes anyway.
void DismissDialogsThenClose(QPointer<QWidget> mainWindow, int triesLeft)
{
    if (!mainWindow)
        return;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || triesLeft == 0) {
        PostCloseRequest(mainWindow);
        return;
    }
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
    QTimer::singleShot(10, mainWindow, [mainWindow, triesLeft] { DismissDialogsThenClose(mainWindow, triesLeft - 1); });
}

} // namespace

void CloseMainWindowFromOutside(QWidget* mainWindow)
{
    DismissDialogsThenClose(mainWindow, 100);
}

TFmain::TFmain(QWidget* parent) : QMainWindow(parent), walk_(*this), settings_(&FallbackSettings())
{
    setObjectName("TFmain");
    setWindowTitle("FileKreller");
    setMinimumSize(717, 434);
    found_ = new TFoundListModel(this);
    connect(found_, &TFoundListModel::Changed, this, &TFmain::LV_foundChange);
    connect(found_, &TFoundListModel::FactsFilled, this, &TFmain::FitSizeAndDateColumns);
    Timer_refresh = new QTimer(this);
    Timer_refresh->setObjectName("Timer_refresh");
    Timer_refresh->setInterval(kRefreshIntervalMs);
    connect(Timer_refresh, &QTimer::timeout, this, &TFmain::Timer_refreshTimer);
    BuildLayout();
    BuildMenus();
    SetCommandIcons();
    SetToolTips();
    findDialog_ = new TD_find(this);
    findDialog_->SetDirectionOffered(true);
    connect(findDialog_, &TD_find::FindNext, this, [this](const QString& text, FindDirection direction) {
        FindDialog1Find(text, direction);
    });
    whyDialog_ = new TD_why_not_found(this);
    ShowRunStatus(runStatus_);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName("Shortcut_stop");
    connect(escape, &QShortcut::activated, this, [this] {
        if (Searching)
            SB_runOrStopClick();
    });
    SetStartPaths({settings_->DefaultPath()}, 0);
    UpdateCommands();
}

TFmain::~TFmain()
{
    // Plug-ins still loaded (the window was never closed) shut down while the whole window exists,
    // as the handshake lets events run.
    plugins_.UnloadAll();
    // The view goes before the chain it shows.
    delete LV_krellers_;
}

void TFmain::AttachSettings(TMainSettings* settings)
{
    settings_ = settings ? settings : &FallbackSettings();
    SetStartPaths({settings_->DefaultPath()}, 0);
    RestoreShownColumns();
    RestoreRememberedState();
}

void TFmain::AttachDialogs(const TMainDialogs& dialogs)
{
    dialogs_ = dialogs;
    delete progress_;
    progress_ = dialogs_.Break ? new TD_progress_user(*this, *dialogs_.Break, this) : nullptr;
}

void TFmain::AttachNativeKrellers(const TNativeKrellers& krellers)
{
    natives_ = krellers;
}

TKrellerServices TFmain::KrellerServices()
{
    TKrellerServices services;
    services.Ask = [this](const std::string& question) { return dialogs_.Sure && dialogs_.Sure->Ask(question); };
    services.Inform = [this](const std::string& text) {
        if (dialogs_.Msg)
            dialogs_.Msg->Inform(text);
    };
    services.BrowseFolder = [this](const std::string& title, const std::string& selected) {
        return BrowseFolder("KRELLER_DIRS", title, selected);
    };
    services.ShowHelpTopic = [this](const std::string& topic) { ShowHelpTopic(topic); };
    services.Settings = settings_->Store();
    services.Plugins = &plugins_;
    services.CurrentFileAbandoned = [this] { return CurrentFileAbandoned(); };
    services.ProcessEvents = [] { QCoreApplication::processEvents(); };
    services.ShowCartridgeSettings = [this] {
        return settings_->ShowSettings(TSettingsUserPage::ContextKreller) && settings_->RestartRequested();
    };
    return services;
}

// ---- Start-up and close ----

void TFmain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Without a window manager a window may never become active; the first show stands in for it.
    if (FirstActivation)
        QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TFmain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TFmain::FormActivate()
{
    if (!FirstActivation) {
        UpdateCommands();
        return;
    }
    FirstActivation = false;
    std::string failure;
    {
        platform::TWorkingDirectoryGuard restoreWorkingDirectory;
        SetStatusText("initialization...");
        QCoreApplication::processEvents();
        try {
            TDllLoader loader([] { QCoreApplication::processEvents(); });
            plugins_.LoadPlugins(loader, PluginFoldersOf(platform::CurrentDirectory(), platform::UserDataDirectory(),
                                                         platform::IsDirectoryWritable));
            BuildKrellerList();
        } catch (const std::exception& error) {
            failure = error.what();
        }
    }
    SetStatusText("");
    UpdateCommands();
    if (!failure.empty())
        ShowError(failure);
}

void TFmain::BuildKrellerList()
{
    ClearKrellerList();
    const TBuiltInKrellers switches = settings_->BuiltInKrellers();
    struct NativeRow { bool on; const char* caption; TD_kreller* kreller; };
    const NativeRow rows[] = {
        {switches.Dirs, "Directory conditions", natives_.Dirs},
        {switches.FileMask, "File mask condition", natives_.FileMask},
        {switches.FileSize, "File size condition", natives_.FileSize},
        {switches.FileTime, "Date condition", natives_.FileTime},
        {switches.Context, "Context", natives_.Context},
    };
    for (const NativeRow& row : rows) {
        if (!row.on || !row.kreller)
            continue;
        TKrellerRow& added = LV_krellers_->AppendNativeRow(row.caption, row.kreller);
        if (row.kreller == natives_.Dirs)
            DirsItem = &added;
    }
    for (const TLoadedCkreller& custom : plugins_.CustomKrellers())
        LV_krellers_->AppendCustomRow(custom.Crtr.get());
    LV_krellers_->LV_krellersClick();
    UpdateCommands();
}

void TFmain::ClearKrellerList()
{
    DirsItem = nullptr;
    LV_krellers_->ClearKrellerList();
}

bool TFmain::event(QEvent* event)
{
    if (event->type() == CloseRequestEvent) {
        close();
        return true;
    }
    return QMainWindow::event(event);
}

void TFmain::closeEvent(QCloseEvent* event)
{
    // A run in progress is stopped first; the window closes once the walk has unwound, so no
    // kreller is called after it is released.
    // So is a cartridge's conversion for the preview, which must end before the plug-ins go.
    if (Searching || preview_->Converting()) {
        if (Searching) {
            StopSearch();
            if (progress_)
                progress_->BreakProgress(true);
        }
        closePending_ = true;
        event->ignore();
        return;
    }
    KeepRememberedState();
    preview_->Clear();
    FormClose();
    if (findDialog_)
        findDialog_->close();
    QMainWindow::closeEvent(event);
}

void TFmain::FormClose()
{
    // The custom kreller objects let go of their plug-ins before the plug-ins go.
    ClearKrellerList();
    plugins_.UnloadAll();
}

// ---- Start paths ----

std::string TFmain::StartPathAt(int row) const
{
    return LB_paths->item(row)->data(kStartPathRole).toByteArray().toStdString();
}

QListWidgetItem* TFmain::AppendStartPathItem(const std::string& path)
{
    // The item keeps the path's exact bytes; its text is only for the eye.
    auto* item = new QListWidgetItem(QString::fromUtf8(path), LB_paths);
    item->setData(kStartPathRole, QByteArray::fromStdString(path));
    return item;
}

std::vector<std::string> TFmain::StartPaths() const
{
    std::vector<std::string> paths;
    for (int i = 0; i < LB_paths->count(); ++i)
        paths.push_back(StartPathAt(i));
    return paths;
}

void TFmain::SetStartPaths(const std::vector<std::string>& paths, int selected)
{
    LB_paths->clear();
    for (const std::string& path : paths)
        AppendStartPathItem(path);
    if (selected >= 0 && selected < LB_paths->count())
        LB_paths->setCurrentRow(selected);
}

void TFmain::AddStartPath(const std::string& path)
{
    if (path.empty())
        return;
    // Linux paths keep their case: upper-casing would name another directory.
    const std::string added = platform::WithTrailingSlash(path);
    LB_paths->setCurrentItem(AppendStartPathItem(added));
    CMB_path->RememberRecentPath(added);
    UpdateCommands();
}

bool TFmain::AddTypedStartPath(const std::string& typed)
{
    if (Searching)
        return false;
    const TStartPathCheck check = CheckStartPath(typed, platform::HomeDirectory());
    if (!check.Refusal.empty()) {
        Tell(check.Refusal);
        CMB_path->SelectTypedText();
        return false;
    }
    if (check.Path.empty())
        return false;
    AddStartPath(check.Path);
    CMB_path->ClearTypedText();
    return true;
}

TStartPathChecks TFmain::AddCheckedStartPaths(const std::vector<std::string>& texts)
{
    TStartPathChecks checks = CheckStartPaths(texts, platform::HomeDirectory());
    for (const std::string& path : checks.Paths)
        AddStartPath(path);
    if (!checks.Refusal.empty())
        Tell(checks.Refusal);
    return checks;
}

void TFmain::AddDroppedStartPaths(const QMimeData& data)
{
    if (!Searching)
        AddCheckedStartPaths(DroppedStartPaths(data));
}

void TFmain::AddPastedStartPaths(const std::vector<std::string>& lines)
{
    if (Searching)
        return;
    const TStartPathChecks checks = AddCheckedStartPaths(lines);
    if (checks.RefusedTexts.empty())
        CMB_path->ClearTypedText();
    else
        CMB_path->SetTypedTextForCorrection(checks.RefusedTexts.front());
}

std::vector<std::string> TFmain::RecentStartPaths() const
{
    return CMB_path->RecentPaths();
}

void TFmain::RememberRecentStartPaths(const std::vector<std::string>& paths)
{
    // The first of them ends up first.
    for (auto path = paths.rbegin(); path != paths.rend(); ++path)
        CMB_path->RememberRecentPath(*path);
}

std::optional<std::string> TFmain::BrowseFolder(const std::string& purpose, const std::string& title,
                                                const std::string& selected)
{
    return ChooseRemembered(settings_->Store(), purpose, selected, TChosenKind::Folder,
                            [&](const std::string& start) { return BrowseSystemFolder(this, title, start); });
}

std::optional<std::string> TFmain::AskFoundListFile(std::optional<std::string> (*ask)(QWidget*, const std::string&))
{
    return ChooseRemembered(settings_->Store(), "FOUND_LIST", {}, TChosenKind::File,
                            [&](const std::string& start) { return ask(this, start); });
}

void TFmain::SB_add_pathClick()
{
    const int row = LB_paths->currentRow();
    const std::string selected = row >= 0 ? StartPathAt(row) : std::string();
    AddStartPath(BrowseFolder("START_PATH", "Select directory to add to the start paths list", selected).value_or(std::string()));
    UpdateCommands();
}

void TFmain::SB_del_pathClick()
{
    const QList<QListWidgetItem*> selected = LB_paths->selectedItems();
    if (!selected.isEmpty())
        delete selected.first();
    UpdateCommands();
}

void TFmain::SB_save_pathClick()
{
    const QList<QListWidgetItem*> selected = LB_paths->selectedItems();
    if (selected.isEmpty() || !dialogs_.Sure)
        return;
    const std::string path = selected.first()->data(kStartPathRole).toByteArray().toStdString();
    if (dialogs_.Sure->Ask("Save as default search path\n\"" + path + "\"?"))
        settings_->SetDefaultPath(path);
}

// ---- Found list commands ----

int TFmain::SelectedFoundRow() const
{
    const QItemSelectionModel* selection = LV_found->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row()))
        return current.row();
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

std::vector<int> TFmain::SelectedFoundRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : LV_found->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::string TFmain::SelectedFoundPath() const
{
    const int row = SelectedFoundRow();
    return row < 0 ? std::string() : found_->Row(row).Path;
}

void TFmain::SelectFoundRow(int row)
{
    const QModelIndex index = found_->index(row, 0);
    // Through the selection model: the view's own setCurrentIndex would apply the keys held at the
    // moment, and a Ctrl still down from the shortcut that led here would toggle the row off again.
    LV_found->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    LV_found->scrollTo(index);
}

void TFmain::LV_foundClick()
{
    FindIndex = SelectedFoundRow();
}

void TFmain::LV_foundChange()
{
    if (found_->rowCount() == 0)
        FindIndex = -1;
    if (!Searching)
        UpdateCommands();
}

bool TFmain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LB_paths && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        if (SB_del_path->isEnabled())
            SB_del_pathClick();
        return true;
    }
    if (watched == LV_found && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (FileActionKey(static_cast<QKeyEvent*>(event)))
            return true;
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            SB_openClick();
            return true;
        }
        if (key == Qt::Key_F3) {
            SB_viewClick();
            return true;
        }
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            CopyFullPaths();
            return true;
        }
        if (TypedIntoFoundList(static_cast<QKeyEvent*>(event)))
            return true;
    }
    if (watched == Edit_filter && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        SetQuickFilter({});
        LV_found->setFocus();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFmain::SB_openClick()
{
    if (!SB_open->isEnabled() || SelectedFoundRow() < 0)
        return;
    OpenFoundFile(
        SelectedFoundPath(), [this](const std::string& q) { return dialogs_.Sure && dialogs_.Sure->Ask(q); },
        [this](const std::string& text) {
            if (dialogs_.Msg)
                dialogs_.Msg->Inform(text);
        });
}

void TFmain::SB_viewClick()
{
    if (!SB_open->isEnabled() || SelectedFoundRow() < 0 || !dialogs_.TextView)
        return;
    dialogs_.TextView->ViewFile(SelectedFoundPath());
}

bool TFmain::ViewViaPlugin(bool show)
{
    TKrellerRow* row = LV_krellers_->SelectedRow();
    const std::string path = SelectedFoundPath();
    if (!row || !row->Kreller || path.empty() || !row->Kreller->PluginAcceptsFile(path))
        return false;
    if (show)
        row->Kreller->ShowFileViaPlugin(path, row->Strings);
    return true;
}

void TFmain::SB_view_pluginClick()
{
    ViewViaPlugin(true);
}

void TFmain::SB_findinfoundClick()
{
    if (SB_findinfound->isEnabled())
        findDialog_->ShowNonModal();
}

void TFmain::FindDialog1Find(const QString& text, FindDirection direction)
{
    const FoundNamesFindResult result = FindInFoundNames(
        FindIndex, text.toStdString(), direction, found_->rowCount(),
        [this](int row) { return std::string(found_->Row(row).Name()); }, SelectedFoundRow());
    FindIndex = result.FindIndex;
    if (result.Found) {
        SelectFoundRow(FindIndex);
        if (result.Wrapped)
            findDialog_->ShowNote(direction == FindDirection::Down ? ContinuedFromTopText : ContinuedFromBottomText);
        return;
    }
    if (dialogs_.Msg)
        dialogs_.Msg->Inform(NoMatchesFoundText);
}

void TFmain::N_SavefoundfileslistClick()
{
    if (found_->rowCount() == 0)
        return;
    platform::TWorkingDirectoryGuard restoreWorkingDirectory;
    const std::size_t leftOut = SaveFoundListAs(FoundPathsShown(), [this] { return AskFoundListFile(AskFoundListSaveFile); });
    if (leftOut > 0 && dialogs_.Msg)
        dialogs_.Msg->Inform(LeftOutOfListText(leftOut));
}

std::vector<std::string> TFmain::FoundPathsShown() const
{
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(found_->Count()));
    for (int i = 0; i < found_->Count(); ++i)
        paths.push_back(found_->Row(i).Path);
    return paths;
}

void TFmain::N_LoadfoundfileslistClick()
{
    LoadFoundListChosenBy([this] { return AskFoundListFile(AskFoundListLoadFile); });
}

namespace {

// Raised out of the load when the window is to close meanwhile.
struct TLoadStopped {};

} // namespace

void TFmain::LoadFoundListChosenBy(const std::function<std::optional<std::string>()>& choose)
{
    if (Searching)
        return;
    platform::TWorkingDirectoryGuard restoreWorkingDirectory;
    walk_.StopRequested = false;
    // Busy as during a search from the moment the list is emptied until the last row is in.
    const auto becomeBusy = [this] {
        found_->Clear();
        listedRunPaths_.reset();
        Searching = true;
        UpdateCommands();
    };
    struct TIdleAgain {
        TFmain& window;
        ~TIdleAgain()
        {
            window.Searching = false;
            if (window.progress_)
                window.progress_->ResetProgress();
            window.found_->ApplyOrder();
            window.FitSizeAndDateColumns();
            window.UpdateCommands();
            if (window.closePending_)
                QTimer::singleShot(0, &window, &QWidget::close);
        }
    } idleAgain{*this};
    auto lastEvents = std::chrono::steady_clock::time_point{};
    const auto add = [this, &lastEvents](const FileEntry& entry, const std::string& path) {
        AddFoundFile(entry, path);
        const auto now = std::chrono::steady_clock::now();
        if (now - lastEvents >= std::chrono::milliseconds(15)) {
            lastEvents = now;
            QCoreApplication::processEvents();
            if (walk_.StopRequested)
                throw TLoadStopped();
        }
    };
    try {
        if (const std::optional<TFoundListLoad> load = LoadFoundListFrom(choose, becomeBusy, add))
            ShowLoadedList(*load);
    } catch (const TLoadStopped&) {
        // the rows loaded so far stay
    }
}

void TFmain::ShowLoadedList(const TFoundListLoad& load)
{
    // The list no longer shows the last run's files: its counts and outcome give way.
    runStatus_ = {};
    ShowRunStatus(runStatus_);
    const std::string text = LoadedListText(load);
    setWindowTitle(QString::fromUtf8("FileKreller - " + text));
    statusPanels_[0]->setText(QString("Loaded: %1").arg(load.Loaded));
    statusPanels_[1]->setText(QString("Missing: %1").arg(load.Missing));
    SetStatusText(text);
    statusPanels_[2]->setToolTip(QString::fromUtf8(MissingPathsText(load)));
}

void TFmain::FitSizeAndDateColumns()
{
    const QFontMetrics metrics = LV_found->fontMetrics();
    FitColumnToText(TFoundListModel::ColSize,
                    metrics.horizontalAdvance(found_->WidestSizeText()) + TSizeCellDelegate::Gap);
    int widestDate = 0;
    for (const QString& date : TFoundListModel::SampleDateTexts())
        widestDate = std::max(widestDate, metrics.horizontalAdvance(date));
    FitColumnToText(TFoundListModel::ColDate, widestDate);
}

void TFmain::FitColumnToText(int column, int textWidth)
{
    constexpr int kCellMargins = 12;  // the style's padding on both sides of a cell's text
    QHeaderView* header = LV_found->header();
    // The caption keeps room for the sort arrow beside it.
    const int needed = std::max(textWidth + kCellMargins, header->sectionSizeHint(column));
    if (needed > header->sectionSize(column))
        header->resizeSection(column, needed);
}

void TFmain::LV_foundColumnClick(int column, Qt::SortOrder order)
{
    found_->sort(column, order);
    // Positions moved with the rows; the search in found names goes on from the selected one.
    FindIndex = SelectedFoundRow();
}

void TFmain::N_OpencontainingfolderClick()
{
    if (!SB_open->isEnabled() || SelectedFoundRow() < 0)
        return;
    platform::RevealInFileManager(SelectedFoundPath(), [window = QPointer<TFmain>(this)](int result) {
        if (result <= 32 && window && window->dialogs_.Msg)
            window->dialogs_.Msg->Inform(OpenFileResultMessage(result));
    });
}

void TFmain::CopySelected(std::string (*part)(const TFoundRow&))
{
    std::vector<std::string> lines;
    for (const int row : SelectedFoundRows())
        lines.push_back(part(found_->Row(row)));
    if (lines.empty())
        return;
    QGuiApplication::clipboard()->setText(QString::fromUtf8(JoinedLines(lines)));
}

void TFmain::CopyFullPaths()
{
    // As the drag gives them: a file manager pastes the very files, whatever bytes their names hold.
    QModelIndexList rows;
    for (const int row : SelectedFoundRows())
        rows.push_back(found_->index(row, 0));
    if (!rows.isEmpty())
        QGuiApplication::clipboard()->setMimeData(found_->mimeData(rows));
}

void TFmain::CopyFileNames()
{
    CopySelected([](const TFoundRow& row) { return std::string(row.Name()); });
}

std::string TFmain::WhyNotFoundText(const std::string& path)
{
    // The krellers judge with the conditions their rows show now, as a run would.
    krellers_.SetNameFilter(TNameFilter(NameBoxText()));
    LoadKrellerConditions();
    return WhyNotFound(path, StartPaths(), krellers_, DirsItem);
}

void TFmain::N_WhynotfoundClick()
{
    if (Searching)
        return;
    const std::optional<std::string> path = whyDialog_->AskPath();
    if (path && dialogs_.Msg)
        dialogs_.Msg->Inform(WhyNotFoundText(*path));
}

void TFmain::SB_settingsClick()
{
    settings_->ShowSettings(TSettingsUserPage::Directories);
}

void TFmain::N_AboutClick()
{
    if (dialogs_.About)
        dialogs_.About->exec();
}

void TFmain::SearchInWeb()
{
    const int row = SelectedFoundRow();
    OpenWebSearchPage(row >= 0 ? std::string(found_->Row(row).Name()) : std::string());
}

void TFmain::ShowHelpTopic(const std::string& topic)
{
    OpenHelpTopic(topic);
}

std::string TFmain::ReadLastVisit()
{
    return settings_->LastVisit();
}

void TFmain::WriteLastVisit(const std::string& date)
{
    settings_->SetLastVisit(date);
}

// ---- Errors ----

void TFmain::ShowError(const std::string& text)
{
    ShowErrorMessage(this, text);
}
