#include "EventWait.h"

#include "platform/Clock.h"
#include "platform/PumpingWait.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <cmath>

namespace EventWait {

namespace {
constexpr double TimerStep = 0.001;
}  // namespace

Sleeper::Sleeper()
{
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
}

void Sleeper::dropWhenIdle()
{
    dropPending_ = true;
    if (watchingIdle_)
        return;
    auto *dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher) {
        wake_.stop();
        return;
    }
    watchingIdle_ = true;
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &wake_, [this] {
        if (dropPending_) {
            dropPending_ = false;
            wake_.stop();
        }
    });
}

void Sleeper::once(double deadline)
{
    dropPending_ = false;
    const double now = platform::clock::monotonicSeconds();
    const double remaining = deadline - now;
    const platform::pumping::Scope pumping;
    if (remaining <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    // The timer counts whole milliseconds, so a wake may come up to one after the deadline. One
    // still set from an earlier pass that goes off no later than that is left running: it wakes
    // the loop in time, and the owner, woken sooner, sleeps again. (A clock moved forward by a
    // test finds the timer's moment passed, and sets it afresh.)
    if (!wake_.isActive() || wakeAt_ <= now || wakeAt_ > deadline + TimerStep) {
        const int milliseconds = static_cast<int>(std::ceil(remaining * 1000.0));
        wake_.start(milliseconds);
        wakeAt_ = now + milliseconds * TimerStep;
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void once(double deadline)
{
    Sleeper().once(deadline);
}

bool until(const std::function<bool()> &done, double deadline)
{
    Sleeper sleeper;
    while (!done()) {
        if (platform::clock::monotonicSeconds() >= deadline)
            return done();
        sleeper.once(deadline);
    }
    return true;
}

}  // namespace EventWait
