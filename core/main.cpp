#include "core/main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/FoundList.h"
#include "core/about.h"
#include "core/command_row.h"
#include "core/find_dialog.h"
#include "core/found_list_file.h"
#include "core/found_names_find.h"
#include "core/help_pages.h"
#include "core/msg.h"
#include "core/open_file.h"
#include "core/sure.h"
#include "core/text_view.h"
#include "krellers/kreller.h"
#include "krellers/kreller_list_view.h"
#include "platform/FileSystem.h"
#include "platform/Icons.h"

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

TFmain::TFmain(QWidget* parent) : QMainWindow(parent), walk_(*this), settings_(&FallbackSettings())
{
    setObjectName("TFmain");
    setWindowTitle("FileKreller");
    setMinimumSize(717, 434);
    found_ = new TFoundListModel(this);
    connect(found_, &TFoundListModel::Changed, this, &TFmain::LV_foundChange);
    Timer_refresh = new QTimer(this);
    Timer_refresh->setObjectName("Timer_refresh");
    Timer_refresh->setInterval(kRefreshIntervalMs);
    connect(Timer_refresh, &QTimer::timeout, this, &TFmain::Timer_refreshTimer);
    BuildLayout();
    BuildMenus();
    SetCommandIcons();
    findDialog_ = new TD_find(this);
    findDialog_->SetDirectionOffered(true);
    connect(findDialog_, &TD_find::FindNext, this, [this](const QString& text, FindDirection direction) {
        RunGuarded([&] { FindDialog1Find(text, direction); });
    });
    SetStartPaths({settings_->DefaultPath()}, 0);
    UpdateCommands();
}

TFmain::~TFmain() = default;

void TFmain::AttachSettings(TMainSettings* settings)
{
    settings_ = settings ? settings : &FallbackSettings();
    SetStartPaths({settings_->DefaultPath()}, 0);
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
    const THelpTopicHandler help = [this](const std::string& topic) { ShowHelpTopic(topic); };
    for (TD_kreller* kreller : {natives_.Dirs, natives_.FileMask, natives_.FileSize, natives_.FileTime, natives_.Context})
        if (kreller)
            kreller->SetHelpTopicHandler(help);
}

// ---- Layout ----

