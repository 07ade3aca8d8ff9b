#pragma once
#include <QWidget>

class QAbstractScrollArea;

namespace platform {

// The object name of the frame, which the list holds as a child widget.
inline constexpr char FocusFrameName[] = "FocusFrame";

// Some styles show a list's keyboard focus only on its current row, and not at all when the row is
// selected or the list is empty. This frame, laid over the list's edge, is drawn in the highlight
// colour while the list has the focus. It belongs to the list and is gone with it.
class TFocusFrame : public QWidget {
public:
    explicit TFocusFrame(QAbstractScrollArea* area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* area_;  // as a widget: its events still come while it is being destroyed
};

// Gives area a focus frame unless it has one.
void ShowFocusFrame(QAbstractScrollArea* area);

} // namespace platform
