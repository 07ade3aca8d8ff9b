#pragma once
#include "plugins/plugin_host.h"
#include "settings_ui/file_groups.h"

#include <QDialog>
#include <memory>
#include <string>

class QCheckBox;
class QLabel;

// The loaded plug-ins of one kind, as the plug-in host holds them: one row per plug-in (display
// name, library file name), in the order they were loaded. The rows only refer to the wrappers.
class TO_crtrs : public TO_selected_list {
    Q_OBJECT
public:
    explicit TO_crtrs(QWidget* parent = nullptr);

    // The wrapper of the row at index, or nullptr.
    TListedCrtr* CrtrItemAt(int index) const;
    // CallSetUp on the selected plug-in, if any; a failing plug-in is ignored.
    void SetUpSelected();
    // Shows the host's plug-ins of the list's kind.
    virtual void ShowPlugins(const TPluginHost& host) = 0;

protected:
    // Enter in the list acts like a double click and goes no further (it must not close a dialog).
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Shows the plug-ins, one row each.
    template <class TLoaded>
    void ShowCrtrs(const std::vector<TLoaded>& loaded)
    {
        ClearItems();
        for (const TLoaded& crtr : loaded)
            AddCrtr(crtr.Name, crtr.FileName, crtr.Crtr.get());
    }
    void AddCrtr(const std::string& name, const std::string& fileName, TListedCrtr* crtr);
    // The name column under its caption and the library file column.
    void SetCrtrColumns(const QString& nameCaption);
};

// Context cartridges: "Cartridge name", library file.
class TO_crtrs_context : public TO_crtrs {
    Q_OBJECT
public:
    explicit TO_crtrs_context(QWidget* parent = nullptr);
    void ShowPlugins(const TPluginHost& host) override;
};

// Custom krellers: "Custom kreller name", library file.
class TO_crtrs_ckreller : public TO_crtrs {
    Q_OBJECT
public:
    explicit TO_crtrs_ckreller(QWidget* parent = nullptr);
    void ShowPlugins(const TPluginHost& host) override;
    // The custom kreller of the row at index, or nullptr.
    TNoxCrtr_ckreller* CrtrAt(int index) const;
};

// The texts that tell the user how to install and remove one kind of plug-in.
struct TAboutCrtrTexts {
    const char* Caption;
    const char* Heading;
    const char* AddTitle;
    const char* AddSteps[3];
    const char* RemoveTitle;
    const char* RemoveSteps[3];
    const char* LinkTitle;
};

// "Cartridges": how to add and remove context cartridges, with "Close the program now".
class TFabout_crtr : public QDialog {
    Q_OBJECT
public:
    explicit TFabout_crtr(QWidget* parent = nullptr);

    // Shows the dialog modally; afterwards CloseRequested tells whether "Close the program now"
    // was ticked.
    void Execute();
    // The web page about further plug-ins that the link opens; no link without one.
    void SetLinkAddress(const std::string& address);
    // The full paths of the folders the plug-ins are loaded from, in order.
    void SetFolders(const std::vector<std::string>& folders);

    bool CloseRequested = false;
    QCheckBox* CB_close = nullptr;

protected:
    TFabout_crtr(const TAboutCrtrTexts& texts, QWidget* parent);

private:
    void BuildControls(const TAboutCrtrTexts& texts);
    void CentreOnScreen();

    QLabel* Label_link = nullptr;
    QLabel* Label_folders = nullptr;
};

// "Custom krellers": the same for custom krellers.
class TFabout_ckrellers : public TFabout_crtr {
    Q_OBJECT
public:
    explicit TFabout_ckrellers(QWidget* parent = nullptr);
};
