#include "settings_ui/settings_user.h"
#include "platform/DialogManners.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "settings_ui/folder_browser.h"
#include "settings_ui/ui_text.h"

#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kPathBytesRole = Qt::UserRole;
const char* const kHelpTopic = "start_dir";

const char* const kRestartQuestion = "The set of \"native\" krelles has been edited.\n"
                                     "To apply the changes program needs restart.\n"
                                     "Close the program now?";

// One built-in kreller: its switch and its check box.
struct TSwitchBinding {
    bool TBuiltInKrellers::*Flag;
    QCheckBox* TD_settings_user::*Box;
};

const TSwitchBinding kSwitches[] = {
    {&TBuiltInKrellers::FileMask, &TD_settings_user::CB_filemask},
    {&TBuiltInKrellers::Dirs, &TD_settings_user::CB_dirs},
    {&TBuiltInKrellers::FileSize, &TD_settings_user::CB_filesize},
    {&TBuiltInKrellers::FileTime, &TD_settings_user::CB_filetime},
    {&TBuiltInKrellers::Context, &TD_settings_user::CB_context},
};

// The list items keep the paths' exact bytes; their text is only for the eye.
std::string ListEntry(const QListWidgetItem& item)
{
    return item.data(kPathBytesRole).toByteArray().toStdString();
}

std::vector<std::string> ListEntries(const QListWidget& list)
{
    std::vector<std::string> entries;
    for (int i = 0; i < list.count(); ++i)
        entries.push_back(ListEntry(*list.item(i)));
    return entries;
}

void AddListEntry(QListWidget& list, const std::string& entry)
{
    auto* item = new QListWidgetItem(ToQ(entry), &list);
    item->setData(kPathBytesRole, QByteArray::fromStdString(entry));
}

void SetListEntries(QListWidget& list, const std::vector<std::string>& entries)
{
    list.clear();
    for (const std::string& entry : entries)
        AddListEntry(list, entry);
}

QVBoxLayout* ButtonColumn(std::initializer_list<QPushButton*> buttons)
{
    auto* column = new QVBoxLayout;
    for (QPushButton* button : buttons)
        column->addWidget(button);
    column->addStretch();
    return column;
}

} // namespace

bool RestartAfterClose(bool restartRequested, bool nativeSetEdited, const TAskFunc& ask)
{
    // Once the program is closing anyway, the question would change nothing.
    if (restartRequested)
        return true;
    return nativeSetEdited && ask && ask(kRestartQuestion);
}

// ---- TD_settings_user ----

TD_settings_user::TD_settings_user(TSettingsUserServices services, QWidget* parent)
    : TD_settings_user(TSettingsPlace::OfRunningProgram(), std::move(services), parent)
{
}

TD_settings_user::TD_settings_user(const TSettingsPlace& place, TSettingsUserServices services, QWidget* parent)
    : TD_settings(place, DeferredLoad, parent), services_(std::move(services))
{
    BuildControls();
    LoadAtCreation();
    UpdateButtons();
}

void TD_settings_user::SetServices(TSettingsUserServices services)
{
    services_ = std::move(services);
    About_crtr->SetLinkAddress(services_.PluginsPageAddress);
    About_ckrellers->SetLinkAddress(services_.PluginsPageAddress);
}

void TD_settings_user::BuildControls()
{
    setObjectName("TD_settings_user");
    QTabWidget* pages = PageControl();
    // The base's page "main" has nothing to offer here.
    pages->removeTab(pages->indexOf(MainPage()));
    MainPage()->hide();
    TS_dirs = BuildDirectoriesPage();
    TS_groups = BuildFileGroupsPage();
    TS_context = BuildContextPage();
    TS_krellers = BuildKrellersPage();
    pages->addTab(TS_dirs, "Directories");
    pages->addTab(TS_groups, "File groups");
    pages->addTab(TS_context, "Context kreller");
    pages->addTab(TS_krellers, "Krellers");
    // Every tab stays readable whole, without scroll arrows: the pages are as wide as their tabs.
    pages->setMinimumWidth(pages->tabBar()->sizeHint().width() + 8);

    FileGroupDialog = new TD_file_group_exts([this](const std::string& question) { return Ask(question); }, this);
    O_fg1->Attach(&Store().FileGroups(), FileGroupDialog);
    About_crtr = new TFabout_crtr(this);
    About_ckrellers = new TFabout_ckrellers(this);
    About_crtr->SetLinkAddress(services_.PluginsPageAddress);
    About_ckrellers->SetLinkAddress(services_.PluginsPageAddress);

    // The dialogs opened from here (file groups, plug-in information) answer F1 with its page too.
    setProperty(platform::HelpTopicProperty, kHelpTopic);
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] {
        if (services_.ShowHelpTopic)
            services_.ShowHelpTopic(kHelpTopic);
    });
}

