#include "device/EventWait.h"
#include "DeviceTestSupport.h"

#include <QCoreApplication>
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

TEST(EventWaitSleeper, WakeUpIsKeptForTheNextWaitAndDroppedWhenTheLoopIdles)
{
    // Seen from outside: how long the loop's next blocking pass lasts, when a timer of its own
    // would end it after a second.
    const auto nextPass = [] {
        QTimer later;
        later.setSingleShot(true);
        later.start(1000);
        const double start = platform::clock::monotonicSeconds();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return platform::clock::monotonicSeconds() - start;
    };
    // A wait of 0.2 s, ended at once by an event: its wake-up stays set.
    const auto waitEndedEarly = [](EventWait::Sleeper &sleeper, double seconds) {
        QTimer::singleShot(0, [] {});
        sleeper.once(platform::clock::monotonicSeconds() + seconds);
    };
    {
        EventWait::Sleeper sleeper;
        waitEndedEarly(sleeper, 0.2);
        sleeper.dropWhenIdle();
        EXPECT_GT(nextPass(), 0.6) << "the loop went to sleep with the owner done";
    }
    {
        EventWait::Sleeper sleeper;
        waitEndedEarly(sleeper, 0.2);
        sleeper.dropWhenIdle();
        waitEndedEarly(sleeper, 30.0);
        EXPECT_LT(nextPass(), 0.6) << "a wait that came before the loop idled keeps the wake-up";
    }
}
