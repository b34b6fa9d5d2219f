#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <functional>

// Runs the event loop (the stand-in lives on it) until done() holds or ms pass; it sleeps
// between events and a timer wakes it at the deadline.
inline bool waitFor(const std::function<bool()> &done, int ms)
{
    const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (!done()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return false;
        // Re-armed every pass: a timer that fired a little early must not leave the loop asleep.
        wake.start(static_cast<int>(left));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Lets the event loop run for ms, for checks that nothing arrives.
inline void settle(int ms)
{
    waitFor([] { return false; }, ms);
}
