#include "LinkFixture.h"
#include "PtyPair.h"

#include "device/PortWait.h"
#include "device/RtuReplyReader.h"

#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

// ---- late replies of a slow device ----

class SlowSerialDevice : public LinkFixture {
protected:
    // Sleeps until the console's port holds `count` bytes; true when it does.
    static bool inputArrived(int count, double seconds)
    {
        CommPort &port = mdlMain::Port();
        PortWait wait(port);
        const double deadline = platform::clock::monotonicSeconds() + seconds;
        while (port.InBufferCount() < count && platform::clock::monotonicSeconds() < deadline)
            wait.sleep(count, deadline);
        return port.InBufferCount() >= count;
    }
};

TEST_F(SlowSerialDevice, LateReplyServesTheRequestItAnswers)
{
    struct Read {
        int16_t function;
        int32_t start;
        int32_t quantity;
    };
    struct Case {
        const char *name;
        Read first;  // a function of 0: nothing timed out, a stray reply waits instead
        Read second;
        const char *events;                   // while the second request is in flight: the first one's late answer
        const char *strayInFlight = nullptr;  // a reply that comes while the second is in flight
    };
    const char *const status = "ConnectionStatusChanged NewRAMData(231,2) NewRAMData(241,2) NewRTData(47)";
    const Case cases[] = {
        {"the same read", {3, 10, 2}, {3, 10, 2}, "NewRAMData(10,2)"},
        {"another start", {3, 10, 2}, {3, 12, 2}, "NewRAMData(10,2)"},
        {"another count", {3, 10, 2}, {3, 10, 1}, "NewRAMData(10,2)"},
        {"another function", {4, 0, 21}, {3, 0, 21}, status},
        {"the same poll", {4, 0, 21}, {4, 0, 21}, status},
        {"a stray reply, nothing timed out", {0, 0, 0}, {3, 10, 1}, ""},
        // Not the registers asked for: the request waits on for its own reply, and times out.
        {"a longer read of input registers", {0, 0, 0}, {4, 10, 1}, "", "01040400010002"},
    };
    for (int i = 0; i < 4; ++i)
        sim.setRAM(10 + i, static_cast<quint8>(0x51 + i));
    ASSERT_TRUE(open(false));
    // A late status reply counts as the device's answer before its event runs.
    int32_t missedWhenFound = -1;
    const QObject listening;
    QObject::connect(&device(), &CDevice::ConnectionStatusChanged, &listening, [this, &missedWhenFound] {
        if (device().Connected())
            missedWhenFound = device().MissedReplies();
    });
    sim.setReplyDelayMs(300);
    for (const Case &c : cases) {
        device().Reset();
        if (c.first.function)
            device().MBRead(c.first.function, c.first.start, c.first.quantity);
        else
            sim.injectBytes(withCrc(hex("01030200AB")));
        ASSERT_TRUE(inputArrived(7, 1.0)) << c.name;
        EventRecorder recorder(device());
        if (c.strayInFlight)
            QTimer::singleShot(50, [this, &c] { sim.injectBytes(withCrc(hex(c.strayInFlight))); });
        const int32_t missed = device().MissedReplies();
        device().MBRead(c.second.function, c.second.start, c.second.quantity);
        EXPECT_EQ(recorder.events.join(' '), QLatin1String(c.events)) << c.name;
        if (recorder.events.contains(QLatin1String("ConnectionStatusChanged"))) {
            EXPECT_EQ(missedWhenFound, 0) << c.name;
        }
        if (c.strayInFlight) {
            EXPECT_EQ(device().MissedReplies(), missed + 1) << c.name << ": not its answer";
        }
        // The second request's own reply comes late as well.
        inputArrived(7, 0.5);
        mdlMain::Port().InputLen = 1000;
        mdlMain::Port().Input_();
    }

    // Half a second late: two requests have timed out when the first one's answer comes, and it is
    // still taken for that one.
    device().Reset();
    sim.setReplyDelayMs(500);
    device().MBRead(3, 10, 2);
    device().MBRead(3, 12, 1);
    {
        EventRecorder recorder(device());
        device().MBRead(3, 13, 1);
        EXPECT_EQ(recorder.events.join(' '), QLatin1String("NewRAMData(10,2)")) << "two requests behind";
    }
    inputArrived(14, 1.0);
    mdlMain::Port().InputLen = 1000;
    mdlMain::Port().Input_();
    sim.setReplyDelayMs(300);

    // A run of polls: each is answered late, while the next is in flight, and stays connected.
    device().CheckStatus();
    for (int poll = 2; poll <= 4; ++poll) {
        ASSERT_TRUE(inputArrived(47, 1.0)) << poll;
        device().CheckStatus();
        EXPECT_TRUE(device().Connected()) << "poll " << poll;
        EXPECT_EQ(device().MissedReplies(), 2) << "poll " << poll << ": its own time-out and its count only";
    }
}

// ---- the serial reply's time-outs, on the test clock ----

