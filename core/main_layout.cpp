// The main window's controls, their layout and its menus.
#include "core/main.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/FoundList.h"
#include "core/command_row.h"
#include "core/desktop_keys.h"
#include "core/start_path_box.h"
#include "krellers/kreller_list_view.h"
#include "platform/FileSystem.h"
#include "platform/Icons.h"

QToolButton* TFmain::ToolButton(const QString& text, const char* objectName, void (TFmain::*handler)())
{
    auto* button = new QToolButton(this);
    button->setObjectName(objectName);
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(false);
    if (handler)
        connect(button, &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
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
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
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
    LB_paths->installEventFilter(this);  // Del removes the selected path
    // A folder is typed or pasted into the field above the list, or dropped onto either.
    CMB_path = new TStartPathBox(platform::HomeDirectory(), central);
    pathsCaption->setBuddy(CMB_path);
    connect(CMB_path, &TStartPathBox::PathEntered, this, [this](const std::string& typed) { AddTypedStartPath(typed); });
    connect(CMB_path, &TStartPathBox::RecentPathPicked, this, [this](const std::string& path) { AddTypedStartPath(path); });
    connect(CMB_path, &TStartPathBox::PathsDropped, this, [this](const QMimeData& data) { AddDroppedStartPaths(data); });
    connect(CMB_path, &TStartPathBox::PathsPasted, this,
            [this](const std::vector<std::string>& lines) { AddPastedStartPaths(lines); });
    AcceptFolderDrops(LB_paths->viewport(), [this](const QMimeData& data) { AddDroppedStartPaths(data); });
    SB_add_path = ToolButton("Add to list", "SB_add_path", &TFmain::SB_add_pathClick);
    SB_del_path = ToolButton("Delete from list", "SB_del_path", &TFmain::SB_del_pathClick);
    SB_save_path = ToolButton("Save as default", "SB_save_path", &TFmain::SB_save_pathClick);
    auto* pathButtons = new QVBoxLayout;
    for (QToolButton* b : {SB_add_path, SB_del_path, SB_save_path}) {
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        pathButtons->addWidget(b);
    }
    pathButtons->addStretch();
    auto* pathsColumn = new QVBoxLayout;
    pathsColumn->addWidget(CMB_path);
    pathsColumn->addWidget(LB_paths, 1);
    auto* pathsRow = new QHBoxLayout;
    pathsRow->addLayout(pathsColumn, 1);
    pathsRow->addLayout(pathButtons);

    SB_kreller = ToolButton("Edit kreller", "SB_kreller", nullptr);
    SB_run = ToolButton("Run (F9)", "SB_run", &TFmain::SB_runOrStopClick);
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

    // The name box, the quickest way to the commonest search.
    auto* nameCaption = new QLabel("Name contains:", central);
    CMB_name = new QComboBox(central);
    CMB_name->setObjectName("CMB_name");
    CMB_name->setEditable(true);
    CMB_name->setInsertPolicy(QComboBox::NoInsert);  // the history is kept by the search runs
    CMB_name->setCompleter(nullptr);                 // completing from the history would type for the user
    CMB_name->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QLineEdit* nameEdit = CMB_name->lineEdit();
    nameEdit->setObjectName("Edit_name");
    nameEdit->setPlaceholderText("part of a file name, or a mask like *.pdf");
    nameEdit->setClearButtonEnabled(true);
    nameCaption->setBuddy(CMB_name);
    connect(nameEdit, &QLineEdit::returnPressed, this, [this] { SB_runClick(); });
    connect(nameEdit, &QLineEdit::textChanged, this, [this] { Edit_nameChange(); });
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameCaption);
    nameRow->addWidget(CMB_name, 1);

    // The kreller list.
    LV_krellers_ = new TKrellerListView(krellers_, central);
    connect(SB_kreller, &QToolButton::clicked, LV_krellers_->EditKrellerAction(), &QAction::trigger);
    connect(LV_krellers_, &TKrellerListView::KrellersChanged, this, [this] { UpdateCommands(); });
    connect(LV_krellers_, &TKrellerListView::RunRequested, this, [this] { SB_runClick(); });
    connect(LV_krellers_, &TKrellerListView::ContextCartridgesRequested, this,
            [this] { settings_->ShowSettings(TSettingsUserPage::ContextKreller); });
    connect(LV_krellers_, &TKrellerListView::CustomKrellersRequested, this,
            [this] { settings_->ShowSettings(TSettingsUserPage::Krellers); });

    // "Search results:" with its indicator, then the found list.
    auto* resultsCaption = new QLabel("Search results:", central);
    SB_found_stat = new QToolButton(central);
    SB_found_stat->setObjectName("SB_found_stat");
    SB_found_stat->setFixedSize(16, 16);
    connect(SB_found_stat, &QToolButton::clicked, this, [this] { search_result_info(); });
    Label_found_stat = new QLabel(central);
    Label_found_stat->setObjectName("Label_found_stat");
    auto* resultsRow = new QHBoxLayout;
    resultsRow->addWidget(resultsCaption);
    resultsRow->addWidget(SB_found_stat);
    resultsRow->addWidget(Label_found_stat);
    resultsRow->addStretch();
    resultsRow->addWidget(BuildQuickFilter(central));

    LV_found = new QTreeView(central);
    LV_found->setObjectName("LV_found");
    LV_found->setModel(found_);
    LV_found->setRootIsDecorated(false);
    LV_found->setUniformRowHeights(true);  // a million rows stay quick only with uniform heights
    LV_found->setSelectionBehavior(QAbstractItemView::SelectRows);
    LV_found->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LV_found->setDragEnabled(true);
    LV_found->setDragDropMode(QAbstractItemView::DragOnly);
    LV_found->setDefaultDropAction(Qt::CopyAction);
    LV_found->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LV_found->setIconSize(QSize(16, 16));
    LV_found->setAllColumnsShowFocus(true);
    LV_found->setContextMenuPolicy(Qt::CustomContextMenu);
    LV_found->setItemDelegateForColumn(TFoundListModel::ColSize, new TSizeCellDelegate(LV_found));
    BuildColumnMenu();
    // The full path takes the width the other columns leave.
    LV_found->header()->setStretchLastSection(false);
    LV_found->header()->setSectionResizeMode(TFoundListModel::ColPath, QHeaderView::Stretch);
    // The header shows the chosen order; no order is shown until the user picks one.
    QHeaderView* header = LV_found->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    FitSizeAndDateColumns();
    connect(header, &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) { LV_foundColumnClick(column, order); });
    LV_found->installEventFilter(this);
    connect(LV_found, &QTreeView::clicked, this, [this] { LV_foundClick(); });
    connect(LV_found, &QTreeView::doubleClicked, this, [this] { SB_openClick(); });
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
    splitter->addWidget(WithPreviewPane(results));
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 3);

    layout->addWidget(pathsCaption);
    layout->addLayout(pathsRow);
    layout->addWidget(toolRow);
    layout->addLayout(nameRow);
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
    N_Loadfoundfileslist = MenuAction(file, "Load found files list", "N_Loadfoundfileslist", &TFmain::N_LoadfoundfileslistClick,
                                      QKeySequence(Qt::CTRL | Qt::Key_O));
    N_Savefoundfileslist = MenuAction(file, "Save found files list as...", "N_Savefoundfileslist",
                                      &TFmain::N_SavefoundfileslistClick, QKeySequence(Qt::CTRL | Qt::Key_S));
    N_Settings = MenuAction(file, "Settings", "N_Settings", &TFmain::SB_settingsClick);
    QMenu* plugins = file->addMenu("Plugins");
    plugins->setObjectName("N_Plugins");
    QAction* custom = MenuAction(plugins, "Cuctom krellers", "N_Cuctomkrellers", nullptr);
    connect(custom, &QAction::triggered, this, [this] { settings_->ShowSettings(TSettingsUserPage::Krellers); });
    QAction* cartridges = MenuAction(plugins, "Context cartridges", "N_Contextcartridges", nullptr);
    connect(cartridges, &QAction::triggered, this, [this] { settings_->ShowSettings(TSettingsUserPage::ContextKreller); });
    file->addSeparator();
    N_Exit = MenuAction(file, "Exit", "N_Exit", nullptr, QKeySequence(Qt::CTRL | Qt::Key_Q));
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
    N_Searchinfoundfilenames->setShortcuts({QKeySequence(Qt::Key_F7), QKeySequence(Qt::CTRL | Qt::Key_F)});
    N_SearchinWEB = MenuAction(search, "Search in WEB", "N_SearchinWEB", &TFmain::SearchInWeb, QKeySequence(Qt::Key_F12));
    search->addSeparator();
    N_Whynotfound = MenuAction(search, "Why not found?", "N_Whynotfound", &TFmain::N_WhynotfoundClick);
    search->addSeparator();
    N_Showfoundwhilesearching = MenuAction(search, "Show found files while searching", "N_Showfoundwhilesearching", nullptr);
    N_Showfoundwhilesearching->setCheckable(true);
    N_Showfoundwhilesearching->setChecked(LiveResults);
    connect(N_Showfoundwhilesearching, &QAction::toggled, this, [this](bool on) { LiveResults = on; });
    N_Rememberstartpaths = MenuAction(search, "Remember start paths", "N_Rememberstartpaths", nullptr);
    N_Rememberstartpaths->setCheckable(true);
    N_Rememberstartpaths->setChecked(RememberPaths);
    connect(N_Rememberstartpaths, &QAction::toggled, this, [this](bool on) { RememberPaths = on; });

    QMenu* foundList = menuBar()->addMenu("Found list");
    foundList->setObjectName("N_Foundlist");
    N_Viewfile = MenuAction(foundList, "View file", "N_Viewfile", &TFmain::SB_viewClick, QKeySequence(Qt::Key_F3));
    N_Viewfileviaplugin = MenuAction(foundList, "View file via plugin", "N_Viewfileviaplugin", &TFmain::SB_view_pluginClick);
    N_Openfile = MenuAction(foundList, "Open file", "N_Openfile", &TFmain::SB_openClick);
    N_Opencontainingfolder = MenuAction(foundList, "Open containing folder", "N_Opencontainingfolder",
                                        &TFmain::N_OpencontainingfolderClick);
    BuildPreviewMenu(foundList);

    QMenu* help = menuBar()->addMenu("Help");
    help->setObjectName("N_Help");
    N_Help1 = MenuAction(help, "Help...", "N_Help1", nullptr, QKeySequence(Qt::Key_F1));
    connect(N_Help1, &QAction::triggered, this, [this] { ShowHelpTopic("index"); });
    N_About = MenuAction(help, "About", "N_About", &TFmain::N_AboutClick);

    PopupMenu_found = new QMenu(this);
    PopupMenu_found->setObjectName("PopupMenu_found");
    P_Viewfileastext = MenuAction(PopupMenu_found, "View file as text", "P_Viewfileastext", &TFmain::SB_viewClick,
                                  QKeySequence(Qt::Key_F3));
    P_Viewfileviaplugin = MenuAction(PopupMenu_found, "View file via plugin", "P_Viewfileviaplugin", &TFmain::SB_view_pluginClick);
    P_Openfile = MenuAction(PopupMenu_found, "Open file", "P_Openfile", &TFmain::SB_openClick);
    P_Opencontainingfolder = MenuAction(PopupMenu_found, "Open containing folder", "P_Opencontainingfolder",
                                        &TFmain::N_OpencontainingfolderClick);
    BuildFileActionMenu();
    PopupMenu_found->addSeparator();
    P_Copyfullpath = MenuAction(PopupMenu_found, "Copy full path", "P_Copyfullpath", &TFmain::CopyFullPaths, QKeySequence(Qt::CTRL | Qt::Key_C));
    P_Copyfilename = MenuAction(PopupMenu_found, "Copy file name", "P_Copyfilename", &TFmain::CopyFileNames);
    PopupMenu_found->addSeparator();
    P_Loadfoundfileslist = MenuAction(PopupMenu_found, "Load found files list", "P_Loadfoundfileslist",
                                      &TFmain::N_LoadfoundfileslistClick, QKeySequence(Qt::CTRL | Qt::Key_O));
    P_Savefoundfileslist = MenuAction(PopupMenu_found, "Save found files list as...", "P_Savefoundfileslist",
                                      &TFmain::N_SavefoundfileslistClick, QKeySequence(Qt::CTRL | Qt::Key_S));
    BuildSearchFileMenu(file);

    // Alt reaches every menu and entry; the menus of other owners get theirs when shown.
    AssignMenuMnemonics(menuBar());
    AssignMenuMnemonics(PopupMenu_found);
}

