#include "krellers/kreller_date.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {

QDate ToQDate(const platform::CalendarDate& date)
{
    return QDate(date.Year, date.Month, date.Day);
}

platform::CalendarDate FromQDate(const QDate& date)
{
    return {date.year(), date.month(), date.day()};
}

QDateEdit* NewDateField(QWidget* parent, const char* name)
{
    auto* field = new QDateEdit(parent);
    field->setObjectName(name);
    field->setCalendarPopup(true);
    field->setDisplayFormat(QString::fromStdString(platform::ShortDateFormat()));
    return field;
}

QCheckBox* NewBoundBox(QWidget* parent, const char* name, const char* caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

TDateBound ReadBound(const QCheckBox* box, const QDateEdit* field)
{
    return {box->isChecked(), FromQDate(field->date())};
}

void ShowBound(const TDateBound& bound, QCheckBox* box, QDateEdit* field)
{
    box->setChecked(bound.InForce);
    field->setDate(ToQDate(bound.Date));
}

} // namespace

TD_kreller_date::TD_kreller_date(QWidget* parent)
    : TD_kreller(parent)
{
    setWindowTitle("Kreller \"File Date\"");
    QWidget* area = ContentArea();
    auto* caption = new QLabel("Pass the files that are", area);
    CB_file_action = new QComboBox(area);
    CB_file_action->setObjectName("CB_file_action");
    for (const TFileAction action : {TFileAction::Changed, TFileAction::Created, TFileAction::Opened})
        CB_file_action->addItem(FileActionText(action));
    CB_after = NewBoundBox(area, "CB_after", "after date");
    DTP_after = NewDateField(area, "DTP_after");
    CB_before = NewBoundBox(area, "CB_before", "before or at date");
    DTP_before = NewDateField(area, "DTP_before");

    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(CB_file_action, 0, 1);
    grid->addWidget(CB_after, 1, 0);
    grid->addWidget(DTP_after, 1, 1);
    grid->addWidget(CB_before, 2, 0);
    grid->addWidget(DTP_before, 2, 1);
    LBL_warning = NewWarningLine(area, "LBL_warning");
    grid->addWidget(LBL_warning, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
    AddHelpButton("kreller_date");

    connect(CB_file_action, &QComboBox::currentIndexChanged, this, &TD_kreller_date::UpdateControls);
    connect(CB_after, &QCheckBox::toggled, this, &TD_kreller_date::UpdateControls);
    connect(CB_before, &QCheckBox::toggled, this, &TD_kreller_date::UpdateControls);
    for (QDateEdit* field : {DTP_after, DTP_before})
        connect(field, &QDateEdit::dateChanged, this, &TD_kreller_date::UpdateControls);
    ResetControls();
}

void TD_kreller_date::ShowInControls(const TDateCondition& condition)
{
    CB_file_action->setCurrentIndex(condition.Action ? static_cast<int>(*condition.Action) : -1);
    ShowBound(condition.After, CB_after, DTP_after);
    ShowBound(condition.Before, CB_before, DTP_before);
    UpdateControls();
}

TDateCondition TD_kreller_date::ReadControls() const
{
    TDateCondition condition;
    const int action = CB_file_action->currentIndex();
    if (action >= 0)
        condition.Action = static_cast<TFileAction>(action);
    condition.After = ReadBound(CB_after, DTP_after);
    condition.Before = ReadBound(CB_before, DTP_before);
    return condition;
}

void TD_kreller_date::UpdateControls()
{
    EnableWithWindowColour(DTP_after, CB_after->isChecked());
    EnableWithWindowColour(DTP_before, CB_before->isChecked());
    const TDateCondition shown = ReadControls();
    OkButton()->setEnabled(shown.IsComplete());
    ShowWarning(LBL_warning, shown.MatchesNothing()
                                 ? "The \"after\" date is later than the \"before\" date: no file can pass."
                                 : nullptr);
}

void TD_kreller_date::LoadCondition(TConditionStrings* strings)
{
    TD_kreller::LoadCondition(strings);
    // A date that cannot be read leaves its field as it is, so the controls are the fallback.
    condition_ = TDateCondition::FromLines(ConditionLines(), ReadControls());
    ShowInControls(condition_);
}

void TD_kreller_date::StoreCondition()
{
    const TDateCondition shown = ReadControls();
    // Without an action there is nothing to store, and the row keeps what it had.
    if (!shown.Action)
        return;
    condition_ = shown;
    SetCondition(condition_.Description(), condition_.Lines());
    TD_kreller::StoreCondition();
}

bool TD_kreller_date::TestFile(const FileEntry& entry, const std::string&)
{
    return condition_.Test(entry);
}

std::string TD_kreller_date::WhyRefused(const FileEntry& entry, const std::string&) const
{
    return condition_.WhyRefused(entry);
}

void TD_kreller_date::ResetControls()
{
    ShowInControls(TDateCondition::Defaults(platform::Today()));
}

void TD_kreller_date::showEvent(QShowEvent* event)
{
    TD_kreller::showEvent(event);
    UpdateControls();
}
