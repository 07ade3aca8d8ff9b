#pragma once
#include <QDialog>
#include <string>

class QLabel;

// The framed, word-wrapped text that the message and confirmation dialogs show.
QLabel* NewFramedText(QWidget* parent);
// Puts text into a framed text. Its lines keep to one row each as far as two thirds of the screen's
// width allow: a summary of counts reads badly when its lines break in the middle.
void SetFramedText(QLabel* framed, const QString& text);

// The message dialog "Message:": a framed, word-wrapped text and "OK".
class TDmsg : public QDialog {
    Q_OBJECT
public:
    explicit TDmsg(QWidget* parent = nullptr);
    // Shows text modally until "OK".
    void Inform(const std::string& text);
    QString Text() const;

private:
    QLabel* text_;
};
