#include "device/EventWait.h"
#include "DeviceTestSupport.h"

#include <gtest/gtest.h>

TEST(EventWaitSleeper, EachSleepEndsByItsOwnDeadline)
{
    // A sleeper keeps its timer from one sleep to the next; a later, shorter sleep must still
    // end in time.
    const struct {
        const char *name;
        double earlier;     // an earlier sleep, woken at once by an event (0: none)
        double clockMoved;  // the test clock moved forward between the two
    } cases[] = {
        {"no earlier sleep", 0, 0},
        {"an earlier, longer sleep", 1.0, 0},
        {"an earlier, longer sleep, then the clock moved past its end", 1.0, 10.0},
    };
    for (const auto &c : cases) {
        EventWait::Sleeper sleeper;
        if (c.earlier > 0) {
            QTimer::singleShot(0, [] {});
            sleeper.once(platform::clock::monotonicSeconds() + c.earlier);
        }
        platform::clock::setTestOffset(c.clockMoved);
        const double start = platform::clock::monotonicSeconds();
        sleeper.once(start + 0.05);
        EXPECT_LT(platform::clock::monotonicSeconds() - start, 0.5) << c.name;
        platform::clock::setTestOffset(0);
    }
}