QPushButton* TD_settings_user::Button(const char* caption, const char* objectName, QWidget* parent,
                                      void (TD_settings_user::*handler)())
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

QWidget* TD_settings_user::BuildDirectoriesPage()
{
    auto* page = new QWidget;
    page->setObjectName("TS_dirs");
    Edit_DSP = new QLineEdit(page);
    Edit_DSP->setObjectName("Edit_DSP");
    Edit_DSP->setReadOnly(true);
    LB_prohibited = new QListWidget(page);
    LB_prohibited->setObjectName("LB_prohibited");
    connect(LB_prohibited, &QListWidget::itemSelectionChanged, this, &TD_settings_user::UpdateButtons);
    btn_remove_dir = Button("Remove", "btn_remove_dir", page, &TD_settings_user::btn_remove_dirClick);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(Edit_DSP);
    pathRow->addWidget(Button("Change...", "btn_change", page, &TD_settings_user::BrowseDefaultPath));
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(LB_prohibited);
    listRow->addLayout(
        ButtonColumn({Button("Add...", "btn_add_dir", page, &TD_settings_user::btn_add_dirClick), btn_remove_dir}));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel("Default start search path:", page));
    layout->addLayout(pathRow);
    layout->addWidget(new QLabel("Do not search in directories (default set):", page));
    layout->addLayout(listRow);
    return page;
}

QWidget* TD_settings_user::BuildFileGroupsPage()
{
    auto* page = new QWidget;
    page->setObjectName("TS_groups");
    O_fg1 = new TO_file_groups(page);
    O_fg1->setObjectName("O_fg1");
    connect(O_fg1, &TO_file_groups::SelectionChanged, this, &TD_settings_user::UpdateButtons);
    connect(O_fg1, &TO_file_groups::ItemActivated, this, &TD_settings_user::btn_edit_groupClick);
    btn_delete_group = Button("Delete", "btn_delete_group", page, &TD_settings_user::btn_delete_groupClick);
    btn_edit_group = Button("Edit", "btn_edit_group", page, &TD_settings_user::btn_edit_groupClick);

    auto* layout = new QHBoxLayout(page);
    layout->addWidget(O_fg1);
    layout->addLayout(ButtonColumn(
        {Button("Add", "btn_add_group", page, &TD_settings_user::btn_add_groupClick), btn_delete_group, btn_edit_group}));
    return page;
}

QWidget* TD_settings_user::BuildContextPage()
{
    auto* page = new QWidget;
    page->setObjectName("TS_context");
    auto* picture = new QLabel(page);
    picture->setObjectName("Image1");
    picture->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(32, 32));
    auto* note = new QLabel("Some file formats are NOT readable as a text. Use cartridges to convert files itno "
                            "the text format on-the-fly.",
                            page);
    note->setObjectName("Label_cartridges");
    note->setWordWrap(true);
    QFont bold = note->font();
    bold.setBold(true);
    note->setFont(bold);
    O_crtrs_context1 = new TO_crtrs_context(page);
    O_crtrs_context1->setObjectName("O_crtrs_context1");
    connect(O_crtrs_context1, &TO_crtrs::SelectionChanged, this, &TD_settings_user::UpdateButtons);
    connect(O_crtrs_context1, &TO_crtrs::ItemActivated, this, &TD_settings_user::btn_crtr_settingsClick);
    btn_crtr_settings = Button("Settings", "btn_crtr_settings", page, &TD_settings_user::btn_crtr_settingsClick);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addWidget(note, 1);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(O_crtrs_context1);
    listRow->addLayout(ButtonColumn(
        {btn_crtr_settings,
         Button("Add/Remove", "btn_crtrs_add_remove", page, &TD_settings_user::btn_crtrs_add_removeClick)}));
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addLayout(listRow);
    return page;
}

