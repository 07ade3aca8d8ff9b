#pragma once
#include <QObject>
#include <QString>

class QAbstractItemView;

namespace platform {

// An item view without rows shows nothing but white. This paints a line of text in the empty view
// that says why it is empty or how to fill it. It belongs to the view and is gone with it.
class TEmptyViewHint : public QObject {
public:
    TEmptyViewHint(QAbstractItemView* view, const QString& text);

    const QString& Text() const { return text_; }
    // Whether the view has no rows, so that the hint is painted.
    bool Showing() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView* LiveView() const;
    void Paint();

    QObject* view_;
    QWidget* viewport_;
    QString text_;
};

} // namespace platform
