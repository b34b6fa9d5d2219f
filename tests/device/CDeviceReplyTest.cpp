#include "DeviceTestSupport.h"
#include "device/CommPort.h"
#include "device/DeviceClock.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

namespace {

// A status reply: version, id, serial number, log-on byte, IO byte, newest records, delay.
QByteArray statusReply(uint8_t logOn, uint8_t io)
{
    QByteArray data(42, '\0');
    data[0] = 0x12;
    data[1] = 24;
    data.replace(2, 11, "XR-S-416077");
    data[18] = static_cast<char>(logOn);
    data[19] = static_cast<char>(io);
    data[20] = 0x34;
    data[21] = 0x12;
    data[22] = 0x21;
    data[23] = 0x03;
    data[24] = 9;
    return withCrc(hex("01042A") + data);
}

// A function-3 reply carrying the given register values.
QByteArray holdingReply(const QList<int> &values)
{
    QByteArray reply = hex("0103");
    reply.append(static_cast<char>(2 * values.size()));
    for (int v : values)
        reply.append(static_cast<char>(v >> 8)).append(static_cast<char>(v & 0xFF));
    return reply;
}

class DeviceReplies : public ::testing::Test {
protected:
    ReplyProbe device;
    EventRecorder recorder{device};
};

}  // namespace

TEST_F(DeviceReplies, StatusPollDecodedWithEventsInOrder)
{
    device.ProcessReply(makeRequest(4, 0, 21), statusReply(0x24, 0x05));
    EXPECT_TRUE(device.Connected());
    EXPECT_TRUE(device.Connecting());
    EXPECT_EQ(device.FirmwareVersion(), 0x12);
    EXPECT_EQ(device.FirmwareID(), 24);
    EXPECT_EQ(device.SerialNumber(), QStringLiteral("XR-S-416077"));
    EXPECT_EQ(device.RAM(38), 0x24);
    EXPECT_TRUE(device.Bit(50));
    EXPECT_TRUE(device.Bit(53));
    EXPECT_FALSE(device.Bit(49));
    EXPECT_EQ(device.IOByte(), 0x05);
    EXPECT_TRUE(device.IO(0));
    EXPECT_FALSE(device.IO(1));
    EXPECT_EQ(device.MostRecentEventN(), 0x1234);
    EXPECT_EQ(device.MostRecentEventV(), 0x0321);
    EXPECT_EQ(device.RAM(208), 9);
    EXPECT_EQ(recorder.events, (QStringList{"ConnectionStatusChanged", "IOStatusChanged", "NewRAMData(231,2)",
                                            "NewRAMData(241,2)", "NewRTData(47)"}));

    recorder.events.clear();
    device.ProcessReply(makeRequest(4, 0, 21), statusReply(0x24, 0x05));
    EXPECT_EQ(recorder.events, (QStringList{"NewRAMData(231,2)", "NewRAMData(241,2)", "NewRTData(47)"}))
        << "no connection or IO event when nothing changed";
}

TEST_F(DeviceReplies, SerialNumberStopsAtZeroOrSixteenCharacters)
{
    QByteArray reply = statusReply(0, 0);
    reply.replace(5, 16, "ABCDEFGHIJKLMNOP");
    device.ProcessReply(makeRequest(4, 0, 21), withCrc(reply.chopped(2)));
    EXPECT_EQ(device.SerialNumber(), QStringLiteral("ABCDEFGHIJKLMNOP"));

    // Bytes above 127 are characters of the program's 8-bit set.
    reply.replace(5, 4, QByteArray("\x80\xE9Z\0", 4));
    device.ProcessReply(makeRequest(4, 0, 21), withCrc(reply.chopped(2)));
    EXPECT_EQ(device.SerialNumber(), QString::fromUtf8("\u20AC\u00E9Z"));
}

