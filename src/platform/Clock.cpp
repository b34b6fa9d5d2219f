#include "Clock.h"

#include <QElapsedTimer>
#include <QTime>

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
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0 + offset;
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
