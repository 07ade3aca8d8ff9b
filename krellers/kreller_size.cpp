#include "krellers/kreller_size.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <limits>

namespace {

QSpinBox* NewValueField(QWidget* parent, const char* name, int value)
{
    auto* field = new QSpinBox(parent);
    field->setObjectName(name);
    field->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    field->setValue(value);
    return field;
}

QComboBox* NewUnitChoice(QWidget* parent, const char* name)
{
    auto* choice = new QComboBox(parent);
    choice->setObjectName(name);
    choice->addItems({"KB", "MB"});
    return choice;
}

QCheckBox* NewBoundBox(QWidget* parent, const char* name, const char* caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

TSizeBound ReadBoundControls(const QCheckBox* box, const QSpinBox* value, const QComboBox* unit)
{
    return {box->isChecked(), value->value(), unit->currentIndex() == 1 ? TSizeUnit::MB : TSizeUnit::KB};
}

void ShowBound(const TSizeBound& bound, QCheckBox* box, QSpinBox* value, QComboBox* unit)
{
    box->setChecked(bound.InForce);
    value->setValue(bound.Value);
    unit->setCurrentIndex(bound.Unit == TSizeUnit::MB ? 1 : 0);
}

} // namespace

TD_kreller_size::TD_kreller_size(QWidget* parent)
    : TD_kreller(parent)
{
    setWindowTitle("Kreller \"File Size\"");
    const TSizeCondition defaults;
    QWidget* area = ContentArea();
    CB_greater = NewBoundBox(area, "CB_greater", "File size must be greater than");
    SE_greater = NewValueField(area, "SE_greater", defaults.Lower.Value);
    CMB_greater = NewUnitChoice(area, "CMB_greater");
    CB_less = NewBoundBox(area, "CB_less", "File size must be less than");
    SE_less = NewValueField(area, "SE_less", defaults.Upper.Value);
    CMB_less = NewUnitChoice(area, "CMB_less");

    auto* grid = new QGridLayout(area);
    grid->addWidget(CB_greater, 0, 0);
    grid->addWidget(SE_greater, 0, 1);
    grid->addWidget(CMB_greater, 0, 2);
    grid->addWidget(CB_less, 1, 0);
    grid->addWidget(SE_less, 1, 1);
    grid->addWidget(CMB_less, 1, 2);
    LBL_warning = NewWarningLine(area, "LBL_warning");
    grid->addWidget(LBL_warning, 2, 0, 1, 3);
    grid->setRowStretch(3, 1);

    for (QCheckBox* box : {CB_greater, CB_less})
        connect(box, &QCheckBox::toggled, this, &TD_kreller_size::UpdateEnabling);
    for (QSpinBox* value : {SE_greater, SE_less})
        connect(value, &QSpinBox::valueChanged, this, &TD_kreller_size::UpdateEnabling);
    for (QComboBox* unit : {CMB_greater, CMB_less})
        connect(unit, &QComboBox::currentIndexChanged, this, &TD_kreller_size::UpdateEnabling);
    UpdateEnabling();
}

void TD_kreller_size::UpdateEnabling()
{
    EnableWithWindowColour(SE_greater, CB_greater->isChecked());
    EnableWithWindowColour(CMB_greater, CB_greater->isChecked());
    EnableWithWindowColour(SE_less, CB_less->isChecked());
    EnableWithWindowColour(CMB_less, CB_less->isChecked());
    ShowWarning(LBL_warning, ReadControls().MatchesNothing()
                                 ? "The lower bound is above the upper bound: no file can pass."
                                 : nullptr);
}

TSizeCondition TD_kreller_size::ReadControls() const
{
    return {ReadBoundControls(CB_greater, SE_greater, CMB_greater), ReadBoundControls(CB_less, SE_less, CMB_less)};
}

void TD_kreller_size::ShowInControls(const TSizeCondition& condition)
{
    ShowBound(condition.Lower, CB_greater, SE_greater, CMB_greater);
    ShowBound(condition.Upper, CB_less, SE_less, CMB_less);
}

void TD_kreller_size::LoadCondition(TConditionStrings* strings)
{
    TD_kreller::LoadCondition(strings);
    // A value that is not a number leaves its field as it is, so the controls are the fallback.
    condition_ = TSizeCondition::FromLines(ConditionLines(), ReadControls());
    ShowInControls(condition_);
}

void TD_kreller_size::StoreCondition()
{
    condition_ = ReadControls();
    if (condition_.HasBound()) {
        TConditionStrings lines = ConditionLines();
        condition_.UpdateLines(lines);
        SetCondition(kSizeDescription, std::move(lines));
    } else {
        SetCondition({}, {});
    }
    TD_kreller::StoreCondition();
}

bool TD_kreller_size::TestFile(const FileEntry& entry, const std::string&)
{
    return condition_.Test(entry.Size);
}

std::string TD_kreller_size::WhyRefused(const FileEntry& entry, const std::string&) const
{
    return condition_.WhyRefused(entry.Size);
}

void TD_kreller_size::ResetControls()
{
    CB_greater->setChecked(false);
    CB_less->setChecked(false);
}
