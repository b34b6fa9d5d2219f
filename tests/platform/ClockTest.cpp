#include "platform/Clock.h"
#include "platform/Color.h"

#include <QTime>
#include <gtest/gtest.h>
#include <optional>

namespace clock_ = platform::clock;

namespace {

class ClockTest : public ::testing::Test {
protected:
    void TearDown() override { clock_::setTestOffset(0); }
};

TEST_F(ClockTest, TestOffsetMovesTheClocksForward)
{
    const double before = clock_::monotonicSeconds();
    clock_::setTestOffset(3600);
    const double after = clock_::monotonicSeconds();
    EXPECT_GE(after - before, 3600.0);
    EXPECT_LT(after - before, 3601.0);
    clock_::setTestOffset(0);
    EXPECT_LT(clock_::monotonicSeconds(), after);
}

TEST_F(ClockTest, TimeOfDayStaysWithinOneDay)
{
    for (const double offset : {0.0, 43200.0, 86399.0, 86400.0 * 3 + 17, -5.0, -86400.0 * 2}) {
        clock_::setTestOffset(offset);
        const double seconds = clock_::secondsSinceMidnight();
        EXPECT_GE(seconds, 0.0) << offset;
        EXPECT_LT(seconds, 86400.0) << offset;
    }
    // A whole day further on is the same time of day.
    clock_::setTestOffset(0);
    const double today = clock_::secondsSinceMidnight();
    clock_::setTestOffset(86400);
    const double tomorrow = clock_::secondsSinceMidnight();
    EXPECT_NEAR(std::fmod(tomorrow - today + 86400.0, 86400.0), 0.0, 1.0);
}

TEST_F(ClockTest, TimeOfDayIsTheLocalOne)
{
    // Half-hour zones on either side of UTC: a stamp taken in UTC misses by hours.
    const std::optional<QByteArray> saved =
        qEnvironmentVariableIsSet("TZ") ? std::optional(qgetenv("TZ")) : std::nullopt;
    for (const char *zone : {"XYZ-05:30", "XYZ+09:30"}) {
        qputenv("TZ", zone);
        const double expected = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
        const double seconds = clock_::secondsSinceMidnight();
        EXPECT_NEAR(std::fmod(seconds - expected + 86400.0 + 43200.0, 86400.0), 43200.0, 1.0) << zone;
    }
    if (saved)
        qputenv("TZ", *saved);
    else
        qunsetenv("TZ");
    QTime::currentTime();  // the library takes the zone back
}

TEST(Color, RedIsTheLowByte)
{
    const struct {
        uint32_t bgr;
        QColor color;
    } cases[] = {{0x0000FF, Qt::red},
                 {0x00FF00, Qt::green},
                 {0x00FFFF, Qt::yellow},
                 {0xFFFFFF, Qt::white},
                 {0x123456, QColor(0x56, 0x34, 0x12)}};
    for (const auto &c : cases) {
        EXPECT_EQ(platform::toQColor(c.bgr), c.color) << std::hex << c.bgr;
        EXPECT_EQ(platform::fromQColor(c.color), c.bgr) << std::hex << c.bgr;
    }
    EXPECT_EQ(platform::toQColor(0xFF0000FFu), Qt::red) << "the high byte is not part of the colour";
}

}  // namespace
