#pragma once
#include "conditions/CloudDiagram.h"
#include "conditions/DiagramMouse.h"

#include <QFrame>

#include <functional>
#include <string>

class QAction;
class QMenu;
class QPushButton;
class QScrollArea;
class QTimer;
class TFLCEdit;

// A yes/no question to the user; true for "Yes".
using TAskFunction = std::function<bool(const std::string& question)>;
// Opens the help page of a topic.
using THelpFunction = std::function<void(const std::string& topic)>;

// The clouds editor: draws a diagram of keyword clouds and pins and edits it with the mouse, the
// Delete key, Enter or Space, and a popup menu. The diagram (the model) lives here; the frame
// only shows it and turns the user's actions into calls on it.
class TOclouds : public QFrame {
    Q_OBJECT
public:
    explicit TOclouds(QWidget* parent = nullptr);
    ~TOclouds() override;

    TCloudDiagram& Diagram() { return diagram_; }
    const TCloudDiagram& Diagram() const { return diagram_; }

    // The questions of Clear and Delete; without one, nothing is cleared or deleted.
    void SetAsk(TAskFunction ask) { ask_ = std::move(ask); }
    // The help of the "Selected condition" dialog.
    void SetHelpOpener(THelpFunction open);

    // Called after a drag of a cloud ended; does nothing here.
    virtual void DiagramChanged() {}
    // Starts an empty diagram; the editor then paints and takes the mouse.
    virtual void Activate();
    virtual void Deactivate();
    // Opens "Selected condition" on the current cloud, if there is one.
    virtual void EditCurrentCloud();

    // "Clear all conditions?"; on yes the diagram is emptied.
    void ClearDiagram();
    // "Delete current condition?"; on yes the current cloud is deleted.
    void DeleteSelectedCloud();

    bool HatchPins() const { return mouse_.HatchPins(); }
    const TNOXlc* DragCloud() const { return mouse_.DragCloud(); }
    // The "Selected condition" dialog, created on first use and kept.
    TFLCEdit* EditDialog();

signals:
    // The popup menu's Clear or "Delete selected condition" has run, whatever the answer was.
    void PopupCommandDone();

public:
    // Room for a few clouds: the diagram keeps it when the lines around it come and go, so a
    // dialog that takes its contents' size does not squeeze it to a strip.
    QSize sizeHint() const override { return {470, 330}; }
    QSize minimumSizeHint() const override { return {240, 160}; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPanel();
    void BuildMenu();
    void ShowDiagramChange(TDiagramChange change);
    void FitPaintBox();
    bool PaintBoxEvent(QEvent* event);
    bool FocusTargetEvent(QEvent* event);
    void PopupAt(const QPoint& globalPosition);
    void TakeFocus();
    void PaintPanel();

    TCloudDiagram diagram_;
    TDiagramMouse mouse_{diagram_};
    TAskFunction ask_;
    THelpFunction help_;
    TFLCEdit* editDialog_ = nullptr;

    QFrame* Panel1;
    QScrollArea* SB1;
    QWidget* PB1;
    QPushButton* btnTarget;
    QMenu* PM1;
    QAction* N_Clear;
    QAction* N_Edit;
    QAction* N_Delete;
    QTimer* Timer1;
};
