#include "core/mdlTools.h"

#include "RaisedError.h"
#include "TempProgramFolder.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <ctime>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(mdlTools, Crc16OfAReadRequestAndOfTheWholeFrame)
{
    const std::vector<uint8_t> request = {0x01, 0x04, 0x00, 0x00, 0x00, 0x15};
    int32_t crc = 0xFFFF;
    for (uint8_t b : request)
        mdlTools::CRC16Update(b, crc);
    EXPECT_EQ(crc, 0xC531);
    // Sent low byte first: 31 C5. Over the frame with its CRC the result is 0.
    mdlTools::CRC16Update(0x31, crc);
    mdlTools::CRC16Update(0xC5, crc);
    EXPECT_EQ(crc, 0);
    // The check value of this CRC over the nine digits.
    crc = 0xFFFF;
    for (const char digit : QByteArrayLiteral("123456789"))
        mdlTools::CRC16Update(static_cast<uint8_t>(digit), crc);
    EXPECT_EQ(crc, 0x4B37);
    // The same over a whole buffer, and continued from a CRC part of the way.
    EXPECT_EQ(mdlTools::CRC16(QByteArrayView("123456789")), 0x4B37);
    EXPECT_EQ(mdlTools::CRC16(QByteArrayView("6789"), mdlTools::CRC16(QByteArrayView("12345"))), 0x4B37);
    EXPECT_EQ(mdlTools::CRC16(QByteArray::fromHex("0104000000153"
                                                  "1C5")),
              0);
}

