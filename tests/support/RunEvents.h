#pragma once
// Lets the event loop run until a condition holds, for a bounded time.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

// Runs events until done says so or limitMs have passed; whether done holds at the end.
inline bool RunEventsUntil(const std::function<bool()>& done, int limitMs = 2000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}