// A closed serial port keeps requests queued, so the registers a command writes can be read back.
TEST(DeviceCommands, PasswordCharactersAsTheDeviceComparesThem)
{
    CommPort closedPort;
    CDevice device;
    device.setPort(&closedPort);
    const auto queued = [&device] {
        QList<int> values;
        for (const MBRequestPtr &request : device.PendingRequests())
            values << request->StartAddress() << request->Quantity();
        return values;
    };

    device.AdminLogOn(QString::fromUtf8("\u20AC\u00E9"));
    EXPECT_EQ(queued(),
              (QList<int>{215, 0x80, 216, 0xE9, 217, 0, 218, 255, 219, 255, 220, 255, 221, 255, 222, 255, 205, 4}));

    device.Reset();
    QString password = QStringLiteral("12345678");
    device.ChangeSuperUserPsw(password);
    EXPECT_EQ(password, QStringLiteral("12345678")) << "only an empty password comes back changed";
    EXPECT_EQ(queued(), (QList<int>{311, 0,   215, '1', 216, '2', 217, '3', 218, '4',
                                    219, '5', 220, '6', 221, '7', 222, '8', 205, 9}));
}

TEST_F(DeviceReplies, RepliesThatDoNotMatchTheRequestRaiseNothing)
{
    struct Case {
        const char *name;
        MBRequestPtr request;
        QByteArray reply;
    };
    const Case cases[] = {
        {"byte count not twice the quantity", makeRequest(4, 0, 20), statusReply(1, 1)},
        {"function 3 byte count off", makeRequest(3, 0, 3), holdingReply({1, 2})},
        {"function 3 one register short, the CRC behind", makeRequest(3, 0, 3), withCrc(holdingReply({1, 2}))},
        {"byte count larger than the data", makeRequest(4, 0, 21), hex("01042A0000")},
        {"write echo", makeRequest(6, 205, 4), withCrc(hex("010600CD0004"))},
        {"one byte", makeRequest(4, 0, 21), hex("01")},
        {"read outside the windows", makeRequest(3, 400, 2), holdingReply({1, 2})},
        {"read between the windows", makeRequest(3, 384, 1), holdingReply({1})},
    };
    for (const Case &c : cases) {
        device.ProcessReply(c.request, c.reply);
        EXPECT_TRUE(recorder.events.isEmpty()) << c.name << ": " << recorder.events.join(',').toStdString();
        recorder.events.clear();
    }
    EXPECT_FALSE(device.Connected());
}

TEST_F(DeviceReplies, ShortStatusReadIsDataNotIdentity)
{
    device.ProcessReply(makeRequest(4, 0, 5), hex("01040A") + QByteArray(10, '\x07'));
    EXPECT_FALSE(device.Connected());
    EXPECT_EQ(recorder.events, QStringList{"NewRTData(13)"});
}

TEST_F(DeviceReplies, HoldingRegistersFillTheImageWindows)
{
    struct Case {
        int start;
        QString event;
        int first;
        QByteArray bytes;
    };
    const QList<int> values{0x0102, 0x0304, 0x0506, 0x0708};
    const Case cases[] = {
        {258, "NewRAMData(4,8)", 4, hex("0201040306050807")}, {513, "NewRAMData(3,8)", 3, hex("0201040306050807")},
        {512, "NewRAMData(1,8)", 1, hex("0201040306050807")}, {10, "NewRAMData(10,4)", 10, hex("02040608")},
        {254, "NewRAMData(254,2)", 254, hex("0204")},         {383, "NewRAMData(254,2)", 254, hex("0201")},
    };
    for (const Case &c : cases) {
        ReplyProbe fresh;
        EventRecorder events(fresh);
        fresh.ProcessReply(makeRequest(3, c.start, 4), holdingReply(values));
        EXPECT_EQ(events.events, QStringList{c.event}) << c.start;
        for (int i = 0; i < c.bytes.size(); ++i)
            EXPECT_EQ(fresh.RAM(c.first + i), static_cast<uint8_t>(c.bytes[i])) << c.start << " byte " << i;
    }
}

