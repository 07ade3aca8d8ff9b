#pragma once
#include "krellers/kreller_list.h"

#include <QIcon>
#include <QTreeWidget>
#include <array>

class QAction;
class QMenu;

// The main window's kreller list LV_krellers: one checkable row per kreller of the chain, caption
// and condition description in two columns. It shows a TKrellerList that the window owns and turns
// the user's clicks into its rules; the window builds the rows through it and listens to its signals.
class TKrellerListView : public QTreeWidget {
    Q_OBJECT
public:
    // The list must outlive the view.
    explicit TKrellerListView(TKrellerList& list, QWidget* parent = nullptr);

    TKrellerList& Krellers() { return list_; }

    // Building blocks of the window's BuildKrellerList; the view follows at once.
    TKrellerRow& AppendNativeRow(const std::string& caption, TChainKreller* kreller);
    TKrellerRow& AppendCustomRow(TNoxCrtr_ckreller* wrapper);
    void ClearKrellerList();

    // Shows the rows again after they were changed directly in Krellers().
    void Refresh();

    // The selected row, or none.
    TKrellerRow* SelectedRow();
    int SelectedIndex() const;

    // While a search runs the list and its commands are disabled and drawn in the button-face colour.
    void SetSearching(bool searching);

    // "Edit kreller", for the window's tool button SB_kreller.
    QAction* EditKrellerAction() const { return editKreller_; }
    // "Edit current kreller" of PopupMenu_krellers; the window may add it to its main menu as well.
    QAction* EditCurrentKrellerAction() const { return editCurrentKreller_; }
    QMenu* PopupMenu() const { return popupMenu_; }

public slots:
    // Applies the check rules to every row (a row without condition cannot stay checked), then
    // tells the window that the list changed.
    void LV_krellersClick();
    // Edits the selected row's condition.
    void a_edit_kreller();

signals:
    void RunRequested();
    void ContextCartridgesRequested();
    void CustomKrellersRequested();
    // Any change of rows, checks or selection; the window then updates its commands.
    void KrellersChanged();

protected:
    // Enter edits the selected row, as a double click does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildPopupMenu();
    QAction* AddPopupAction(QMenu* menu, const QString& text, const QString& objectName);
    void ShowRow(QTreeWidgetItem* item, const TKrellerRow& row);
    void LV_krellersChange(QTreeWidgetItem* item, int column);
    void UpdateOwnCommands();
    void ShowPopupMenu(const QPoint& position);

    TKrellerList& list_;
    std::array<QIcon, 4> images_; // indexed by TKrellerImage
    bool searching_ = false;
    bool showing_ = false; // set while rows are written into items, so that is not taken for a click

    QAction* editKreller_ = nullptr;
    QAction* editCurrentKreller_ = nullptr;
    QAction* run_ = nullptr;
    QMenu* popupMenu_ = nullptr;
};
