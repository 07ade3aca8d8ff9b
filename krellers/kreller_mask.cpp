#include "krellers/kreller_mask.h"

#include "settings_ui/file_groups.h"
#include "tagged/settings_store.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr const char* kExtensionHint = "Set \"*\"(asterisk) if you aren't sure";
constexpr const char* kDeleteGroupQuestion = "Delete file group?";
// The error colour of the live mask check.
const QColor kErrorColour(192, 0, 0);

QString ToQ(const std::string& text)
{
    return QString::fromUtf8(text);
}

std::string FromQ(const QString& text)
{
    return text.toUtf8().toStdString();
}

QLineEdit* NewMaskField(QWidget* parent, const char* name)
{
    auto* field = new QLineEdit("*", parent);
    field->setObjectName(name);
    return field;
}

} // namespace

TD_kreller_mask::TD_kreller_mask(QWidget* parent)
    : TD_kreller(parent)
{
    setWindowTitle("Kreller \"mask\"");
    auto* pages = new QTabWidget(ContentArea());
    pages->setObjectName("PC_mask");
    auto* page = new QWidget;
    page->setObjectName("TS_name_and_type");
    pages->addTab(page, "File name and type");

    Edit_filename = NewMaskField(page, "Edit_filename");
    auto* nameLabel = new QLabel("File name:", page);
    Shape_fileext = new QFrame(page);
    Shape_fileext->setObjectName("Shape_fileext");
    Shape_fileext->setFrameShape(QFrame::StyledPanel);
    Shape_fileext->setAutoFillBackground(true);
    Shape_fileext->setBackgroundRole(QPalette::Base);
    Edit_fileext = NewMaskField(Shape_fileext, "Edit_fileext");
    auto* frameLayout = new QHBoxLayout(Shape_fileext);
    frameLayout->setContentsMargins(2, 2, 2, 2);
    frameLayout->addWidget(Edit_fileext);
    auto* extLabel = new QLabel("File extention:", page);
    for (QWidget* hinted : {static_cast<QWidget*>(extLabel), static_cast<QWidget*>(Edit_fileext),
                            static_cast<QWidget*>(Shape_fileext)})
        hinted->setToolTip(kExtensionHint);
    nameLabel->setBuddy(Edit_filename);
    extLabel->setBuddy(Edit_fileext);

    LBL_mask_error = new QLabel(page);
    LBL_mask_error->setObjectName("LBL_mask_error");
    LBL_mask_error->setWordWrap(true);
    QPalette errorPalette = LBL_mask_error->palette();
    errorPalette.setColor(QPalette::WindowText, kErrorColour);
    LBL_mask_error->setPalette(errorPalette);

    auto* modes = new QGroupBox("File types:", page);
    modes->setObjectName("RG1");
    RG1 = new QButtonGroup(this);
    auto* modeLayout = new QVBoxLayout(modes);
    for (const TMaskMode mode : {TMaskMode::UseFileMask, TMaskMode::PassSelectedGroups, TMaskMode::RestrictSelectedGroups}) {
        auto* radio = new QRadioButton(MaskModeCaption(mode), modes);
        radio->setObjectName(QString("RG1_%1").arg(static_cast<int>(mode)));
        RG1->addButton(radio, static_cast<int>(mode));
        modeLayout->addWidget(radio);
    }

    groupPanel_ = new QWidget(page);
    groupPanel_->setObjectName("groupPanel");
    O_fg1 = new TO_file_groups(groupPanel_);
    O_fg1->setObjectName("O_fg1");
    O_fg1->setMinimumWidth(260);  // both columns of the list in view
    auto* selectAll = NewDialogButton(groupPanel_, "Select all", "btn_select_all");
    auto* unselectAll = NewDialogButton(groupPanel_, "Unselect all", "btn_unselect_all");
    auto* invert = NewDialogButton(groupPanel_, "Invert", "btn_invert");
    auto* addGroup = NewDialogButton(groupPanel_, "Add group", "btn_add_group");
    auto* delGroup = NewDialogButton(groupPanel_, "Del group", "btn_del_group");
    auto* editGroup = NewDialogButton(groupPanel_, "Edit group", "btn_edit_group");
    auto* groupButtons = new QVBoxLayout;
    for (QPushButton* button : {selectAll, unselectAll, invert, addGroup, delGroup, editGroup})
        groupButtons->addWidget(button);
    groupButtons->addStretch(1);
    auto* panelLayout = new QHBoxLayout(groupPanel_);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(O_fg1, 1);
    panelLayout->addLayout(groupButtons);

    auto* fields = new QGridLayout;
    fields->addWidget(nameLabel, 0, 0);
    fields->addWidget(Edit_filename, 0, 1);
    fields->addWidget(extLabel, 1, 0);
    fields->addWidget(Shape_fileext, 1, 1);
    fields->addWidget(LBL_mask_error, 2, 0, 1, 2);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addLayout(fields);
    pageLayout->addWidget(modes);
    pageLayout->addWidget(groupPanel_, 1);
    auto* areaLayout = new QVBoxLayout(ContentArea());
    areaLayout->setContentsMargins(0, 0, 0, 0);
    areaLayout->addWidget(pages);
    AddHelpButton("kreller_filetype");

    groupEditor_ = new TD_file_group_exts(TAskFunc{}, this);
    O_fg1->Attach(&ownGroups_, groupEditor_);

    connect(Edit_filename, &QLineEdit::textChanged, this, &TD_kreller_mask::UpdateMaskError);
    connect(Edit_fileext, &QLineEdit::textChanged, this, &TD_kreller_mask::UpdateMaskError);
    connect(RG1, &QButtonGroup::idClicked, this, &TD_kreller_mask::LayOutForMode);
    connect(selectAll, &QPushButton::clicked, O_fg1, &TO_file_groups::CheckAll);
    connect(unselectAll, &QPushButton::clicked, O_fg1, &TO_file_groups::UncheckAll);
    connect(invert, &QPushButton::clicked, O_fg1, &TO_file_groups::InvertChecks);
    connect(addGroup, &QPushButton::clicked, O_fg1, &TO_file_groups::AddGroup);
    connect(delGroup, &QPushButton::clicked, this, &TD_kreller_mask::btn_del_groupClick);
    connect(editGroup, &QPushButton::clicked, O_fg1, &TO_file_groups::EditGroup);

    SelectMode(TMaskMode::UseFileMask);
    LayOutForMode();
}