TEST(mdlTools, ValDotReadsADecimalComma)
{
    const struct {
        const char *text;
        double expected;
    } cases[] = {{"3,14", 3.14}, {"12,5", 12.5}, {"1,234,5", 1.234}, {"", 0},     {"abc", 0},
                 {"  42 V", 42}, {"-7,5", -7.5}, {"19200,0", 19200}, {"2.5", 2.5}};
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(mdlTools::ValDot(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(mdlTools, FilterConversionsAreInverse)
{
    EXPECT_NEAR(mdlTools::FilterCoefToFreq(1000, 128, 256), 159.15494f, 1e-4);
    EXPECT_NEAR(mdlTools::FilterFreqToCoef(1000, 159.15494f, 256), 128.0f, 1e-4);
    EXPECT_EQ(raisedError([] { mdlTools::FilterCoefToFreq(1000, 256, 256); }), platform::err::DivisionByZero);
}

TEST(mdlTools, BytesBcdAndHex)
{
    EXPECT_EQ(mdlTools::MakeWord(0x34, 0x12), 0x1234);
    EXPECT_EQ(mdlTools::Make24(1, 2, 3), 0x030201);
    EXPECT_EQ(mdlTools::Make24(0xFF, 0xFF, 0xFF), 0xFFFFFF);
    EXPECT_EQ(mdlTools::ToBCD(59), 0x59);
    EXPECT_EQ(mdlTools::ToBCD(0), 0);
    EXPECT_EQ(mdlTools::ToBCD(99), 0x99);
    EXPECT_EQ(mdlTools::ToBCD(100), 0);
    EXPECT_EQ(mdlTools::ToBCD(255), 0);
    EXPECT_EQ(mdlTools::HexPad(10, 2), "0A");
    EXPECT_EQ(mdlTools::HexPad(300, 2), "2C");
    EXPECT_EQ(mdlTools::HexPad(-1, 4), "FFFF");
    EXPECT_EQ(mdlTools::HexPad(0x59, 4), "0059");
    EXPECT_EQ(mdlTools::HexPad(0xABC, 0), "");
}

TEST(mdlTools, NiceCeilFollowsTheOneTwoFiveSeries)
{
    const std::pair<float, float> cases[] = {{0.3f, 0.5f},    {1, 1}, {1.01f, 2},    {7, 10}, {20, 20},
                                             {0.012f, 0.02f}, {5, 5}, {5.0001f, 10}, {0, 0},  {1000, 1000}};
    for (const auto &[x, expected] : cases)
        EXPECT_FLOAT_EQ(mdlTools::NiceCeil(x), expected) << x;
    EXPECT_EQ(raisedError([] { mdlTools::NiceCeil(-1); }), platform::err::InvalidArgument);
}

TEST(mdlTools, RangesOverlapCountsTouchingRanges)
{
    const struct {
        float a, b, c, d;
        bool expected;
    } cases[] = {{0, 10, 20, 30, false},
                 {0, 10, 5, 5, true},
                 {0, 10, 10, 20, true},
                 {10, 20, 0, 10, true},
                 {0, 10, -5, -1, false},
                 {5, 6, 0, 100, true},
                 // Each of the four tests alone (reversed ranges keep the others false).
                 {0, 10, 5, -1, true},
                 {0, 10, 20, 5, true},
                 {5, -5, 0, 10, true},
                 {20, 5, 0, 10, true},
                 // A range includes its start and excludes its end.
                 {0, 10, 0, -1, true},
                 {0, 10, 10, -1, false}};
    for (const auto &c : cases)
        EXPECT_EQ(mdlTools::RangesOverlap(c.a, c.b, c.c, c.d), c.expected) << c.a << " " << c.b << " " << c.c;
}

TEST(mdlTools, TextAndMathRoutines)
{
    EXPECT_EQ(mdlTools::TrimNull(QStringLiteral("COM1") + QChar(0) + QStringLiteral("xyz")), "COM1");
    EXPECT_EQ(mdlTools::TrimNull(QString()), "");
    EXPECT_EQ(mdlTools::TrimNull(QStringLiteral("COM12")), "COM12");
    EXPECT_DOUBLE_EQ(mdlTools::Log2(8), 3);
    EXPECT_DOUBLE_EQ(mdlTools::ArcSin(1), 3.14159265358979 / 2);
    EXPECT_DOUBLE_EQ(mdlTools::ArcSin(-1), -3.14159265358979 / 2);
    EXPECT_NEAR(mdlTools::ArcSin(0.5), std::asin(0.5), 1e-12);
    EXPECT_EQ(raisedError([] { mdlTools::ArcSin(1.0001); }), platform::err::InvalidArgument);
    EXPECT_EQ(raisedError([] { mdlTools::Log2(-2); }), platform::err::InvalidArgument);
    EXPECT_EQ(raisedError([] { mdlTools::Log2(0); }), platform::err::InvalidArgument);
}

TEST(mdlTools, WaitZeroReturnsAtOnce)
{
    QElapsedTimer elapsed;
    elapsed.start();
    mdlTools::Wait(0, false);
    mdlTools::Wait(0, true);
    mdlTools::Wait(-5, true);
    EXPECT_LT(elapsed.elapsed(), 20);
}

namespace {
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}
}  // namespace

// Both kinds of wait sleep: the thread uses next to no processor time while it waits.
TEST(mdlTools, WaitsSleepInsteadOfSpinning)
{
    for (const bool allowEvents : {false, true}) {
        QElapsedTimer elapsed;
        elapsed.start();
        const double before = threadSeconds();
        mdlTools::Wait(300, allowEvents);
        EXPECT_GE(elapsed.elapsed(), 299) << allowEvents;
        EXPECT_LT(threadSeconds() - before, 0.1) << allowEvents;
    }
}

// A handler run during a wait may wait longer itself (a panel closing while a poll waits for its
// reply): the outer wait, its time up, must not keep waking the inner one.
TEST(mdlTools, AWaitThatIsUpLetsAWaitNestedInItSleep)
{
    QTimer::singleShot(10, [] { mdlTools::Wait(400, true); });
    QElapsedTimer elapsed;
    elapsed.start();
    const double before = threadSeconds();
    mdlTools::Wait(50, true);
    EXPECT_GE(elapsed.elapsed(), 399) << "the inner wait ran to its end";
    EXPECT_LT(threadSeconds() - before, 0.1);
}

TEST(mdlTools, WaitWithEventsKeepsTimersRunning)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(20);
    QElapsedTimer elapsed;
    elapsed.start();
    mdlTools::Wait(200, true);
    EXPECT_GE(elapsed.elapsed(), 199);
    EXPECT_LT(elapsed.elapsed(), 1000);
    EXPECT_GE(ticks, 5);
}

TEST(mdlTools, WaitEndsWhenTheClockIsMovedOn)
{
    // Tests advance the monotonic clock instead of sleeping; a long wait must notice.
    QTimer::singleShot(30, [] { platform::clock::setTestOffset(platform::clock::testOffset() + 3600); });
    QElapsedTimer elapsed;
    elapsed.start();
    mdlTools::Wait(60 * 60 * 1000 - 10000, true);
    platform::clock::setTestOffset(0);
    EXPECT_LT(elapsed.elapsed(), 3000);
}

TEST(mdlTools, FileExistsOnlyForReadableFiles)
{
    TempProgramFolder folder;
    folder.write(QStringLiteral("present.txt"), "x");
    EXPECT_TRUE(mdlTools::FileExists(folder.file(QStringLiteral("present.txt"))));
    EXPECT_FALSE(mdlTools::FileExists(folder.file(QStringLiteral("missing.txt"))));
    EXPECT_FALSE(mdlTools::FileExists(folder.path()));
    EXPECT_FALSE(mdlTools::FileExists(QString()));
    EXPECT_FALSE(mdlTools::FileExists(folder.file(QStringLiteral("no/such/dir/file"))));
}

TEST(mdlTools, SelectAllTextSelectsTheFocusedBox)
{
    QWidget window;
    auto *edit = new QLineEdit(QStringLiteral("12,5"), &window);
    window.show();
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    edit->setCursorPosition(1);
    if (QApplication::focusWidget() != edit)
        GTEST_SKIP() << "the platform gives no focus";
    mdlTools::SelectAllText();
    EXPECT_EQ(edit->selectedText(), "12,5");
}
