#pragma once
#include <QAbstractButton>
#include <QPointer>
#include <QApplication>
#include <QTimer>
#include <QWidget>

// Clicks a button of the next modal dialog once it is up, so a test can drive a dialog that
// blocks in exec(). The button is found by object name. Gives the polling timer: a test that
// expects no dialog deletes it at its end, or it would answer the next test's first dialog.
inline QPointer<QTimer> ClickInNextModal(const QString& buttonName, std::function<void(QWidget*)> before = {})
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, buttonName, before] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        poll->stop();
        poll->deleteLater();
        if (before)
            before(modal);
        if (auto* button = modal->findChild<QAbstractButton*>(buttonName))
            button->click();
    });
    poll->start();
    return poll;
}