TEST_F(DeviceReplies, HoldingReadWithMoreRegistersThanAskedStoresTheFirst)
{
    device.ProcessReply(makeRequest(3, 10, 2), holdingReply({0x0102, 0x0304, 0x0506}));
    device.ProcessReply(makeRequest(3, 257, 1), holdingReply({0x0708, 0x090A}));
    EXPECT_EQ(recorder.events, (QStringList{"NewRAMData(10,2)", "NewRAMData(2,2)"}));
    EXPECT_EQ(device.RAM(10), 0x02);
    EXPECT_EQ(device.RAM(11), 0x04);
    EXPECT_EQ(device.RAM(12), 0) << "registers beyond those asked for are not stored";
    EXPECT_EQ(device.RAM2(2), 0x0708);
    EXPECT_EQ(device.RAM(4), 0);
}

TEST_F(DeviceReplies, EventLogRowsAndTheirAnnouncement)
{
    QByteArray records;
    for (int r = 0; r < 4; ++r)
        records += QByteArray(8, static_cast<char>(0x40 + r));
    device.ProcessReply(makeRequest(4, 4100, 16), hex("010420") + records);
    device.ProcessReply(makeRequest(4, 12288, 16), withCrc(hex("010420") + records));
    EXPECT_EQ(recorder.events, (QStringList{"LogUpdated(4,4)", "LogUpdated(8192,4)"}));
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(device.LogListN(4 + r), QByteArray(8, static_cast<char>(0x40 + r)));
        EXPECT_EQ(device.LogListV(r), QByteArray(8, static_cast<char>(0x40 + r)));
    }
    EXPECT_EQ(device.LogListN(3), QByteArray(8, '\0'));

    // Rows past a table's end are not stored; only those inside are announced.
    recorder.events.clear();
    device.ProcessReply(makeRequest(4, 16382, 16), hex("010420") + records);
    device.ProcessReply(makeRequest(4, 12287, 8), hex("010410") + records.left(16));
    EXPECT_EQ(recorder.events, (QStringList{"LogUpdated(12286,2)", "LogUpdated(8191,1)"}));
    EXPECT_EQ(device.LogListV(4095), QByteArray(8, '\x41'));
    EXPECT_EQ(device.LogListN(8191), QByteArray(8, '\x40'));
    EXPECT_THROW(device.LogListN(8192), platform::Error);
    EXPECT_THROW(device.LogListV(4096), platform::Error);
}

TEST_F(DeviceReplies, ExceptionRepliesGoOutWhole)
{
    device.ProcessReply(makeRequest(3, 0, 1), withCrc(hex("018302")));
    EXPECT_EQ(recorder.events, QStringList{"MBException(5)"});
}

TEST_F(DeviceReplies, ImageAccessorsAtTheEdges)
{
    QList<int> words;
    for (int i = 0; i < 6; ++i)
        words << 200 + i;  // the low byte lands in the image
    device.ProcessReply(makeRequest(3, 250, 6), holdingReply(words));
    EXPECT_EQ(device.RAM2(253), 203 + 256 * 204);
    EXPECT_EQ(device.RAM2(254), 0);
    EXPECT_EQ(device.RAM3(253), 203 + 256 * 204 + 65536 * 205);
    EXPECT_EQ(device.RAM4(252), static_cast<int32_t>(202u | 203u << 8 | 204u << 16 | 205u << 24));
    EXPECT_EQ(device.RAM4(253), 0);
    EXPECT_EQ(device.SRAM(250), -56);
    EXPECT_EQ(device.SRAM(0), 0);
    for (int bad : {-1, 256})
        EXPECT_THROW(device.RAM(bad), platform::Error) << bad;
    EXPECT_THROW(device.Bit(1792), platform::Error);
    // The last status bits live in byte 255, which holds 205 = 1100 1101b.
    EXPECT_TRUE(device.Bit(1791));
    EXPECT_FALSE(device.Bit(1785));
}

TEST_F(DeviceReplies, ResetWhileConnectedClearsOnceAndKeepsTheIOByte)
{
    device.ProcessReply(makeRequest(4, 0, 21), statusReply(0x24, 0x05));
    recorder.events.clear();
    device.Reset();
    device.Reset();
    EXPECT_EQ(recorder.events, QStringList{"ConnectionStatusChanged"});
    EXPECT_EQ(device.RAM(38), 0);
    EXPECT_EQ(device.MostRecentEventN(), 0);
    EXPECT_EQ(device.FirmwareID(), 0);
    EXPECT_EQ(device.FirmwareVersion(), 0);
    EXPECT_TRUE(device.IO(0)) << "the IO byte keeps its last value";
    EXPECT_EQ(device.DateTime(), DeviceClock::zeroDate());
}

