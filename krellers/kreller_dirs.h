#pragma once
#include "krellers/dirs_condition.h"
#include "krellers/kreller.h"

class QListWidget;
class QPushButton;

// The Directories kreller: directories the walk does not enter. It is asked about every
// subdirectory the walk meets, never about a start path, and is given no "Reset".
class TD_kreller_dirs : public TD_kreller {
    Q_OBJECT
public:
    explicit TD_kreller_dirs(QWidget* parent = nullptr);

    void LoadCondition(TConditionStrings* strings) override;
    void StoreCondition() override;
    // path is a subdirectory's full path; it passes unless it is listed.
    bool TestFile(const FileEntry& entry, const std::string& path) override;
    bool NeedsFileFacts() const override { return Plugin() != nullptr; }
    bool JudgesEntryAlone() const override { return !Plugin(); }

    const TDirsCondition& Condition() const { return condition_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowList(const TDirsCondition& list, int selected = -1);
    void UpdateButtons();
    void btn_addClick();
    void btn_deleteClick();
    void btn_load_defaultClick();
    void btn_saveClick();
    void btn_clearClick();

    TDirsCondition condition_;  // what TestFile asks: the condition loaded last
    TDirsCondition edited_;     // what the list shows while the dialog is open

    QListWidget* LB_dirs = nullptr;
    QPushButton* btn_delete = nullptr;
    QPushButton* btn_save = nullptr;
    QPushButton* btn_clear = nullptr;
};
