#pragma once
#include "core/find_direction.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;

// The program's small non-modal find dialog "Find": a text, "Find Next", an optional direction
// choice (Up / Down, Down preset) and "Cancel". It only reports; its owner does the finding.
class TD_find : public QDialog {
    Q_OBJECT
public:
    explicit TD_find(QWidget* parent = nullptr);

    // Whether the Up / Down choice is shown; without it every search goes downwards.
    void SetDirectionOffered(bool offered);
    // Shows the dialog without blocking, in front, with its text ready for typing.
    void ShowNonModal();

    QString Text() const;
    FindDirection Direction() const;
    // A line under the text telling how the last search went (e.g. that it went round the end);
    // it goes when the next search starts or the text changes.
    void ShowNote(const QString& note);
    QString Note() const;

signals:
    void FindNext(const QString& text, FindDirection direction);

protected:
    // F3 finds the next one from here too.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void btn_find_nextClick();
    void UpdateFindNextEnabled();

    QLineEdit* Edit_find_;
    QLabel* Label_note_;
    QPushButton* btn_find_next_;
    QPushButton* btn_cancel_;
    QGroupBox* RG_direction_;
    QRadioButton* RB_up_;
    QRadioButton* RB_down_;
};
