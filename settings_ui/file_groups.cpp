#include "settings_ui/file_groups.h"

#include "platform/DialogManners.h"
#include "settings_ui/ui_text.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <set>

namespace {

const char* const kNewGroupName = "NewGroup";

// Draws the rows of a file group list, struck out where the list says so.
class TStrikeDelegate : public QStyledItemDelegate {
public:
    explicit TStrikeDelegate(TO_file_groups& list) : QStyledItemDelegate(&list), list_(list) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (list_.DrawnStruckOut(index.row()))
            option->font.setStrikeOut(true);
    }

private:
    TO_file_groups& list_;
};

} // namespace

// ---- TO_selected_list ----

TO_selected_list::TO_selected_list(QWidget* parent) : QWidget(parent)
{
    setObjectName("TO_selected_list");
    LV1 = new QTreeWidget(this);
    LV1->setObjectName("LV1");
    LV1->setRootIsDecorated(false);
    LV1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LV1->setSelectionMode(QAbstractItemView::SingleSelection);
    LV1->setAllColumnsShowFocus(true);
    SetColumns({{QString(), 250}}, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(LV1);
    connect(LV1, &QTreeWidget::itemSelectionChanged, this, &TO_selected_list::SelectionChanged);
    connect(LV1, &QTreeWidget::itemDoubleClicked, this, [this] { emit ItemActivated(); });
}

void TO_selected_list::SetColumns(const std::vector<std::pair<QString, int>>& captionsAndWidths, bool headerShown)
{
    QStringList captions;
    for (const auto& column : captionsAndWidths)
        captions << column.first;
    LV1->setColumnCount(static_cast<int>(captions.size()));
    LV1->setHeaderLabels(captions);
    for (int i = 0; i < static_cast<int>(captionsAndWidths.size()); ++i)
        LV1->setColumnWidth(i, captionsAndWidths[static_cast<std::size_t>(i)].second);
    LV1->setHeaderHidden(!headerShown);
}

int TO_selected_list::ItemCount() const { return LV1->topLevelItemCount(); }

void TO_selected_list::ClearItems() { LV1->clear(); }

QTreeWidgetItem* TO_selected_list::AddItem(const std::string& caption, const std::string& text)
{
    return AppendItem(new QTreeWidgetItem, caption, text);
}

QTreeWidgetItem* TO_selected_list::AppendItem(QTreeWidgetItem* item, const std::string& caption, const std::string& text)
{
    item->setText(0, ToQ(caption));
    item->setText(1, ToQ(text));
    LV1->addTopLevelItem(item);
    if (checkBoxes_) {
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
    }
    return item;
}

void TO_selected_list::DeleteSelected() { delete Selected(); }

QTreeWidgetItem* TO_selected_list::ItemAt(int index) const { return LV1->topLevelItem(index); }

std::string TO_selected_list::CaptionAt(int index) const
{
    const QTreeWidgetItem* item = ItemAt(index);
    return item ? FromQ(item->text(0)) : std::string();
}

std::string TO_selected_list::TextAt(int index) const
{
    const QTreeWidgetItem* item = ItemAt(index);
    return item ? FromQ(item->text(1)) : std::string();
}

QTreeWidgetItem* TO_selected_list::Selected() const
{
    const QList<QTreeWidgetItem*> selected = LV1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

int TO_selected_list::SelectedIndex() const
{
    QTreeWidgetItem* item = Selected();
    return item ? LV1->indexOfTopLevelItem(item) : -1;
}

void TO_selected_list::SelectIndex(int index)
{
    LV1->clearSelection();
    if (QTreeWidgetItem* item = ItemAt(index)) {
        item->setSelected(true);
        LV1->setCurrentItem(item);
    }
}

void TO_selected_list::SetCheckBoxes(bool shown)
{
    checkBoxes_ = shown;
    for (int i = 0; i < ItemCount(); ++i) {
        QTreeWidgetItem* item = ItemAt(i);
        if (shown) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Checked);
        } else {
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
            item->setData(0, Qt::CheckStateRole, QVariant());
        }
    }
}

bool TO_selected_list::CheckedAt(int index) const
{
    const QTreeWidgetItem* item = ItemAt(index);
    return item && checkBoxes_ && item->checkState(0) == Qt::Checked;
}