QToolButton* TFmain::ToolButton(const QString& text, const char* objectName, void (TFmain::*handler)())
{
    auto* button = new QToolButton(this);
    button->setObjectName(objectName);
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(false);
    if (handler)
        connect(button, &QToolButton::clicked, this, [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
    return button;
}

QAction* TFmain::MenuAction(QMenu* menu, const QString& text, const char* objectName, void (TFmain::*handler)(),
                            const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(objectName);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (handler)
        connect(action, &QAction::triggered, this, [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
    return action;
}

void TFmain::BuildLayout()
{
    auto* central = new QWidget(this);
    central->setObjectName("Panel_main");
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 0);

    // Start paths with their buttons, then the tool buttons.
    auto* pathsCaption = new QLabel("Start paths list:", central);
    LB_paths = new QListWidget(central);
    LB_paths->setObjectName("LB_paths");
    LB_paths->setMaximumHeight(90);
    connect(LB_paths, &QListWidget::itemSelectionChanged, this, [this] { UpdateCommands(); });
    SB_add_path = ToolButton("Add to list", "SB_add_path", &TFmain::SB_add_pathClick);
    SB_del_path = ToolButton("Delete from list", "SB_del_path", &TFmain::SB_del_pathClick);
    SB_save_path = ToolButton("Save as default", "SB_save_path", &TFmain::SB_save_pathClick);
    auto* pathButtons = new QVBoxLayout;
    for (QToolButton* b : {SB_add_path, SB_del_path, SB_save_path}) {
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        pathButtons->addWidget(b);
    }
    pathButtons->addStretch();
    auto* pathsRow = new QHBoxLayout;
    pathsRow->addWidget(LB_paths, 1);
    pathsRow->addLayout(pathButtons);

    SB_kreller = ToolButton("Edit kreller", "SB_kreller", nullptr);
    SB_run = ToolButton("Run (F9)", "SB_run", &TFmain::SB_runClick);
    SB_findinfound = ToolButton("Search in found filenames (F7)", "SB_findinfound", &TFmain::SB_findinfoundClick);
    SB_view_plugin = ToolButton("View file via plugin", "SB_view_plugin", &TFmain::SB_view_pluginClick);
    SB_view = ToolButton("View File as text (F3)", "SB_view", &TFmain::SB_viewClick);
    SB_open = ToolButton("Open file", "SB_open", &TFmain::SB_openClick);
    SB_exit = ToolButton("Exit", "SB_exit", nullptr);
    connect(SB_exit, &QToolButton::clicked, this, &QWidget::close);
    // A narrow window moves the commands that do not fit into the row's "»" menu, so every one
    // stays readable and reachable; "Exit" keeps the right edge.
    auto* toolRow = new TCommandRow(central);
    for (QToolButton* b : {SB_kreller, SB_run, SB_findinfound, SB_view_plugin, SB_view, SB_open})
        toolRow->AddButton(b);
    toolRow->PinRight(SB_exit);

    // The kreller list.
    LV_krellers_ = new TKrellerListView(central);
    connect(SB_kreller, &QToolButton::clicked, LV_krellers_->EditKrellerAction(), &QAction::trigger);
    connect(LV_krellers_, &TKrellerListView::KrellersChanged, this, [this] { UpdateCommands(); });
    connect(LV_krellers_, &TKrellerListView::RunRequested, this, [this] { RunGuarded([this] { SB_runClick(); }); });
    connect(LV_krellers_, &TKrellerListView::ContextCartridgesRequested, this,
            [this] { settings_->ShowSettings(TSettingsUserPage::ContextKreller); });
    connect(LV_krellers_, &TKrellerListView::CustomKrellersRequested, this,
            [this] { settings_->ShowSettings(TSettingsUserPage::Krellers); });

    // "Search results:" with its indicator, then the found list.
    auto* resultsCaption = new QLabel("Search results:", central);
    auto* foundStat = new QToolButton(central);
    foundStat->setObjectName("SB_found_stat");
    foundStat->setToolTip("Found stat");
    foundStat->setFixedSize(16, 16);
    foundStat->setStyleSheet("QToolButton { border-radius: 8px; border: 1px solid #406020;"
                             " background: qradialgradient(cx:0.4, cy:0.4, radius:0.6, fx:0.3, fy:0.3,"
                             " stop:0 #d8ffb0, stop:1 #50a020); }");
    connect(foundStat, &QToolButton::clicked, this, [this] { search_result_info(); });
    auto* resultsRow = new QHBoxLayout;
    resultsRow->addWidget(resultsCaption);
    resultsRow->addWidget(foundStat);
    resultsRow->addStretch();

    LV_found = new QTreeView(central);
    LV_found->setObjectName("LV_found");
    LV_found->setModel(found_);
    LV_found->setRootIsDecorated(false);
    LV_found->setUniformRowHeights(true);  // a million rows stay quick only with uniform heights
    LV_found->setSelectionBehavior(QAbstractItemView::SelectRows);
    LV_found->setSelectionMode(QAbstractItemView::SingleSelection);
    LV_found->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LV_found->setIconSize(QSize(16, 16));
    LV_found->setAllColumnsShowFocus(true);
    LV_found->setContextMenuPolicy(Qt::CustomContextMenu);
    LV_found->setItemDelegateForColumn(TFoundListModel::ColSize, new TSizeCellDelegate(LV_found));
    const int widths[] = {300, 330, 60, 60};
    for (int column = 0; column < TFoundListModel::ColumnCount; ++column)
        LV_found->header()->resizeSection(column, widths[column]);
    LV_found->installEventFilter(this);
    connect(LV_found, &QTreeView::clicked, this, [this] { LV_foundClick(); });
    connect(LV_found, &QTreeView::doubleClicked, this, [this] { RunGuarded([this] { SB_openClick(); }); });
    connect(LV_found->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!Searching)
            UpdateCommands();
    });
    connect(LV_found, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu_found->popup(LV_found->viewport()->mapToGlobal(at)); });

    auto* results = new QWidget(central);
    auto* resultsLayout = new QVBoxLayout(results);
    resultsLayout->setContentsMargins(0, 0, 0, 0);
    resultsLayout->addLayout(resultsRow);
    resultsLayout->addWidget(LV_found);
    auto* splitter = new QSplitter(Qt::Vertical, central);
    splitter->setObjectName("Splitter_main");
    splitter->addWidget(LV_krellers_);
    splitter->addWidget(results);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 3);

    layout->addWidget(pathsCaption);
    layout->addLayout(pathsRow);
    layout->addWidget(toolRow);
    layout->addWidget(splitter, 1);
    setCentralWidget(central);

    for (int i = 0; i < 3; ++i) {
        statusPanels_[i] = new QLabel(this);
        statusPanels_[i]->setObjectName(QString("StatusPanel%1").arg(i + 1));
        statusBar()->addWidget(statusPanels_[i], i == 2 ? 1 : 0);
    }
    statusPanels_[0]->setMinimumWidth(80);
    statusPanels_[1]->setMinimumWidth(80);
}

