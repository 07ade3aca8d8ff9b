#pragma once
#include <QApplication>
#include <string>

class QWidget;

// Shows an error with its own text in the program's critical message box over parent.
void ShowErrorMessage(QWidget* parent, const std::string& text);

// The application object. Every user action arrives as an event, so an error that escapes the
// command it started ends here: it is shown with its own text and the program goes on. Commands
// therefore need no catch of their own unless they have something to put right.
class TFApplication : public QApplication {
    Q_OBJECT
public:
    TFApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
