#pragma once
#include "krellers/context_ahead.h"
#include "krellers/context_condition.h"
#include "krellers/context_engine.h"
#include "krellers/kreller.h"

#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QTabWidget;
class QToolButton;
class TOadvCloud;

// The Context kreller: passes files by their text. Its condition is a diagram of keyword clouds
// and pins; every file's text (a cartridge's, or the file's bytes) is judged by the expression the
// diagram generates.
class TD_kreller_context : public TD_kreller {
    Q_OBJECT
public:
    explicit TD_kreller_context(QWidget* parent = nullptr);

    // Shows the row's diagram and keeps its expression. A diagram that does not parse raises the
    // tagged document's error and leaves no expression, so no file passes until a good one loads.
    void LoadCondition(TConditionStrings* strings) override;
    // Writes the diagram into the row only when it is complete; otherwise the row has no condition.
    void StoreCondition() override;
    bool TestFile(const FileEntry& entry, const std::string& path) override;
    bool NeedsFileFacts() const override { return Plugin() != nullptr; }
    TTextLimit LastTextLimit() const override { return lastTextLimit_; }

    // Files are read and searched ahead on workers when the condition is one of keywords alone
    // and no cartridge is loaded: a cartridge's text comes from a plug-in, which is asked on this
    // thread only, and which file it takes is its to say.
    bool BeginReadingAhead() override;
    bool ReadAhead(std::vector<platform::TListedFile> files) override;
    void EndReadingAhead() override;
    // Threads that read ahead; none reads nothing ahead.
    unsigned AheadWorkers = DefaultAheadWorkers();
    // What the workers did in the last run that read ahead.
    const TAheadCounts& LastAheadCounts() const { return lastAheadCounts_; }
    // One more than there are cores: reading a file partly waits for the disk.
    static unsigned DefaultAheadWorkers();

    // "Add" when a keyword is typed, "Remove" when a cloud is current.
    virtual void UpdateActions();
    void AddKeyword();
    void AfterDiagramChange();

    const std::string& Expression() const { return expression_; }
    const TCloudPlacement& Placement() const { return placement_; }
    const TContextEngine& Engine() const { return engine_; }
    TOadvCloud* Clouds() const { return OClouds1; }
    // The user agreed in the settings opened from here to close the program.
    bool CloseRequested = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void BuildPage();
    void SB_del_condClick();
    void btn_cartridgesClick();
    // The first cartridge of the loaded plug-ins that accepts a file makes its text.
    TCartridgeText CartridgeText() const;
    bool CartridgesLoaded() const;
    // The answer of the workers for the file, when they have one; else nothing.
    std::optional<bool> AnswerReadAhead(const std::string& path);

    TContextEngine engine_;
    std::string expression_;
    TCloudPlacement placement_;
    TTextLimit lastTextLimit_ = TTextLimit::None;
    std::unique_ptr<TContextAhead> ahead_;
    TAheadCounts lastAheadCounts_;

    QTabWidget* PageControl1;
    QLineEdit* Edit_kw;
    QToolButton* SB_add_condition;
    QToolButton* SB_del_cond;
    QLabel* LBL_warning = nullptr;  // no cloud: no condition
    TOadvCloud* OClouds1;
};
