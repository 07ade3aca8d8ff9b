#pragma once
#include "plugins/crtr_ckreller.h"
#include "settings_ui/file_groups.h"

#include <QDialog>
#include <memory>
#include <string>

class QCheckBox;
class QLabel;

// What a plug-in list needs of the wrapper of a loaded plug-in library. The plug-in host's
// wrappers implement it; the list owns the wrappers it shows.
class TListedCrtr {
public:
    virtual ~TListedCrtr() = default;
    // SET_UP: the plug-in shows its own settings. The answer is of no interest to the list.
    virtual std::string CallSetUp() = 0;
    // The shutdown handshake and release of the library.
    virtual bool UnloadDll() = 0;
};

// A loaded custom kreller: listed like any plug-in, and used by the kreller framework.
class TListedCkreller : public TListedCrtr, public TNoxCrtr_ckreller {};

// The loaded plug-ins of one kind: one row per plug-in (display name, library file name), in the
// order they were loaded.
class TO_crtrs : public TO_selected_list {
    Q_OBJECT
public:
    explicit TO_crtrs(QWidget* parent = nullptr);

    // The wrapper of the row at index, or nullptr.
    TListedCrtr* CrtrItemAt(int index) const;
    // CallSetUp on the selected plug-in, if any; a failing plug-in is ignored.
    void SetUpSelected();
    // UnloadDll on every plug-in, first to last; rows and wrappers stay.
    void UnloadAll();

protected:
    // Enter in the list acts like a double click and goes no further (it must not close a dialog).
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Appends a row that owns crtr.
    void AddCrtr(const std::string& name, const std::string& fileName, std::unique_ptr<TListedCrtr> crtr);
};

// Context cartridges: "Cartridge name", library file.
class TO_crtrs_context : public TO_crtrs {
    Q_OBJECT
public:
    explicit TO_crtrs_context(QWidget* parent = nullptr);
    void AddCartridge(const std::string& name, const std::string& fileName, std::unique_ptr<TListedCrtr> crtr);
};

// Custom krellers: "Custom kreller name", library file.
class TO_crtrs_ckreller : public TO_crtrs {
    Q_OBJECT
public:
    explicit TO_crtrs_ckreller(QWidget* parent = nullptr);
    void AddKreller(const std::string& name, const std::string& fileName, std::unique_ptr<TListedCkreller> crtr);
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

    bool CloseRequested = false;
    QCheckBox* CB_close = nullptr;

protected:
    TFabout_crtr(const TAboutCrtrTexts& texts, QWidget* parent);

private:
    void BuildControls(const TAboutCrtrTexts& texts);
    void CentreOnScreen();

    QLabel* Label_link = nullptr;
};

// "Custom krellers": the same for custom krellers.
class TFabout_ckrellers : public TFabout_crtr {
    Q_OBJECT
public:
    explicit TFabout_ckrellers(QWidget* parent = nullptr);
};
