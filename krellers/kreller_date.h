#pragma once
#include "krellers/date_condition.h"
#include "krellers/kreller.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;

// The File date kreller: passes files by the date of one of their time stamps against an optional
// "after" and an optional "before or at" day.
class TD_kreller_date : public TD_kreller {
    Q_OBJECT
public:
    explicit TD_kreller_date(QWidget* parent = nullptr);

    void LoadCondition(TConditionStrings* strings) override;
    void StoreCondition() override;
    bool TestFile(const FileEntry& entry, const std::string& path) override;
    bool JudgesEntryAlone() const override { return !Plugin(); }
    std::string WhyRefused(const FileEntry& entry, const std::string& path) const override;

    const TDateCondition& Condition() const { return condition_; }

protected:
    void ResetControls() override;
    void showEvent(QShowEvent* event) override;

private:
    void ShowInControls(const TDateCondition& condition);
    TDateCondition ReadControls() const;
    void UpdateControls();

    TDateCondition condition_;

    QComboBox* CB_file_action = nullptr;
    QCheckBox* CB_after = nullptr;
    QDateEdit* DTP_after = nullptr;
    QCheckBox* CB_before = nullptr;
    QDateEdit* DTP_before = nullptr;
    QLabel* LBL_warning = nullptr;  // a condition no date meets
};
