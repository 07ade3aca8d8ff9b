#include "krellers/kreller_dirs.h"

#include "tagged/settings_store.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr const char* kBrowseTitle = "Select directory to add to the list";
constexpr const char* kNoDefaultQuestion = "No default list deffined in the program settings.\nSet empty list?";
constexpr const char* kSaveQuestion = "Save current list as default list?";
constexpr const char* kClearQuestion = "Clear list?";

// Paths are the file system's bytes; names that are not UTF-8 show with replacement characters.
QString ShownPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace

TD_kreller_dirs::TD_kreller_dirs(QWidget* parent)
    : TD_kreller(parent)
{
    setWindowTitle("Kreller \"Directories\"");
    ResetButton()->hide();
    QWidget* area = ContentArea();
    auto* caption = new QLabel("Listed directories will NOT be scanned:", area);
    LB_dirs = new QListWidget(area);
    LB_dirs->setObjectName("LB_dirs");
    LB_dirs->setMinimumWidth(360);

    auto* add = NewDialogButton(area, "Add", "btn_add");
    btn_delete = NewDialogButton(area, "Delete", "btn_delete");
    auto* loadDefault = NewDialogButton(area, "Load default", "btn_load_default");
    btn_save = NewDialogButton(area, "Save", "btn_save");
    btn_clear = NewDialogButton(area, "Clear", "btn_clear");
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {add, btn_delete, loadDefault, btn_save, btn_clear})
        buttons->addWidget(button);
    buttons->addStretch(1);

    auto* row = new QHBoxLayout;
    row->addWidget(LB_dirs, 1);
    row->addLayout(buttons);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(caption);
    layout->addLayout(row, 1);
    AddHelpButton("kreller_dir");

    connect(add, &QPushButton::clicked, this, &TD_kreller_dirs::btn_addClick);
    connect(btn_delete, &QPushButton::clicked, this, &TD_kreller_dirs::btn_deleteClick);
    connect(loadDefault, &QPushButton::clicked, this, &TD_kreller_dirs::btn_load_defaultClick);
    connect(btn_save, &QPushButton::clicked, this, &TD_kreller_dirs::btn_saveClick);
    connect(btn_clear, &QPushButton::clicked, this, &TD_kreller_dirs::btn_clearClick);
    connect(LB_dirs, &QListWidget::itemSelectionChanged, this, &TD_kreller_dirs::UpdateButtons);
    UpdateButtons();
}

void TD_kreller_dirs::LoadCondition(TConditionStrings* strings)
{
    TD_kreller::LoadCondition(strings);
    condition_ = TDirsCondition::FromLines(ConditionLines());
    ShowList(condition_);
}

void TD_kreller_dirs::StoreCondition()
{
    condition_ = edited_;
    if (condition_.HasCondition()) {
        SetCondition(kDirsDescription, condition_.Lines());
        TD_kreller::StoreCondition();
    } else {
        ClearCondition();
    }
}

bool TD_kreller_dirs::TestFile(const FileEntry&, const std::string& path)
{
    return condition_.Passes(path);
}

void TD_kreller_dirs::showEvent(QShowEvent* event)
{
    TD_kreller::showEvent(event);
    UpdateButtons();
}

void TD_kreller_dirs::ShowList(const TDirsCondition& list, int selected)
{
    edited_ = list;
    LB_dirs->clear();
    for (const std::string& dir : edited_.Directories)
        LB_dirs->addItem(ShownPath(dir));
    if (selected >= 0)
        LB_dirs->setCurrentRow(selected);
    UpdateButtons();
}

void TD_kreller_dirs::UpdateButtons()
{
    btn_delete->setEnabled(!LB_dirs->selectedItems().isEmpty());
    btn_save->setEnabled(edited_.HasCondition());
    btn_clear->setEnabled(edited_.HasCondition());
}

void TD_kreller_dirs::btn_addClick()
{
    const auto& browse = Services().BrowseFolder;
    const int row = LB_dirs->currentRow();
    const bool rowSelected = row >= 0 && !LB_dirs->selectedItems().isEmpty();
    const std::string selected = rowSelected ? edited_.Directories[static_cast<std::size_t>(row)] : std::string();
    const std::optional<std::string> folder = browse ? browse(kBrowseTitle, selected) : std::nullopt;
    if (!folder)
        return;
    TDirsCondition list = edited_;
    const TDirsCondition::TAdded added = list.Add(*folder);
    ShowList(list, static_cast<int>(added.Index));
}

void TD_kreller_dirs::btn_deleteClick()
{
    const int row = LB_dirs->currentRow();
    if (row < 0 || LB_dirs->selectedItems().isEmpty())
        return;
    TDirsCondition list = edited_;
    list.Directories.erase(list.Directories.begin() + row);
    ShowList(list);
}

void TD_kreller_dirs::btn_load_defaultClick()
{
    TSettingsStore* settings = Services().Settings;
    const std::vector<std::string> defaults = settings ? settings->ExcludedDirectories() : std::vector<std::string>{};
    if (defaults.empty() && !Services().AskYes(kNoDefaultQuestion))
        return;
    ShowList(TDirsCondition::FromLines(defaults));
}

void TD_kreller_dirs::btn_saveClick()
{
    TSettingsStore* settings = Services().Settings;
    if (!settings || !Services().AskYes(kSaveQuestion))
        return;
    settings->SetExcludedDirectories(edited_.Directories);
    // A file that cannot be written now keeps its old content; the document still holds the list
    // and is written again when the program ends.
    settings->Save();
}

void TD_kreller_dirs::btn_clearClick()
{
    if (Services().AskYes(kClearQuestion))
        ShowList({});
}