QCheckBox* TD_settings_user::NativeSwitch(const char* caption, const char* objectName, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(objectName);
    box->setChecked(true);
    // Only the user's clicks count: loading the switches is no edit.
    connect(box, &QCheckBox::clicked, this, [this] { NativeSetEdited = true; });
    return box;
}

QWidget* TD_settings_user::BuildKrellersPage()
{
    auto* page = new QWidget;
    page->setObjectName("TS_krellers");
    auto* group = new QGroupBox("Krellers:", page);
    group->setObjectName("GB_krellers");
    CB_filemask = NativeSwitch("File mask", "CB_filemask", group);
    CB_dirs = NativeSwitch("Directories", "CB_dirs", group);
    CB_filesize = NativeSwitch("File size", "CB_filesize", group);
    CB_filetime = NativeSwitch("File time", "CB_filetime", group);
    CB_context = NativeSwitch("Context", "CB_context", group);
    O_crtrs_ckreller1 = new TO_crtrs_ckreller(page);
    O_crtrs_ckreller1->setObjectName("O_crtrs_ckreller1");

    auto* switches = new QVBoxLayout;
    for (QCheckBox* box : {CB_filemask, CB_dirs, CB_filesize, CB_filetime, CB_context})
        switches->addWidget(box);
    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->addLayout(switches);
    groupLayout->addStretch();
    groupLayout->addLayout(ButtonColumn(
        {Button("Add/Remove", "btn_ckrellers_add_remove", group, &TD_settings_user::btn_ckrellers_add_removeClick)}));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addWidget(O_crtrs_ckreller1);
    return page;
}

void TD_settings_user::AfterLoad()
{
    Store().CompleteKeys();
    ShowStore();
}

void TD_settings_user::ShowStore()
{
    Edit_DSP->setText(ToQ(Store().DefaultPath()));
    SetListEntries(*LB_prohibited, Store().ExcludedDirectories());
    ShowBuiltInKrellers(Store().BuiltInKrellers());
    O_fg1->LoadGroups();
    if (services_.Plugins) {
        O_crtrs_context1->ShowPlugins(*services_.Plugins);
        O_crtrs_ckreller1->ShowPlugins(*services_.Plugins);
    }
    UpdateButtons();
}

// ---- Accessors ----

std::string TD_settings_user::DefaultPath()
{
    const std::string path = Store().DefaultPath();
    Edit_DSP->setText(ToQ(path));
    return path;
}

void TD_settings_user::SetDefaultPath(const std::string& path)
{
    Store().SetDefaultPath(path);
    Edit_DSP->setText(ToQ(Store().DefaultPath()));
}

std::string TD_settings_user::LastVisit() { return Store().LastVisit(); }

void TD_settings_user::SetLastVisit(const std::string& date) { Store().SetLastVisit(date); }

TBuiltInKrellers TD_settings_user::BuiltInKrellers() { return Store().BuiltInKrellers(); }

TBuiltInKrellers TD_settings_user::ShownBuiltInKrellers() const
{
    TBuiltInKrellers krellers;
    for (const TSwitchBinding& binding : kSwitches)
        krellers.*binding.Flag = (this->*binding.Box)->isChecked();
    return krellers;
}

void TD_settings_user::ShowBuiltInKrellers(const TBuiltInKrellers& krellers)
{
    for (const TSwitchBinding& binding : kSwitches)
        (this->*binding.Box)->setChecked(krellers.*binding.Flag);
}

std::vector<std::string> TD_settings_user::DefaultExcludedDirectories() { return Store().ExcludedDirectories(); }

void TD_settings_user::SetDefaultExcludedDirectories(const std::vector<std::string>& directories)
{
    Store().SetExcludedDirectories(directories);
    SetListEntries(*LB_prohibited, directories);
    UpdateButtons();
}

void TD_settings_user::StoreControls()
{
    Store().SetExcludedDirectories(ListEntries(*LB_prohibited));
    Store().SetBuiltInKrellers(ShownBuiltInKrellers());
}

