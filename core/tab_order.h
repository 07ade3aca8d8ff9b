#pragma once
#include <QObject>
#include <vector>

class QWidget;

// The controls of `window` that Tab visits, in the order its layouts place them: each layout's
// items in turn (grid and form layouts row by row), nested layouts and panels where they sit,
// every page of a tab widget after its tab bar.
std::vector<QWidget*> ControlsInLayoutOrder(QWidget* window);

// Makes Tab follow the layout instead of the order in which the controls were created.
void SetTabOrderFromLayout(QWidget* window);

// Sets every window's tab order from its layout when the window is shown; installed once on the
// application, so each dialog, including those added later, follows its own layout.
class TLayoutTabOrder : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