void TFmain::SetToolTips()
{
    // Each tool button says what it does and the key that does the same.
    const auto tip = [](QToolButton* button, const QString& what, std::initializer_list<QKeySequence> keys) {
        QStringList names;
        for (const QKeySequence& key : keys)
            names << key.toString(QKeySequence::NativeText);
        button->setToolTip(names.isEmpty() ? what : QString("%1 (%2)").arg(what, names.join(", ")));
    };
    tip(SB_add_path, "Add directory to start paths list", {});
    tip(SB_del_path, "Delete directory from start paths list", {QKeySequence(Qt::Key_Delete)});
    tip(SB_save_path, "Save the selected start path as the default", {});
    tip(SB_kreller, "Edit the selected kreller (Enter in the kreller list)", {});
    tip(SB_run, "Start search", {QKeySequence(Qt::Key_F9)});
    tip(SB_findinfound, "Search in found filenames", {QKeySequence(Qt::Key_F7), QKeySequence(Qt::CTRL | Qt::Key_F)});
    tip(SB_view_plugin, "View file via the selected kreller's plug-in", {});
    tip(SB_view, "View file as text", {QKeySequence(Qt::Key_F3)});
    tip(SB_open, "Open file (Enter in the found list)", {});
    tip(SB_exit, "Exit", {QKeySequence(Qt::CTRL | Qt::Key_Q)});
}

