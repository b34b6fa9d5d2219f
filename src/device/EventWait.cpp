#include "EventWait.h"

#include "platform/Clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cmath>

namespace EventWait {

void once(double deadline)
{
    const double remaining = deadline - platform::clock::monotonicSeconds();
    if (remaining <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(static_cast<int>(std::ceil(remaining * 1000.0)));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

bool until(const std::function<bool()> &done, double deadline)
{
    while (!done()) {
        if (platform::clock::monotonicSeconds() >= deadline)
            return done();
        once(deadline);
    }
    return true;
}

}  // namespace EventWait
