#pragma once
#include <QDialog>
#include <string>

class QLabel;

// The framed, word-wrapped text that the message and confirmation dialogs show.
QLabel* NewFramedText(QWidget* parent);

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
