#include "Clock.h"

#include <QElapsedTimer>
#include <cmath>
#include <ctime>

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

// The whole seconds since local midnight at a second of the system clock. The zone is taken as
// the C library last read it: looking at the zone file again on every stamp would cost more than
// the stamp (Qt's own date and time calls have it read again). Stamps come many to a second: the
// answer is kept for the rest of the second, unless the zone read meanwhile is another.
int localSecondOfDay(time_t second)
{
    thread_local time_t cachedSecond = -1;
    thread_local long cachedZone = 0;
    thread_local int cachedAnswer = 0;
    if (second != cachedSecond || timezone != cachedZone) {
        tm local{};
        ::localtime_r(&second, &local);
        cachedSecond = second;
        cachedZone = timezone;
        cachedAnswer = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    }
    return cachedAnswer;
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
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const double seconds = std::fmod(localSecondOfDay(now.tv_sec) + now.tv_nsec / 1e9 + offset, Day);
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