TEST(DeviceObject, TransactionIdsWrapToZero)
{
    CommPort closedPort;
    CDevice device;
    device.setPort(&closedPort);
    EXPECT_EQ(device.MBTransactionID(), 1);
    for (int i = 2; i <= 65534; ++i)
        device.MBTransactionID();
    // Queued requests are keyed by their transaction ids.
    device.MBRead(3, 0, 1);
    device.MBRead(3, 1, 1);
    QStringList keys;
    for (const MBRequestPtr &request : device.PendingRequests())
        keys << request->Key;
    EXPECT_EQ(keys, (QStringList{"K65535", "K0"}));
    EXPECT_EQ(device.MBTransactionID(), 1);
    EXPECT_EQ(device.MissedReplies(), 100);
    EXPECT_FALSE(device.Connecting());
}

TEST(DeviceClockBytes, DecodeAndEncode)
{
    struct Case {
        const char *name;
        DeviceClock::Image bytes;
        int year;
        QDateTime expected;
    };
    const Case cases[] = {
        {"year before the cycle's end",
         {0x09, 0x05, 0x13, 0x95, 0x02},
         2025,
         QDateTime(QDate(2022, 2, 15), QTime(13, 5, 9))},
        {"leap day", {0x59, 0x59, 0x23, 0x29, 0x02}, 2024, QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59))},
        {"year bits 01", {0, 0, 0x08, 0x41, 0x07}, 2025, QDateTime(QDate(2025, 7, 1), QTime(8, 0, 0))},
        {"year bits 11", {0, 0, 0x08, 0xC1, 0x07}, 2025, QDateTime(QDate(2023, 7, 1), QTime(8, 0, 0))},
        {"year bits 11 in the cycle's last year", {0, 0, 0, 0xF1, 0x12}, 2027, QDateTime(QDate(2027, 12, 31), QTime())},
        {"flag bits masked", {0x80, 0x80, 0xC0, 0x01, 0xE1}, 2026, QDateTime(QDate(2024, 1, 1), QTime(0, 0, 0))},
        {"cleared image", {0, 0, 0, 0, 0}, 2025, DeviceClock::zeroDate()},
        {"month 13", {0, 0, 0, 0x01, 0x13}, 2025, DeviceClock::zeroDate()},
        {"hour 24", {0, 0, 0x24, 0x01, 0x01}, 2025, DeviceClock::zeroDate()},
        {"not a decimal digit", {0x5A, 0, 0, 0x01, 0x01}, 2025, DeviceClock::zeroDate()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DeviceClock::decode(c.bytes, c.year), c.expected) << c.name;

    EXPECT_EQ(DeviceClock::encode(QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9))),
              (std::array<int32_t, 6>{0x09, 0x05, 0x13, 0x29, 0x02, 24}));
    EXPECT_EQ(DeviceClock::encode(QDateTime(QDate(2027, 3, 1), QTime(0, 0, 0)))[3], 0x01 + 192);
}

TEST_F(DeviceReplies, AHandlerOfAReplyThatWaitsForAnotherIsStoppedInDebugBuilds)
{
#ifdef QT_NO_DEBUG
    GTEST_SKIP() << "the check is a debug build's";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Queued, the handler's read goes on; waited for, it would nest in the wait that brought the reply.
    const QObject handler;
    QObject::connect(&device, &CDevice::NewRTData, &handler, [this] { device.QueueRead(ReadKind::Other, 3, 10, 1); });
    device.ProcessReply(makeRequest(4, 0, 21), statusReply(0, 0));
    EXPECT_TRUE(device.Connected());
    QObject::connect(&device, &CDevice::NewRTData, &handler, [this] { device.MBRead(3, 10, 1); });
    EXPECT_DEATH(device.ProcessReply(makeRequest(4, 0, 21), statusReply(0, 0)), "waits for another reply");
#endif
}