void TD_kreller_mask::ServicesChanged()
{
    groupEditor_->SetAsk(Services().Ask);
    O_fg1->Attach(&Groups(), groupEditor_);
}

TFileGroups& TD_kreller_mask::Groups()
{
    return Services().Settings ? Services().Settings->FileGroups() : ownGroups_;
}

std::string TD_kreller_mask::LastExtensionMask() const
{
    return Services().Settings ? Services().Settings->LastExtensionMask() : std::string("*");
}

TMaskMode TD_kreller_mask::SelectedMode() const
{
    const int id = RG1->checkedId();
    return id < 0 ? TMaskMode::UseFileMask : static_cast<TMaskMode>(id);
}

void TD_kreller_mask::SelectMode(TMaskMode mode)
{
    RG1->button(static_cast<int>(mode))->setChecked(true);
}

std::vector<std::string> TD_kreller_mask::ChecksShownInList() const
{
    if (!O_fg1->CheckBoxes())
        return hiddenChecks_;
    std::vector<std::string> checked;
    for (int i = 0; i < O_fg1->ItemCount(); ++i)
        if (O_fg1->CheckedAt(i))
            checked.push_back(O_fg1->CaptionAt(i));
    return checked;
}

void TD_kreller_mask::ShowChecks(const std::vector<std::string>& checkedGroups)
{
    hiddenChecks_ = checkedGroups;
    const TMaskCondition marks{TMaskMode::PassSelectedGroups, {}, {}, checkedGroups};
    for (int i = 0; i < O_fg1->ItemCount(); ++i)
        O_fg1->SetCheckedAt(i, marks.IsChecked(O_fg1->CaptionAt(i)));
}