void TFmain::BuildMenus()
{
    QMenu* file = menuBar()->addMenu("File");
    file->setObjectName("N_File");
    N_Loadfoundfileslist = MenuAction(file, "Load found files list", "N_Loadfoundfileslist", &TFmain::N_LoadfoundfileslistClick);
    N_Savefoundfileslist = MenuAction(file, "Save found files list as...", "N_Savefoundfileslist", &TFmain::N_SavefoundfileslistClick);
    N_Settings = MenuAction(file, "Settings", "N_Settings", &TFmain::SB_settingsClick);
    QMenu* plugins = file->addMenu("Plugins");
    plugins->setObjectName("N_Plugins");
    QAction* custom = MenuAction(plugins, "Cuctom krellers", "N_Cuctomkrellers", nullptr);
    connect(custom, &QAction::triggered, this, [this] { settings_->ShowSettings(TSettingsUserPage::Krellers); });
    QAction* cartridges = MenuAction(plugins, "Context cartridges", "N_Contextcartridges", nullptr);
    connect(cartridges, &QAction::triggered, this, [this] { settings_->ShowSettings(TSettingsUserPage::ContextKreller); });
    file->addSeparator();
    N_Exit = MenuAction(file, "Exit", "N_Exit", nullptr);
    connect(N_Exit, &QAction::triggered, this, &QWidget::close);

    QMenu* search = menuBar()->addMenu("Search");
    search->setObjectName("N_Search");
    N_Adddirectory = MenuAction(search, "Add directory to start paths list", "N_Adddirectory", &TFmain::SB_add_pathClick);
    N_Deletedirectory = MenuAction(search, "Delete directory from starth paths list", "N_Deletedirectory", &TFmain::SB_del_pathClick);
    N_Editcurrentkreller = MenuAction(search, "Edit current kreller", "N_Editcurrentkreller", nullptr);
    connect(N_Editcurrentkreller, &QAction::triggered, LV_krellers_->EditKrellerAction(), &QAction::trigger);
    N_Startsearch = MenuAction(search, "Start search", "N_Startsearch", &TFmain::SB_runClick, QKeySequence(Qt::Key_F9));
    N_Searchinfoundfilenames = MenuAction(search, "Search in found filenames", "N_Searchinfoundfilenames",
                                          &TFmain::SB_findinfoundClick, QKeySequence(Qt::Key_F7));
    N_SearchinWEB = MenuAction(search, "Search in WEB", "N_SearchinWEB", &TFmain::SearchInWeb, QKeySequence(Qt::Key_F12));

    QMenu* foundList = menuBar()->addMenu("Found list");
    foundList->setObjectName("N_Foundlist");
    N_Viewfile = MenuAction(foundList, "View file", "N_Viewfile", &TFmain::SB_viewClick);
    N_Viewfileviaplugin = MenuAction(foundList, "View file via plugin", "N_Viewfileviaplugin", &TFmain::SB_view_pluginClick);
    N_Openfile = MenuAction(foundList, "Open file", "N_Openfile", &TFmain::SB_openClick);

    QMenu* help = menuBar()->addMenu("Help");
    help->setObjectName("N_Help");
    N_Help1 = MenuAction(help, "Help...", "N_Help1", nullptr, QKeySequence(Qt::Key_F1));
    connect(N_Help1, &QAction::triggered, this, [this] { ShowHelpTopic("index"); });
    N_About = MenuAction(help, "About", "N_About", &TFmain::N_AboutClick);

    PopupMenu_found = new QMenu(this);
    PopupMenu_found->setObjectName("PopupMenu_found");
    P_Viewfileastext = MenuAction(PopupMenu_found, "View file as text", "P_Viewfileastext", &TFmain::SB_viewClick);
    P_Viewfileviaplugin = MenuAction(PopupMenu_found, "View file via plugin", "P_Viewfileviaplugin", &TFmain::SB_view_pluginClick);
    P_Openfile = MenuAction(PopupMenu_found, "Open file", "P_Openfile", &TFmain::SB_openClick);
    PopupMenu_found->addSeparator();
    P_Loadfoundfileslist = MenuAction(PopupMenu_found, "Load found files list", "P_Loadfoundfileslist", &TFmain::N_LoadfoundfileslistClick);
    P_Savefoundfileslist = MenuAction(PopupMenu_found, "Save found files list as...", "P_Savefoundfileslist", &TFmain::N_SavefoundfileslistClick);
}