namespace {

// The device object on a pseudo-terminal whose other side the test plays.
class DeviceOnPty : public ::testing::Test {
protected:
    static constexpr int ComNumber = 8;

    void SetUp() override
    {
        ASSERT_TRUE(pty.valid());
        port.PortNumber = QString::number(ComNumber);
        port.Settings = QStringLiteral("115200,N,8,1");
        port.setPortOpen(true);
        ASSERT_TRUE(port.PortOpen());
        device.setPort(&port);
    }

    void TearDown() override { platform::clock::setTestOffset(0); }

    // Moves the test clock so that it reads `seconds` past the moment `from`.
    static void clockAt(double from, double seconds)
    {
        platform::clock::setTestOffset(platform::clock::testOffset() + from + seconds -
                                       platform::clock::monotonicSeconds());
    }

    double sentAt() const { return device.PendingRequests().Item(1)->SentAt(); }

    struct Case {
        const char *name;
        bool tail;  // the clock runs from the reply's first five bytes, else from the request
        double at;
        bool taken;
    };

    // Plays a reply to a read of one register whose last bytes come `at` seconds on the test
    // clock after the request (or after its first bytes); true when the device object took it.
    // The bytes come just after the clock jumps, so a shorter time-out has already struck and a
    // longer one would still take them. A whole reply due in time is on the line before the
    // clock jumps instead (the wait for a reply, unlike the wait for a tail, does not look again
    // once its time is up), so that the line's own delay under load does not count.
    bool replyTaken(const Case &c)
    {
        const QByteArray reply = withCrc(hex("01030200") + QByteArray(1, static_cast<char>(++value)));
        const qsizetype head = c.tail ? RtuReplyReader::MinimumReply : 0;
        const bool beforeTheJump = c.taken && !c.tail;
        double from = 0;
        QTimer::singleShot(5, [&] {
            from = sentAt();
            if (c.tail) {
                pty.write(reply.left(head));
                from = platform::clock::monotonicSeconds();
            }
        });
        QTimer::singleShot(40, [&] {
            if (beforeTheJump) {
                pty.write(reply);
                const QDeadlineTimer lineDelay(1000);
                while (port.InBufferCount() < reply.size() && !lineDelay.hasExpired())
                    QThread::usleep(100);
            }
            clockAt(from, c.at);
        });
        QTimer::singleShot(45, [&] {
            if (!beforeTheJump)
                pty.write(reply.mid(head));
        });
        device.MBRead(3, 10, 1);
        runEventsFor(0.06);
        EXPECT_EQ(device.PendingRequests().Count(), 0) << c.name;
        device.Reset();
        pty.readAll();
        return device.RAM(10) == value;
    }

    TempProgramFolder folder;
    PtyPair pty{folder, ComNumber};
    CommPort port;
    CDevice device;
    uint8_t value = 0xA0;
};

}  // namespace

TEST_F(DeviceOnPty, ReplyWithinTwoTenthsOfASecondAndTailWithinHalfASecond)
{
    const Case cases[] = {
        {"reply at 0.19 s", false, 0.19, true},
        {"reply at 0.25 s", false, 0.25, false},
        {"tail at 0.45 s", true, 0.45, true},
        {"tail at 0.55 s", true, 0.55, false},
    };
    for (const Case &c : cases) {
        // Under load the device object may look at the clock some milliseconds after it jumped,
        // past a time-out that a reply was due within: such a reply gets three tries.
        bool taken = false;
        for (int attempt = 0; attempt < (c.taken ? 3 : 1) && !taken; ++attempt)
            taken = replyTaken(c);
        EXPECT_EQ(taken, c.taken) << c.name;
    }
}

TEST_F(DeviceOnPty, NoiseOnTheLineBeforeARequestIsDropped)
{
    // Still with the driver when the request goes out, not yet seen by the port: kept, the noise
    // would head the reply and both be thrown away.
    pty.write(hex("AABBCC"));
    QThread::msleep(50);
    const QByteArray reply = withCrc(hex("01030200") + QByteArray(1, static_cast<char>(++value)));
    QTimer::singleShot(5, [&] { pty.write(reply); });
    device.MBRead(3, 10, 1);
    EXPECT_EQ(device.RAM(10), value);
}

TEST_F(DeviceOnPty, ReplyWhoseFirstBytesComeAloneIsTaken)
{
    // Too few bytes to start a reply, the rest a moment later: the wait for the rest must look
    // at what the line brought meanwhile.
    for (const int first : {1, RtuReplyReader::MinimumReply - 1}) {
        const QByteArray reply = withCrc(hex("01030200") + QByteArray(1, static_cast<char>(++value)));
        QTimer::singleShot(5, [&] { pty.write(reply.left(first)); });
        QTimer::singleShot(30, [&] { pty.write(reply.mid(first)); });
        device.MBRead(3, 10, 1);
        EXPECT_EQ(device.RAM(10), value) << first;
        device.Reset();
        pty.readAll();
    }
}
