#pragma once
#include "krellers/chain_kreller.h"
#include "krellers/condition_strings.h"
#include "krellers/kreller_services.h"
#include "platform/FileSystem.h"

#include <QDialog>
#include <functional>
#include <string>

class QLabel;
class QPushButton;
class QVBoxLayout;
class TNoxCrtr_ckreller;

// One filter stage of a search: a modal dialog that edits one condition, keeps it in text form and
// answers for a file whether it meets it.
//
// A native kreller derives from this class, puts its controls into ContentArea(), keeps its condition
// in a plain value, reaches the rest of the program only through Services(), and overrides LoadCondition (call the base first, then show the value in the
// controls), StoreCondition (read the controls back, rebuild the text with SetCondition, then call the
// base) and TestFile (ask the value). A plain TD_kreller with a plug-in attached forwards everything
// to the plug-in; without one it passes nothing.
class TD_kreller : public QDialog, public TChainKreller {
    Q_OBJECT
public:
    explicit TD_kreller(QWidget* parent = nullptr);

    // Takes the condition from a row's strings (may be none); they stay bound for StoreCondition.
    void LoadCondition(TConditionStrings* strings) override;
    // Writes Description and ConditionLines back into the bound strings.
    virtual void StoreCondition();
    // Runs the modal edit on a row's strings; true when the dialog was closed with "Ok" or "Reset".
    // A plug-in kreller lets the plug-in's own editor replace the strings and answers false.
    bool EditCondition(TConditionStrings& strings) override;
    // Does the file meet the condition last loaded.
    bool TestFile(const FileEntry& entry, const std::string& path) override;

    void ClearCondition();
    // Forgets the bound strings without touching them, for when their row goes away.
    void UnbindStrings() override { boundStrings_ = nullptr; }
    void AttachPlugin(TNoxCrtr_ckreller* wrapper);
    void DetachPlugin() override;
    bool IsPluginKreller() const override;
    bool PluginAcceptsFile(const std::string& path) const override;
    void ShowFileViaPlugin(const std::string& path, const TConditionStrings& strings) override;

    TNoxCrtr_ckreller* Plugin() const { return plugin_; }
    const std::string& Description() const { return description_; }
    const TConditionStrings& ConditionLines() const { return conditionLines_; }
    TConditionStrings* BoundStrings() const override { return boundStrings_; }
    bool Accepted() const { return accepted_; }
    bool ResetRequested() const { return resetRequested_; }

    // The program's services; the native kreller set hands them in when it creates the kreller.
    void SetServices(TKrellerServices services);
    const TKrellerServices& Services() const { return services_; }

protected:
    // Where a kreller puts its controls: the area left of the button column.
    QWidget* ContentArea() const { return content_; }
    // A kreller may hide "Reset" or enable "Ok" only for a complete condition.
    QPushButton* OkButton() const { return ok_; }
    QPushButton* ResetButton() const { return reset_; }
    // Adds "Help" (btn_help) to the button column; it opens topic through the help handler.
    void AddHelpButton(const std::string& topic);
    // Adds a button of the kreller's own to the button column, below those already there.
    QPushButton* AddColumnButton(const char* text, const char* objectName);

    void SetCondition(std::string description, TConditionStrings lines);

    // "Reset" calls this before the dialog closes: put the controls back to their defaults.
    virtual void ResetControls() {}
    // Called once the services are handed in, for a kreller whose controls are views of them.
    virtual void ServicesChanged() {}
    // F1 opens the kreller's help page, as "Help" does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void btn_okClick();
    void btn_resetClick();
    void ShowHelp(const std::string& topic) const;

    TNoxCrtr_ckreller* plugin_ = nullptr;
    std::string description_;
    TConditionStrings conditionLines_;
    TConditionStrings* boundStrings_ = nullptr;
    bool accepted_ = false;
    bool resetRequested_ = false;
    TKrellerServices services_;
    std::string helpTopic_;

    QWidget* content_ = nullptr;
    QVBoxLayout* buttonColumn_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* reset_ = nullptr;
};

// A red line of a kreller dialog that warns of a condition no file can meet; hidden at first.
QLabel* NewWarningLine(QWidget* parent, const char* objectName);
// Shows the warning, or hides the line when there is none.
void ShowWarning(QLabel* line, const char* warning);

// A push button of a kreller dialog that Enter does not press (Enter means "Ok").
QPushButton* NewDialogButton(QWidget* parent, const char* text, const char* objectName);

// Enables or disables a condition field and paints its background in the window colour when enabled,
// in the button-face colour when not, so an unused bound is visibly out of play.
void EnableWithWindowColour(QWidget* field, bool enabled);