void TFmain::SetCommandIcons()
{
    const std::pair<QToolButton*, const char*> buttons[] = {
        {SB_run, "media-playback-start"}, {SB_findinfound, "edit-find"}, {SB_view, "document-print-preview"},
        {SB_open, "document-open"}, {SB_exit, "application-exit"},
    };
    for (const auto& [button, name] : buttons)
        button->setIcon(platform::CommandIcon(name));
    const std::pair<QAction*, const char*> entries[] = {
        {N_Startsearch, "media-playback-start"}, {N_Searchinfoundfilenames, "edit-find"},
        {N_Viewfile, "document-print-preview"}, {P_Viewfileastext, "document-print-preview"},
        {N_Openfile, "document-open"}, {P_Openfile, "document-open"}, {N_Settings, "preferences-system"},
        {N_Exit, "application-exit"}, {N_Loadfoundfileslist, "document-open"}, {P_Loadfoundfileslist, "document-open"},
        {N_Savefoundfileslist, "document-save-as"}, {P_Savefoundfileslist, "document-save-as"},
        {N_Help1, "help-browser"}, {N_About, "help-about"},
    };
    for (const auto& [action, name] : entries)
        action->setIcon(platform::CommandIcon(name));
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
            for (const char* dir : {"../context_crtrs", "../custom_krellers"})
                platform::CreateDirectories(dir);
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
    if (Searching) {
        StopSearch();
        if (progress_)
            progress_->BreakProgress(true);
        closePending_ = true;
        event->ignore();
        return;
    }
    FormClose();
    if (findDialog_)
        findDialog_->close();
    QMainWindow::closeEvent(event);
}

void TFmain::FormClose()
{
    ClearKrellerList();
}

// ---- The search run ----

void TFmain::SB_runClick()
{
    if (Searching || !SB_run->isEnabled())
        return;
    walk_.StopRequested = false;
    Searching = true;
    UpdateCommands();
    found_->Clear();
    LV_found->repaint();  // the emptied list is what stays on screen while repainting is suspended
    LV_found->setUpdatesEnabled(false);
    walk_.ResetCounters();
    std::string failure;
    try {
        const int count = LB_paths->count();
        for (int i = 0; i < count; ++i) {
            LoadKrellerConditions();
            Timer_refresh->start();
            walk_.ScanDirectory(StartPathAt(i));
            if (walk_.StopRequested)
                break;
        }
    } catch (const std::exception& error) {
        failure = error.what();
    }
    Searching = false;
    Timer_refresh->stop();
    found_->Flush();
    LV_found->setUpdatesEnabled(true);
    if (progress_) {
        if (progress_->ShownFlag)
            progress_->close();
        progress_->ResetProgress();
    }
    SetStatusText("");
    UpdateCommands();
    if (!failure.empty())
        ShowError(failure);
    if (closePending_)
        QTimer::singleShot(0, this, &QWidget::close);
}

void TFmain::LoadKrellerConditions()
{
    LV_krellers_->Krellers().LoadKrellerConditions();
}

void TFmain::Timer_refreshTimer()
{
    if (!Searching)
        return;
    SetStatusText(walk_.CurrentPath);
    found_->Flush();
    if (progress_)
        walk_.StopRequested = !progress_->ReportProgress(walk_.FoundCount, walk_.TotalCount);
    QCoreApplication::processEvents();
}

void TFmain::LetEventsRun()
{
    QCoreApplication::processEvents();
}

bool TFmain::DirectoryPasses(const FileEntry& entry, const std::string& path)
{
    return ::DirectoryPasses(DirsItem, entry, path);
}

bool TFmain::FilePassesKrellers(const FileEntry& entry, const std::string& path)
{
    return LV_krellers_->Krellers().FilePassesKrellers(entry, path, DirsItem);
}

void TFmain::AddFoundFile(const FileEntry& entry, const std::string& path)
{
    found_->Append(entry, path);
}

