#pragma once
#include "conditions/CloudDiagram.h"

#include <QDialog>

#include <cstdint>

#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

// The radii the dialog accepts; other values are shown as out of range and change nothing.
inline constexpr int kMinEditRadius = 20;
inline constexpr int kMaxEditRadius = 100;

// The modal dialog "Selected condition": edits one cloud's caption, radius, caption position and
// body. While it is shown its controls act on the cloud at once, so the diagram behind follows.
class TFLCEdit : public QDialog {
    Q_OBJECT
public:
    explicit TFLCEdit(QWidget* parent = nullptr);

    // Called after every change of the cloud, so that its owner can keep it in place and repaint.
    std::function<void(TNOXlc&)> OnCloudChanged;
    // Opens the help topic "cond_edit".
    void SetHelpOpener(std::function<void(const std::string&)> open) { help_ = std::move(open); }

    // Shows the dialog on the cloud; however it closes, the cloud keeps the body shown in it.
    void EditCloud(TNOXlc* cloud);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildView();
    void BuildBody();
    void BuildButtons();
    void Fill();
    void CloudChanged();
    void PlaceCaptionPreview();
    void Edit1Change();
    void SE1Change(int radius);
    static bool RadiusInRange(std::int64_t radius);
    void ShowRadiusInRange(bool inRange);
    void MoveCaption(int dx, int dy);
    void CB_editClick();
    void btn_closeClick();
    bool CaptionPreviewMouse(QEvent* event);
    void DropCaption(const QPoint& globalPosition);

    TNOXlc* cloud_ = nullptr;
    std::function<void(const std::string&)> help_;
    QPoint grab_;        // where the caption preview was grabbed, within it
    bool dragging_ = false;

    QWidget* GB_view;
    QLineEdit* Edit1;
    QWidget* Shape1;
    QLabel* LabelC;
    QSpinBox* SE1;
    QLabel* Label_OOR;
    QLabel* Label_range;  // the radii taken, shown with the warning
    QToolButton* SBup;
    QToolButton* SBl;
    QToolButton* SBdn;
    QToolButton* SBr;
    QCheckBox* CB_edit;
    QPlainTextEdit* Edit_body;
    QPushButton* btn_help;
    QPushButton* btn_close;
};