void TFmain::SetCommandIcons()
{
    const std::pair<QToolButton*, const char*> buttons[] = {
        {SB_findinfound, "edit-find"}, {SB_view, "document-print-preview"},
        {SB_open, "document-open"}, {SB_exit, "application-exit"},
    };
    for (const auto& [button, name] : buttons)
        button->setIcon(platform::CommandIcon(name));
    // The one command that starts everything must not look disabled while it is enabled.
    SB_run->setIcon(platform::CommandIconInColour("media-playback-start"));
    const std::pair<QAction*, const char*> entries[] = {
        {N_Searchinfoundfilenames, "edit-find"},
        {N_Viewfile, "document-print-preview"}, {P_Viewfileastext, "document-print-preview"},
        {N_Openfile, "document-open"}, {P_Openfile, "document-open"}, {N_Settings, "preferences-system"},
        {N_Exit, "application-exit"}, {N_Loadfoundfileslist, "document-open"}, {P_Loadfoundfileslist, "document-open"},
        {N_Savefoundfileslist, "document-save-as"}, {P_Savefoundfileslist, "document-save-as"},
        {N_Help1, "help-browser"}, {N_About, "help-about"},
    };
    for (const auto& [action, name] : entries)
        action->setIcon(platform::CommandIcon(name));
    N_Startsearch->setIcon(SB_run->icon());
}

