#pragma once
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <stdexcept>
#include <string>

// Acts on the modal dialog named name as soon as it is the active modal window. Unlike
// ClickInNextModal it waits for that very dialog, so it can drive a dialog opened from another one.
inline void OnNextModal(const QString& name, std::function<void(QDialog&)> action)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, name, action] {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!modal || modal->objectName() != name)
            return;
        poll->stop();
        poll->deleteLater();
        action(*modal);
    });
    poll->start();
}

template <typename T>
T& Named(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(name);
    if (!child)
        throw std::runtime_error(std::string("no control ") + name);
    return *child;
}