// The groups take part only in modes 1 and 2: in mode 0 the list shows no check boxes and the
// extension field is the user's; in the group modes the extension is always "*".
void TD_kreller_mask::LayOutForMode()
{
    const TMaskMode mode = SelectedMode();
    const bool groupMode = mode != TMaskMode::UseFileMask;
    const std::vector<std::string> checks = ChecksShownInList();
    O_fg1->SetCheckBoxes(groupMode);
    ShowChecks(checks);
    O_fg1->SetStrikeChecked(mode == TMaskMode::RestrictSelectedGroups);
    EnableWithWindowColour(O_fg1->LV1, groupMode);
    O_fg1->setEnabled(groupMode);
    for (QPushButton* button : groupPanel_->findChildren<QPushButton*>())
        button->setEnabled(groupMode);
    groupPanel_->setVisible(groupMode);

    Edit_fileext->setText(groupMode ? QString("*") : ToQ(LastExtensionMask()));
    EnableWithWindowColour(Edit_fileext, !groupMode);
    EnableWithWindowColour(Shape_fileext, !groupMode);
    UpdateMaskError();
    ShrinkToContents();
}

// A dialog only grows by itself: after a panel or the error line is hidden it is made to fit again.
void TD_kreller_mask::ShrinkToContents()
{
    // Every layout forgets the size it had worked out, so the hidden widgets no longer count.
    for (QLayout* nested : findChildren<QLayout*>())
        nested->invalidate();
    if (QLayout* own = layout()) {
        own->invalidate();
        own->activate();
    }
    adjustSize();
}

TMaskCondition TD_kreller_mask::ShownCondition() const
{
    return {SelectedMode(), FromQ(Edit_filename->text()), FromQ(Edit_fileext->text()), ChecksShownInList()};
}

void TD_kreller_mask::UpdateMaskError()
{
    const std::optional<std::string> error = ShownCondition().MaskError();
    LBL_mask_error->setText(error ? ToQ(*error) : QString());
    const bool wasShown = !LBL_mask_error->isHidden();
    LBL_mask_error->setVisible(error.has_value());
    if (wasShown && !error)
        ShrinkToContents();
}

void TD_kreller_mask::LoadCondition(TConditionStrings* strings)
{
    TD_kreller::LoadCondition(strings);
    O_fg1->LoadGroups();
    TMaskCondition shown = ShownCondition();
    shown.ExtensionMask = LastExtensionMask();
    TConditionStrings rowStrings = ConditionLines();
    rowStrings.insert(rowStrings.begin(), Description());
    condition_ = TMaskCondition::FromStrings(rowStrings, Groups().Groups(), shown);
    ShowChecks(condition_.CheckedGroups);
    SelectMode(condition_.Mode);
    Edit_filename->setText(ToQ(condition_.NameMask));
    Edit_fileext->setText(ToQ(condition_.ExtensionMask));
    UpdateMaskError();
    tester_ = Description().empty() ? TMaskTester() : TMaskTester(condition_, Groups().Groups());
}

void TD_kreller_mask::StoreCondition()
{
    condition_ = ShownCondition();
    if (condition_.Mode == TMaskMode::UseFileMask && Services().Settings)
        Services().Settings->SetLastExtensionMask(condition_.ExtensionMask);
    SetCondition(condition_.Description(), condition_.Lines());
    TD_kreller::StoreCondition();
    tester_ = TMaskTester(condition_, Groups().Groups());
}

bool TD_kreller_mask::TestFile(const FileEntry&, const std::string& path)
{
    return tester_.Test(path);
}

std::string TD_kreller_mask::WhyRefused(const FileEntry&, const std::string& path) const
{
    return tester_.WhyRefused(path);
}

void TD_kreller_mask::ResetControls()
{
    Edit_filename->setText("*");
    SelectMode(TMaskMode::UseFileMask);
    LayOutForMode();
}

void TD_kreller_mask::showEvent(QShowEvent* event)
{
    LayOutForMode();
    TD_kreller::showEvent(event);
}

void TD_kreller_mask::btn_del_groupClick()
{
    if (O_fg1->Selected() && Services().AskYes(kDeleteGroupQuestion))
        O_fg1->DeleteGroup();
}