void TFmain::IgnoreCurrentFile()
{
    walk_.IgnoreCurrent = true;
}

void TFmain::StopSearch()
{
    walk_.StopRequested = true;
}

bool TFmain::CurrentFileAbandoned() const
{
    return walk_.IgnoreCurrent || walk_.StopRequested;
}

void TFmain::SetStatusText(const std::string& text)
{
    statusPanels_[2]->setText(QString::fromUtf8(text));
}

QString TFmain::StatusText() const
{
    return statusPanels_[2]->text();
}

std::string TFmain::SearchResultText() const
{
    std::string text = "File(s) passed through all the krellers:" + std::to_string(found_->Count());
    if (walk_.StopRequested)
        text += "\nSearch process has been interrupted by user.";
    return text;
}

void TFmain::search_result_info()
{
    if (dialogs_.Msg)
        dialogs_.Msg->Inform(SearchResultText());
}

void TFmain::UpdateCommands()
{
    const bool idle = !Searching;
    const bool pathSelected = !LB_paths->selectedItems().isEmpty();
    const bool krellerSelected = LV_krellers_->SelectedRow() != nullptr;
    const bool foundSelected = SelectedFoundRow() >= 0;
    const bool foundNotEmpty = found_->rowCount() > 0;
    const bool viaPlugin = idle && ViewViaPlugin(false);

    const auto enable = [](std::initializer_list<QObject*> controls, bool enabled) {
        for (QObject* control : controls) {
            if (auto* widget = qobject_cast<QWidget*>(control))
                widget->setEnabled(enabled);
            else if (auto* action = qobject_cast<QAction*>(control))
                action->setEnabled(enabled);
        }
    };
    enable({SB_add_path, N_Adddirectory, SB_run, N_Startsearch, SB_exit, N_Exit, N_Loadfoundfileslist,
            P_Loadfoundfileslist, N_Settings}, idle);
    enable({SB_del_path, N_Deletedirectory, SB_save_path}, idle && pathSelected);
    enable({SB_kreller, N_Editcurrentkreller}, idle && krellerSelected);
    enable({SB_view, N_Viewfile, P_Viewfileastext, SB_open, N_Openfile, P_Openfile}, idle && foundSelected);
    enable({SB_view_plugin, N_Viewfileviaplugin, P_Viewfileviaplugin}, viaPlugin);
    enable({SB_findinfound, N_Searchinfoundfilenames, N_Savefoundfileslist, P_Savefoundfileslist}, idle && foundNotEmpty);
    LV_krellers_->SetSearching(Searching);
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
    LB_paths->setCurrentItem(AppendStartPathItem(platform::WithTrailingSlash(path)));
    UpdateCommands();
}

void TFmain::SB_add_pathClick()
{
    const QString dir = QFileDialog::getExistingDirectory(this, QString());
    AddStartPath(QFile::encodeName(dir).toStdString());
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
    const QModelIndexList rows = LV_found->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

std::string TFmain::SelectedFoundPath() const
{
    const int row = SelectedFoundRow();
    return row < 0 ? std::string() : found_->Row(row).Path;
}

void TFmain::SelectFoundRow(int row)
{
    const QModelIndex index = found_->index(row, 0);
    LV_found->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    LV_found->setCurrentIndex(index);
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
    if (watched == LV_found && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RunGuarded([this] { SB_openClick(); });
            return true;
        }
        if (key == Qt::Key_F3) {
            RunGuarded([this] { SB_viewClick(); });
            return true;
        }
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
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(found_->Count()));
    for (int i = 0; i < found_->Count(); ++i)
        paths.push_back(found_->Row(i).Path);
    SaveFoundListAs(paths, [this] { return AskFoundListSaveFile(this); });
}

void TFmain::N_LoadfoundfileslistClick()
{
    platform::TWorkingDirectoryGuard restoreWorkingDirectory;
    LoadFoundListFrom([this] { return AskFoundListLoadFile(this); }, [this] { found_->Clear(); },
                      [this](const FileEntry& entry, const std::string& path) { AddFoundFile(entry, path); });
    found_->Flush();
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
    OpenWebSearchPage();
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

void TFmain::RunGuarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        ShowError(error.what());
    }
}

void TFmain::ShowError(const std::string& text)
{
    QMessageBox::critical(this, QApplication::applicationName(), QString::fromUtf8(text));
}
