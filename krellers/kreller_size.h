#pragma once
#include "krellers/kreller.h"
#include "krellers/size_condition.h"

#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

// The File size kreller: passes files whose size lies within the bounds in force.
class TD_kreller_size : public TD_kreller {
    Q_OBJECT
public:
    explicit TD_kreller_size(QWidget* parent = nullptr);

    void LoadCondition(TConditionStrings* strings) override;
    void StoreCondition() override;
    bool TestFile(const FileEntry& entry, const std::string& path) override;
    bool JudgesEntryAlone() const override { return !Plugin(); }
    std::string WhyRefused(const FileEntry& entry, const std::string& path) const override;

    const TSizeCondition& Condition() const { return condition_; }

protected:
    void ResetControls() override;

private:
    void ShowInControls(const TSizeCondition& condition);
    TSizeCondition ReadControls() const;
    void UpdateEnabling();

    TSizeCondition condition_;

    QCheckBox* CB_greater;
    QSpinBox* SE_greater;
    QComboBox* CMB_greater;
    QCheckBox* CB_less;
    QSpinBox* SE_less;
    QComboBox* CMB_less;
    QLabel* LBL_warning;  // a condition no size meets
};
