#pragma once
#include "krellers/kreller.h"
#include "krellers/mask_condition.h"
#include "tagged/file_groups.h"

class QButtonGroup;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class TD_file_group_exts;
class TO_file_groups;

// The File mask kreller: passes files by a name and an extension mask, or by the program's file
// groups combined with a name mask. Its group list is a view of the one shared list of file groups.
class TD_kreller_mask : public TD_kreller {
    Q_OBJECT
public:
    explicit TD_kreller_mask(QWidget* parent = nullptr);

    void LoadCondition(TConditionStrings* strings) override;
    void StoreCondition() override;
    bool TestFile(const FileEntry& entry, const std::string& path) override;
    bool JudgesEntryAlone() const override { return !Plugin(); }
    bool NeedsFileFacts() const override { return Plugin() != nullptr; }
    std::string WhyRefused(const FileEntry& entry, const std::string& path) const override;

    const TMaskCondition& Condition() const { return condition_; }
    // What the controls show now, as a condition.
    TMaskCondition ShownCondition() const;

protected:
    void ResetControls() override;
    void ServicesChanged() override;
    void showEvent(QShowEvent* event) override;

private:
    TFileGroups& Groups();
    std::string LastExtensionMask() const;
    TMaskMode SelectedMode() const;
    void SelectMode(TMaskMode mode);
    void LayOutForMode();
    void ShrinkToContents();
    void ShowChecks(const std::vector<std::string>& checkedGroups);
    std::vector<std::string> ChecksShownInList() const;
    void UpdateMaskError();
    void btn_del_groupClick();

    TMaskCondition condition_;
    TMaskTester tester_;
    // The groups when the program hands in no settings (a kreller on its own, as in tests).
    TFileGroups ownGroups_;
    // The checks while the list shows no check boxes (mode 0), so a mode switch keeps them.
    std::vector<std::string> hiddenChecks_;

    QLineEdit* Edit_filename = nullptr;
    QLineEdit* Edit_fileext = nullptr;
    QFrame* Shape_fileext = nullptr;
    QLabel* LBL_mask_error = nullptr;
    QButtonGroup* RG1 = nullptr;
    TO_file_groups* O_fg1 = nullptr;
    QWidget* groupPanel_ = nullptr;
    TD_file_group_exts* groupEditor_ = nullptr;
};
