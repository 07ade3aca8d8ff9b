#pragma once
#include <QWidget>
#include <vector>

class QMenu;
class QToolButton;

// A row of tool buttons that keeps every command reachable at any width: the buttons that do not
// fit are hidden and offered, in their order, by the menu of a "»" button; the button pinned to
// the right edge stays there.
class TCommandRow : public QWidget {
    Q_OBJECT
public:
    explicit TCommandRow(QWidget* parent = nullptr);

    void AddButton(QToolButton* button);
    void PinRight(QToolButton* button);
    QToolButton* OverflowButton() const { return SB_more_; }
    std::vector<QToolButton*> OverflowedButtons() const;  // the buttons the menu offers now
    // Every button in the order it stands in the row, left to right.
    std::vector<QWidget*> ButtonsInRowOrder() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Arrange();
    void FillOverflowMenu();
    int RowHeight() const;

    std::vector<QToolButton*> buttons_;
    QToolButton* pinned_ = nullptr;
    QToolButton* SB_more_;
    QMenu* overflowMenu_;
};