void TD_settings_user::UpdateButtons()
{
    const bool groupSelected = O_fg1->Selected() != nullptr;
    btn_remove_dir->setEnabled(!LB_prohibited->selectedItems().isEmpty());
    btn_delete_group->setEnabled(groupSelected);
    btn_edit_group->setEnabled(groupSelected);
    btn_crtr_settings->setEnabled(O_crtrs_context1->Selected() != nullptr);
}

// ---- Showing and closing ----

int TD_settings_user::ShowOnPage(TSettingsUserPage page)
{
    QWidget* const pagesInOrder[] = {TS_dirs, TS_groups, TS_context, TS_krellers};
    PageControl()->setCurrentWidget(pagesInOrder[static_cast<int>(page)]);
    return exec();
}

void TD_settings_user::showEvent(QShowEvent* event)
{
    ShowStore();
    RestartRequested = false;
    NativeSetEdited = false;
    TD_settings::showEvent(event);
}

void TD_settings_user::done(int result)
{
    // Every way of closing a visible dialog ends here: "Ok", Escape, the window's close control.
    if (isVisible())
        FormClose();
    TD_settings::done(result);
}

void TD_settings_user::FormClose()
{
    try {
        StoreControls();
    } catch (...) {
        // The dialog closes all the same; the document keeps what it had.
    }
    RestartRequested = RestartAfterClose(RestartRequested, NativeSetEdited, services_.Ask);
    if (RestartRequested && services_.CloseMainWindow)
        services_.CloseMainWindow();
}

bool TD_settings_user::Ask(const std::string& question) const { return services_.Ask && services_.Ask(question); }

std::optional<std::string> TD_settings_user::BrowseFolder(const char* purpose, const std::string& title,
                                                          const std::string& selected)
{
    return ChooseRemembered(&Store(), purpose, selected, TChosenKind::Folder, [&](const std::string& start) {
        return services_.BrowseFolder ? services_.BrowseFolder(title, start) : BrowseSystemFolder(this, title, start);
    });
}

// ---- Commands ----

void TD_settings_user::BrowseDefaultPath()
{
    if (const std::optional<std::string> folder =
            BrowseFolder("DEFAULT_PATH", "Select default search path:", Store().DefaultPath()))
        SetDefaultPath(NormalisedDirectory(*folder));
}

void TD_settings_user::btn_add_dirClick()
{
    const QListWidgetItem* selected = LB_prohibited->currentItem();
    const std::optional<std::string> folder = BrowseFolder(
        "EXCLUDED", "Select directory to add to the list", selected ? ListEntry(*selected) : std::string());
    if (!folder)
        return;
    std::vector<std::string> directories = ListEntries(*LB_prohibited);
    if (AddDirectoryOnce(directories, *folder))
        AddListEntry(*LB_prohibited, directories.back());
}

void TD_settings_user::btn_remove_dirClick()
{
    QListWidgetItem* item = LB_prohibited->currentItem();
    if (!item || !item->isSelected())
        return;
    if (Ask("Remove \"" + FromQ(item->text()) + "\"\nfrom the list?"))
        delete item;
    UpdateButtons();
}

void TD_settings_user::btn_add_groupClick()
{
    O_fg1->AddGroup();
    UpdateButtons();
}

void TD_settings_user::btn_delete_groupClick()
{
    if (O_fg1->Selected() && Ask("Delete file group?"))
        O_fg1->DeleteGroup();
    UpdateButtons();
}

void TD_settings_user::btn_edit_groupClick() { O_fg1->EditGroup(); }

void TD_settings_user::btn_crtr_settingsClick()
{
    if (btn_crtr_settings->isEnabled())
        O_crtrs_context1->SetUpSelected();
}

void TD_settings_user::btn_crtrs_add_removeClick() { RunAboutDialog(*About_crtr, &TPluginFolders::Cartridges); }

void TD_settings_user::btn_ckrellers_add_removeClick()
{
    RunAboutDialog(*About_ckrellers, &TPluginFolders::CustomKrellers);
}

void TD_settings_user::RunAboutDialog(TFabout_crtr& dialog, std::vector<std::string> TPluginFolders::*kind)
{
    dialog.SetFolders(services_.Plugins ? services_.Plugins->Folders().*kind : std::vector<std::string>{});
    dialog.Execute();
    RestartRequested = dialog.CloseRequested;
    if (RestartRequested)
        reject();
}
