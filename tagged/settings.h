#pragma once
#include "tagged/settings_store.h"

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QTabWidget;
class QWidget;

// The settings dialog base and owner of the settings store: created once at program start, it
// loads the settings file; "Ok" and destruction write it back. Other modules read and write
// settings through Store(), never through the dialog's controls.
class TD_settings : public QDialog {
    Q_OBJECT

public:
    // The running program's settings.
    explicit TD_settings(QWidget* parent = nullptr);
    // The settings file at place (tests put it into a temporary directory).
    explicit TD_settings(const TSettingsPlace& place, QWidget* parent = nullptr);
    // Writes the settings file.
    ~TD_settings() override;

    TSettingsStore& Store() { return store_; }
    TNoxPigger& Document() { return store_.Document(); }
    const std::string& SettingsFileName() const { return store_.FileName(); }

    // Replaces the document by the settings file. A file that cannot be read or parsed is kept
    // beside it under a dated name (KeepDamagedCopy); then, as for a missing file, the defaults are
    // written at once.
    void LoadSettings();
    // Writes the document to the settings file; false (and the old file untouched) when that fails.
    bool SaveSettings();

    // parent's first child of that name, created as its last child when there is none;
    // nullptr when parent is nullptr.
    virtual TNoxPigger* GetNode(TNoxPigger* parent, const std::string& name);
    // The VAL attributes of the children of the list element name (created when missing), in
    // order. Nothing happens, strings included, when the trimmed name is empty.
    void ReadList(std::vector<std::string>& strings, const std::string& name);
    // Replaces the children of the list element name by one LIST_ITEM per string, holding it in
    // VAL. Nothing happens when the trimmed name is empty.
    void WriteList(const std::vector<std::string>& strings, const std::string& name);

protected:
    // For derived dialogs: the virtual hooks below only reach the derived class once its
    // constructor runs, so it constructs the base with DeferredLoad and calls LoadAtCreation at
    // the end of its own constructor.
    struct TDeferredLoad {};
    static constexpr TDeferredLoad DeferredLoad{};
    TD_settings(const TSettingsPlace& place, TDeferredLoad, QWidget* parent);
    // LoadSettings, then AfterLoad.
    void LoadAtCreation();

    // Runs once the document has been loaded.
    virtual void AfterLoad();
    // The document as it is when there is no settings file: an empty root named SETTINGS.
    virtual void SetDefaults();

    // The page control, for derived dialogs to add their pages to.
    QTabWidget* PageControl() const { return PC_settings; }
    // The base's one page, "main".
    QWidget* MainPage() const { return TS_main; }

    // Shows where the settings are kept, as things stand now.
    void showEvent(QShowEvent* event) override;

    // "Ok": the dialog's values go into the store first, so the file written holds all of them.
    virtual void StoreControls() {}

private slots:
    void btn_okClick();

private:
    void BuildControls();
    // The settings file's place, or why changes cannot be saved, under the pages.
    void ShowSettingsPlace();

    TSettingsStore store_;
    QLabel* L_settings_file = nullptr;
    QTabWidget* PC_settings = nullptr;
    QWidget* TS_main = nullptr;
};