void TO_selected_list::SetCheckedAt(int index, bool checked)
{
    if (QTreeWidgetItem* item = ItemAt(index); item && checkBoxes_)
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

// ---- TO_file_groups ----

TO_file_groups::TO_file_groups(QWidget* parent) : TO_selected_list(parent)
{
    setObjectName("TO_file_groups");
    // Headed columns; the extensions take the width they need, a long list scrolls instead of
    // being cut, and each row's tooltip holds the whole list.
    SetColumns({{"File group", 120}, {"Extensions", 120}}, true);
    LV1->header()->setStretchLastSection(false);
    LV1->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    LV1->setItemDelegate(new TStrikeDelegate(*this));
    // Checking a row changes how it is drawn.
    connect(LV1, &QTreeWidget::itemChanged, LV1->viewport(), qOverload<>(&QWidget::update));
}

void TO_file_groups::Attach(TFileGroups* groups, TD_file_group_exts* editor)
{
    groups_ = groups;
    editor_ = editor;
    subscription_ = groups_ ? groups_->Subscribe([this] { LoadGroups(); }) : TFileGroups::TSubscription();
    LoadGroups();
}

void TO_file_groups::LoadGroups()
{
    // Checks belong to this view: a group keeps its check across changes made elsewhere.
    std::set<std::string> unchecked;
    for (int i = 0; i < ItemCount(); ++i)
        if (CheckBoxes() && !CheckedAt(i))
            unchecked.insert(CaptionAt(i));
    const int selected = SelectedIndex();
    ClearItems();
    if (!groups_)
        return;
    for (const TFileGroup& group : groups_->Groups()) {
        AddItem(group.Name, group.Extensions)->setToolTip(1, ToQ(group.Extensions));
        if (unchecked.count(group.Name))
            SetCheckedAt(ItemCount() - 1, false);
    }
    SelectIndex(selected);
    emit SelectionChanged();
}

std::vector<TFileGroup> TO_file_groups::Groups() const
{
    return groups_ ? groups_->Groups() : std::vector<TFileGroup>{};
}

void TO_file_groups::SetAllChecks(const std::function<bool(bool)>& newState)
{
    for (int i = 0; i < ItemCount(); ++i)
        SetCheckedAt(i, newState(CheckedAt(i)));
}

void TO_file_groups::CheckAll() { SetAllChecks([](bool) { return true; }); }
void TO_file_groups::UncheckAll() { SetAllChecks([](bool) { return false; }); }
void TO_file_groups::InvertChecks() { SetAllChecks([](bool checked) { return !checked; }); }

void TO_file_groups::AddGroup()
{
    TFileGroup group{kNewGroupName, std::string()};
    if (!groups_ || !editor_ || !editor_->EditFileGroup(group))
        return;
    SelectIndex(static_cast<int>(groups_->Add(std::move(group))));
}

void TO_file_groups::DeleteGroup()
{
    const int index = SelectedIndex();
    if (groups_ && index >= 0)
        groups_->Remove(static_cast<std::size_t>(index));
}

bool TO_file_groups::EditGroup()
{
    const int index = SelectedIndex();
    if (!groups_ || !editor_ || index < 0)
        return false;
    TFileGroup group = groups_->At(static_cast<std::size_t>(index));
    if (!editor_->EditFileGroup(group))
        return false;
    groups_->Replace(static_cast<std::size_t>(index), std::move(group));
    return true;
}

void TO_file_groups::SetStrikeChecked(bool strike)
{
    strikeChecked_ = strike;
    LV1->viewport()->update();
}

bool TO_file_groups::DrawnStruckOut(int index) const { return strikeChecked_ && CheckedAt(index); }

// ---- TD_file_group_exts ----

TD_file_group_exts::TD_file_group_exts(TAskFunc ask, QWidget* parent) : QDialog(parent), ask_(std::move(ask))
{
    input_ = [this](const std::string& title, const std::string& prompt) { return AskForText(this, title, prompt); };
    BuildControls();
}

void TD_file_group_exts::BuildControls()
{
    setObjectName("TD_file_group_exts");
    setWindowTitle("File group");
    Edit_name = new QLineEdit(this);
    Edit_name->setObjectName("Edit_name");
    LBexts = new QListWidget(this);
    LBexts->setObjectName("LBexts");
    btn_add = new QPushButton("Add", this);
    btn_add->setObjectName("btn_add");
    btn_remove = new QPushButton("Remove", this);
    btn_remove->setObjectName("btn_remove");
    auto* btn_ok = new QPushButton("Ok", this);
    btn_ok->setObjectName("btn_ok");
    btn_ok->setDefault(true);
    auto* btn_cancel = new QPushButton("Cancel", this);
    btn_cancel->setObjectName("btn_cancel");

    connect(btn_add, &QPushButton::clicked, this, &TD_file_group_exts::btn_addClick);
    connect(btn_remove, &QPushButton::clicked, this, &TD_file_group_exts::btn_removeClick);
    connect(btn_ok, &QPushButton::clicked, this, &TD_file_group_exts::btn_okClick);
    connect(btn_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(LBexts, &QListWidget::itemSelectionChanged, this, &TD_file_group_exts::UpdateRemoveButton);

    auto* listButtons = new QVBoxLayout;
    listButtons->addWidget(btn_add);
    listButtons->addWidget(btn_remove);
    listButtons->addStretch();
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(LBexts);
    listRow->addLayout(listButtons);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn_ok);
    buttons->addWidget(btn_cancel);
    auto* layout = new QVBoxLayout(this);
    auto* nameCaption = new QLabel("Group name:", this);
    nameCaption->setBuddy(Edit_name);
    auto* extsCaption = new QLabel("File extentions in the group:", this);
    extsCaption->setBuddy(LBexts);
    layout->addWidget(nameCaption);
    layout->addWidget(Edit_name);
    layout->addWidget(extsCaption);
    layout->addLayout(listRow);
    layout->addLayout(buttons);
    platform::SetDialogTitleButtons(this, platform::DialogFrame::Resizable);
    platform::SetStandardButtonIcon(btn_ok, platform::StandardButton::Ok);
    platform::SetStandardButtonIcon(btn_cancel, platform::StandardButton::Cancel);
}

bool TD_file_group_exts::EditFileGroup(TFileGroup& group)
{
    Confirmed = false;
    LoadGroup(group);
    // Typing replaces the name at once, as "NewGroup" is only a stand-in.
    Edit_name->selectAll();
    Edit_name->setFocus();
    exec();
    if (Confirmed)
        group = EditedGroup();
    return Confirmed;
}

void TD_file_group_exts::LoadGroup(const TFileGroup& group)
{
    Edit_name->setText(ToQ(group.Name));
    LBexts->clear();
    for (const std::string& extension : SplitExtensionsForEditing(group.Extensions))
        LBexts->addItem(ToQ(extension));
    UpdateRemoveButton();
}

TFileGroup TD_file_group_exts::EditedGroup() const
{
    return {FromQ(Edit_name->text()), JoinExtensions(Extensions())};
}

std::vector<std::string> TD_file_group_exts::Extensions() const
{
    std::vector<std::string> extensions;
    for (int i = 0; i < LBexts->count(); ++i)
        extensions.push_back(FromQ(LBexts->item(i)->text()));
    return extensions;
}

void TD_file_group_exts::btn_addClick()
{
    const std::optional<std::string> input = input_("New extention", "Extention to add to the list:");
    if (!input)
        return;
    std::vector<std::string> extensions = Extensions();
    const TExtensionAdded added = AddExtension(extensions, *input);
    if (added.Appended)
        LBexts->addItem(ToQ(extensions.back()));
    if (added.Index >= 0 && !added.Appended)
        LBexts->setCurrentRow(added.Index);
    UpdateRemoveButton();
}

void TD_file_group_exts::btn_removeClick()
{
    QListWidgetItem* item = LBexts->currentItem();
    if (!item || !item->isSelected())
        return;
    if (ask_ && ask_("Remove " + FromQ(item->text()) + " from the list?"))
        delete item;
    UpdateRemoveButton();
}

void TD_file_group_exts::btn_okClick()
{
    Confirmed = true;
    accept();
}

void TD_file_group_exts::UpdateRemoveButton() { btn_remove->setEnabled(!LBexts->selectedItems().isEmpty()); }

std::optional<std::string> AskForText(QWidget* parent, const std::string& title, const std::string& prompt)
{
    QInputDialog box(parent);
    box.setObjectName("InputBox");
    box.setWindowTitle(ToQ(title));
    box.setLabelText(ToQ(prompt));
    box.setTextValue(QString());
    platform::MakeFixedSizeDialog(&box);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return FromQ(box.textValue());
}
