#include "Clock.h"

#include <QElapsedTimer>
#include <QTime>
#include <cmath>

namespace platform::clock {
namespace {
double offset = 0.0;

const QElapsedTimer &startedTimer()
{
    static const QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}
}  // namespace

double monotonicSeconds()
{
    return static_cast<double>(startedTimer().nsecsElapsed()) / 1e9 + offset;
}

double secondsSinceMidnight()
{
    // The offset may carry the clock past midnight, where it starts again from 0.
    constexpr double Day = 86400.0;
    const double seconds = std::fmod(QTime::currentTime().msecsSinceStartOfDay() / 1000.0 + offset, Day);
    return seconds < 0 ? seconds + Day : seconds;
}

void setTestOffset(double seconds)
{
    offset = seconds;
}

double testOffset()
{
    return offset;
}

}  // namespace platform::clock
