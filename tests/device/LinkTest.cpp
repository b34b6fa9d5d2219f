#include "LinkFixture.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

TEST_P(BothLinks, StatusPollDecodedFromTheStandIn)
{
    sim.setStatusBit(50, true);
    sim.setIOByte(0x05);
    sim.setNewestRecord(devsim::EventLog::N, 0x1234);
    sim.setNewestRecord(devsim::EventLog::V, 0x0321);
    sim.setTurnOffDelay(7);
    ASSERT_TRUE(open(ethernet()));
    EventRecorder recorder(device());
    sim.clearRequests();
    EXPECT_TRUE(poll());

    ASSERT_EQ(sim.requests().size(), 1);
    const QByteArray wire = sim.requests().first().frame;
    if (ethernet())
        EXPECT_EQ(wire.mid(2).toHex(' '), hex("00000006 010400000015").toHex(' '));
    else
        EXPECT_EQ(wire.toHex(' '), hex("010400000015 31C5").toHex(' '));
    EXPECT_EQ(device().FirmwareVersion(), 0x12);
    EXPECT_EQ(device().FirmwareID(), 24);
    EXPECT_EQ(device().SerialNumber(), QStringLiteral("XR-S-204001"));
    EXPECT_TRUE(device().Bit(50));
    EXPECT_EQ(device().IOByte(), 0x05);
    EXPECT_EQ(device().MostRecentEventN(), 0x1234);
    EXPECT_EQ(device().MostRecentEventV(), 0x0321);
    EXPECT_EQ(device().RAM(208), 7);
    // On TCP the first data to arrive while not connected announces itself as well.
    const QStringList order =
        (ethernet() ? QStringList{"ConnectionStatusChanged"} : QStringList{}) +
        QStringList{"ConnectionStatusChanged", "IOStatusChanged", "NewRAMData(231,2)", "NewRAMData(241,2)",
                    QStringLiteral("NewRTData(%1)").arg(ethernet() ? 45 : 47)};
    EXPECT_EQ(recorder.events, order);
    EXPECT_EQ(device().MissedReplies(), ethernet() ? 0 : 1);
}

TEST_P(BothLinks, AReplyAndItsRequestKeptByAListenerStayAsTheyCame)
{
    // The link reuses a handled request and its reply's memory only when nothing else holds them.
    ASSERT_TRUE(open(ethernet()));
    struct Kept {
        MBRequestPtr request;
        int transactionId;
        QByteArray reply;
    };
    std::vector<Kept> kept;
    std::vector<const char *> blocks;
    QObject::connect(&device(), &CDevice::NewRTData,
                     [&kept, &blocks](const MBRequestPtr &request, const QByteArray &data) {
                         blocks.push_back(data.constData());
                         if (kept.size() < 2)
                             kept.push_back({request, request->TransactionID(), data});
                     });
    for (const uint8_t io : {0x05, 0x0A, 0x0F, 0x03}) {
        sim.setIOByte(io);
        ASSERT_TRUE(poll());
    }
    ASSERT_EQ(kept.size(), 2u);
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(blocks[3], blocks[2]) << "a reply no listener kept leaves its block to the next: no allocation a poll";
    for (std::size_t i = 0; i < kept.size(); ++i) {
        EXPECT_EQ(kept[i].request->TransactionID(), kept[i].transactionId);
        EXPECT_EQ(kept[i].request->Key, QStringLiteral("K%1").arg(kept[i].transactionId));
        // Unit, function, byte count, then the status registers with the IO byte at 19.
        EXPECT_EQ(static_cast<uint8_t>(kept[i].reply.at(3 + 19)), i == 0 ? 0x05 : 0x0A);
    }
    EXPECT_EQ(device().IOByte(), 0x03);
}

TEST_P(BothLinks, CommandsWriteTheirRegistersInOrder)
{
    sim.setAdminPassword("abc");
    ASSERT_TRUE(open(ethernet()));
    ASSERT_TRUE(poll());
    sim.clearRequests();
    const auto writes = [](int first, QList<int> values) {
        QStringList lines;
        for (int v : values)
            lines << QStringLiteral("6/%1/%2").arg(first++).arg(v);
        return lines;
    };

    device().AdminLogOn(QStringLiteral("abc"));
    settle();
    EXPECT_EQ(received(), writes(215, {97, 98, 99, 0, 255, 255, 255, 255}) + QStringList{"6/205/4"});
    EXPECT_TRUE(sim.statusBit(50)) << "the stand-in took the password";

    device().SuperUserLogOn(QStringLiteral("0123456789"));
    settle();
    EXPECT_EQ(received(), writes(215, {48, 49, 50, 51, 52, 53, 54, 55}) + QStringList{"6/205/7"});

    QString password;
    device().ChangeAdminPsw(password);
    settle();
    EXPECT_EQ(password, QString(8, QChar(255)));
    EXPECT_EQ(received(), QStringList{"5/309/65280"} + writes(215, QList<int>(8, 255)) + QStringList{"6/205/6"});
    EXPECT_TRUE(sim.adminPassword().isEmpty());
    EXPECT_TRUE(sim.statusBit(53));

    password = QStringLiteral("new");
    device().ChangeSuperUserPsw(password);
    settle();
    EXPECT_EQ(received(),
              QStringList{"5/311/0"} + writes(215, {110, 101, 119, 0, 255, 255, 255, 255}) + QStringList{"6/205/9"});
    EXPECT_EQ(sim.superUserPassword(), QByteArray("new"));

    device().AdminLogOff();
    settle();
    EXPECT_EQ(received(), (QStringList{"6/205/5", "6/205/8", "3/38/1"}));

    device().SetClock(QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9)));
    settle();
    EXPECT_EQ(received(), writes(215, {0x09, 0x05, 0x13, 0x29, 0x02, 24}) + QStringList{"6/205/2"});
    EXPECT_EQ(sim.clock().date(), QDate(2024, 2, 29));
}

TEST_P(BothLinks, ImageReadsAndWrites)
{
    ASSERT_TRUE(open(ethernet()));
    for (int i = 0; i < 12; ++i)
        sim.setRAM(i, static_cast<quint8>(0xA0 + i));
    EventRecorder recorder(device());
    device().MBRead(3, 258, 4);
    settle();
    EXPECT_EQ(recorder.events,
              (ethernet() ? QStringList{"ConnectionStatusChanged"} : QStringList{}) + QStringList{"NewRAMData(4,8)"});
    for (int i = 4; i < 12; ++i)
        EXPECT_EQ(device().RAM(i), 0xA0 + i) << i;

    sim.clearRequests();
    device().setRAM2(10, 1000);
    device().setRAM2(11, 1000);
    device().setRAM2(255, 5);
    device().setRAM(7, 300);
    device().setRAM(7, -5);
    device().setBit(53, true);
    settle();
    EXPECT_EQ(received(), (QStringList{"6/261/1000", "6/517/1000", "6/7/255", "6/7/0", "5/309/65280"}));
    EXPECT_EQ(sim.RAM(10), 1000 & 0xFF);
    EXPECT_EQ(sim.RAM(11) + 256 * sim.RAM(12), 1000);
    EXPECT_TRUE(sim.statusBit(53));

    device().MBWriteMultipleRegisters(215, 2, {0x1234, 0x00FF});
    settle();
    ASSERT_EQ(sim.requests().size(), 1);
    const QByteArray pdu = hex("011000D70002 123400FF");
    EXPECT_EQ(ethernet() ? sim.requests().first().frame.mid(6) : sim.requests().first().frame.chopped(2), pdu);
}

TEST_P(BothLinks, LogReadsFillTheirRows)
{
    for (int r = 0; r < 4; ++r) {
        sim.setLogRecord(devsim::EventLog::N, 4 + r, QByteArray(8, static_cast<char>(0x10 + r)));
        sim.setLogRecord(devsim::EventLog::V, r, QByteArray(8, static_cast<char>(0x20 + r)));
    }
    ASSERT_TRUE(open(ethernet()));
    ASSERT_TRUE(poll());
    EventRecorder recorder(device());
    device().MBRead(4, 4100, 16);
    device().MBRead(4, 12288, 16);
    settle();
    EXPECT_EQ(recorder.events, (QStringList{"LogUpdated(4,4)", "LogUpdated(8192,4)"}));
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(device().LogListN(4 + r), QByteArray(8, static_cast<char>(0x10 + r)));
        EXPECT_EQ(device().LogListV(r), QByteArray(8, static_cast<char>(0x20 + r)));
    }
}

TEST_P(BothLinks, SilentDeviceThenBack)
{
    ASSERT_TRUE(open(ethernet()));
    ASSERT_TRUE(poll());
    sim.setSilent(true);
    const double cpuBefore = threadCpuSeconds();
    for (int i = 1; i <= 3; ++i) {
        pollUnanswered();
        EXPECT_TRUE(device().Connected()) << "poll " << i;
    }
    pollUnanswered();
    EXPECT_LT(threadCpuSeconds() - cpuBefore, 0.1) << "the waits for the missing replies sleep";
    // On the serial link the fourth unanswered poll's time-out brings the count from 7 to 8; on
    // TCP a lost reply never disconnects.
    EXPECT_EQ(device().Connected(), ethernet());
    EXPECT_EQ(device().MissedReplies(), ethernet() ? 4 : 9);
    sim.setSilent(false);
    if (ethernet())
        device().Reset();
    EXPECT_TRUE(poll());
}

TEST_P(BothLinks, SplitReplyIsCompleted)
{
    sim.setSplitReplyMs(40);
    ASSERT_TRUE(open(ethernet()));
    EXPECT_TRUE(poll());
    EXPECT_EQ(device().SerialNumber(), QStringLiteral("XR-S-204001"));
}

TEST_P(BothLinks, RandomBytesOnTheLineThenRecovery)
{
    ASSERT_TRUE(open(ethernet()));
    QRandomGenerator random(7);
    for (int burst = 0; burst < 5; ++burst) {
        QByteArray junk(random.bounded(1, 300), '\0');
        for (char &b : junk)
            b = static_cast<char>(random.bounded(256));
        sim.injectBytes(junk);
        runEventsFor(0.05);
        device().CheckStatus();
        settle(0.5);
    }
    device().Reset();
    EXPECT_TRUE(poll());
}

TEST_P(BothLinks, LentLinkCarriesOnlyTheBootLoaderCommand)
{
    ASSERT_TRUE(open(ethernet()));
    ASSERT_TRUE(poll());
    device().MBRead(3, 10, 1);  // queued before the loan (on TCP still unanswered)
    sim.setSilent(true);
    runEventsFor(0.05);
    sim.clearRequests();
    {
        const CDevice::LinkLoan loan(device());
        EXPECT_EQ(device().PendingRequests().Count(), 0) << "what was queued is dropped";
        device().MBRead(3, 233, 3);
        device().CheckStatus();
        device().EnterBootLoader();
        waitUntil([this] { return !sim.requests().isEmpty(); });
        runEventsFor(0.05);
        EXPECT_EQ(received(), QStringList{"6/205/3"});
        // Bytes for the borrower stay where they are.
        sim.injectBytes(hex("FFFF00000003 010300"));
        runEventsFor(0.05);
        EXPECT_GT(ethernet() ? mdlMain::wskEthernet().BytesReceived() : mdlMain::Port().InBufferCount(), 0);
    }
    sim.setSilent(false);
    device().Reset();
    EXPECT_TRUE(poll());
}

INSTANTIATE_TEST_SUITE_P(Links, BothLinks, ::testing::Values(false, true), linkName);

using SerialLink = LinkFixture;

TEST_F(SerialLink, ForeignUnitFlushesAndWrongCrcIsDropped)
{
    ASSERT_TRUE(open(false));
    sim.setForeignUnit(true);
    device().CheckStatus();
    EXPECT_FALSE(device().Connected());
    EXPECT_EQ(mdlMain::Port().InBufferCount(), 0) << "the foreign reply was flushed";
    sim.setForeignUnit(false);

    sim.setWrongCrc(true);
    const int32_t before = device().MissedReplies();
    device().CheckStatus();
    EXPECT_FALSE(device().Connected());
    EXPECT_EQ(device().MissedReplies(), before + 1) << "a bad CRC counts as answered: only the poll's own 1";
    sim.setWrongCrc(false);
    EXPECT_TRUE(poll());
}

TEST_F(SerialLink, EightPassedByAPollStillDisconnectsAtTheNextTimeOut)
{
    ASSERT_TRUE(open(false));
    ASSERT_TRUE(poll());
    ASSERT_EQ(device().MissedReplies(), 1);
    sim.setSilent(true);
    device().MBWriteRegister(100, 1);  // time-out: 2
    device().CheckStatus();            // time-out 3, poll 4
    device().CheckStatus();            // 5, 6
    device().CheckStatus();            // 7, then the poll's own 1 makes 8
    EXPECT_EQ(device().MissedReplies(), 8);
    EXPECT_TRUE(device().Connected()) << "only a time-out disconnects";
    device().CheckStatus();  // time-out 9
    EXPECT_FALSE(device().Connected());
    sim.setSilent(false);
    EXPECT_TRUE(poll()) << "an answered poll connects again";
}

TEST_F(SerialLink, CablePulledAndPluggedAgain)
{
    ASSERT_TRUE(open(false));
    ASSERT_TRUE(poll());
    // The watchdog's poll, answered after it was counted: nothing is missed when the cable goes.
    device().QueueStatusPoll();
    ASSERT_TRUE(QTest::qWaitFor([this] { return device().MissedReplies() == 0; }, 1000));
    // The loss is told as a device gone, not one being identified.
    bool identifyingWhenLost = false;
    const QObject listening;
    QObject::connect(&device(), &CDevice::ConnectionStatusChanged, &listening,
                     [this, &identifyingWhenLost] { identifyingWhenLost |= device().Connecting(); });
    // Pulled while a reply is awaited, before any request has gone unanswered.
    sim.setReplyDelayMs(100);
    QTimer::singleShot(20, &listening, [this] { sim.pullCable(); });
    const double start = platform::clock::monotonicSeconds();
    for (int i = 0; i < 4; ++i)
        device().CheckStatus();
    EXPECT_FALSE(device().Connected());
    EXPECT_LT(platform::clock::monotonicSeconds() - start, 2.0) << "each request ends at its time-out";
    EXPECT_FALSE(identifyingWhenLost);
    ASSERT_TRUE(sim.plugCable());
    EXPECT_TRUE(mdlMain::OpenDevicePort());
    EXPECT_TRUE(device().Connected());
}

TEST_F(SerialLink, ReleasedFromAnEventOfItsOwnWait)
{
    // The window closed while a request waits for its reply: the link goes once that wait returns.
    ASSERT_TRUE(open(false));
    sim.setReplyDelayMs(100);
    const QPointer<CDevice> released = &device();
    QTimer::singleShot(20, [] { mdlMain::ReleaseLink(); });
    released->MBRead(3, 10, 1);
    ASSERT_FALSE(released.isNull()) << "released under its own wait";
    EXPECT_EQ(released->PendingRequests().Count(), 0) << "the request still had its turn";
    EXPECT_TRUE(QTest::qWaitFor([&released] { return released.isNull(); }, 1000)) << "released once no wait runs";
}

using TcpLink = LinkFixture;

TEST_F(TcpLink, RefusedConnectionFailsAtOnceAndRecovers)
{
    ASSERT_TRUE(sim.setRefuseConnections(true));
    const double start = platform::clock::monotonicSeconds();
    EXPECT_FALSE(open(true));
    EXPECT_LT(platform::clock::monotonicSeconds() - start, 0.5);
    EXPECT_EQ(mdlMain::LinkErrorDescription(),
              QStringLiteral("Cannot open the COM port: port already open or wrong port settings"));
    mdlMain::OpenDevicePort();
    EXPECT_EQ(device().MissedReplies(), 101) << "the status poll goes out even after a failed open";
    ASSERT_TRUE(sim.setRefuseConnections(false));
    EXPECT_TRUE(open(true));
    EXPECT_TRUE(mdlMain::LinkErrorDescription().isEmpty());
    EXPECT_TRUE(poll());
}

TEST_F(TcpLink, ResetMidReplyThenRestored)
{
    ASSERT_TRUE(open(true));
    ASSERT_TRUE(poll());
    sim.resetNextReplyMidway();
    device().CheckStatus();
    waitUntil([] { return mdlMain::wskEthernet().State() != platform::WinSocket::sckConnected; });
    EXPECT_NE(mdlMain::wskEthernet().State(), platform::WinSocket::sckConnected);
    EXPECT_TRUE(mdlMain::OpenDevicePort());
    settle();
    EXPECT_TRUE(device().Connected());
}

TEST_F(TcpLink, OpenKeepsAConnectedSocketAndFollowsAPortChange)
{
    ASSERT_TRUE(open(true));
    ASSERT_TRUE(poll());
    EXPECT_TRUE(open(true));
    EXPECT_FALSE(device().Connected()) << "opening resets the device object";
    EXPECT_EQ(sim.tcpClientCount(), 1) << "the same address and port keep their connection";

    devsim::DeviceSim other;
    mdlMain::TCPPort = other.startTcp(0);
    ASSERT_NE(mdlMain::TCPPort, 0);
    EXPECT_TRUE(open(true));
    EXPECT_TRUE(waitUntil([&] { return sim.tcpClientCount() == 0; }));
    EXPECT_EQ(other.tcpClientCount(), 1);
    EXPECT_TRUE(poll());
}

TEST_F(TcpLink, OldRequestsAgeOutWhenTheNextReplyArrives)
{
    ASSERT_TRUE(open(true));
    sim.setSilent(true);
    device().MBRead(3, 0, 1);
    device().MBRead(3, 1, 1);
    waitUntil([this] { return sim.requests().size() == 2; });
    EXPECT_EQ(device().PendingRequests().Count(), 2);
    platform::clock::setTestOffset(10.5);
    sim.setSilent(false);
    device().MBRead(3, 2, 1);
    EXPECT_TRUE(settle());
    EXPECT_EQ(device().PendingRequests().Count(), 0) << "the two unanswered requests were over 10 s old";

    sim.setSilent(true);
    device().MBRead(3, 3, 1);
    waitUntil([this] { return sim.requests().size() == 4; });
    platform::clock::setTestOffset(19.0);
    sim.setSilent(false);
    device().MBRead(3, 4, 1);
    waitUntil([this] { return device().PendingRequests().Count() == 1; });
    EXPECT_EQ(device().PendingRequests().Count(), 1) << "a request 8.5 s old stays";
}

TEST_F(TcpLink, RequestsOfASilentDeviceAgeOutWithoutData)
{
    ASSERT_TRUE(open(true));
    sim.setSilent(true);
    device().MBRead(3, 0, 1);
    platform::clock::setTestOffset(2.0);
    device().MBRead(3, 1, 1);
    waitUntil([this] { return sim.requests().size() == 2; });
    platform::clock::setTestOffset(10.6);
    EXPECT_TRUE(waitUntil([this] { return device().PendingRequests().Count() == 1; }, 3.0));
    ASSERT_EQ(device().PendingRequests().Count(), 1);
    EXPECT_EQ(device().PendingRequests().Item(1)->StartAddress(), 1) << "the request 8.6 s old stays";
}

TEST_F(TcpLink, AgeingTimerRunsOnWhileRequestsComeAndStopsWhenNoneWaits)
{
    ASSERT_TRUE(open(true));
    const auto *ageing = device().findChild<QTimer *>(QStringLiteral("tcpAgeing"));
    ASSERT_NE(ageing, nullptr);
    EXPECT_FALSE(ageing->isActive());
    ASSERT_TRUE(poll());
    EXPECT_TRUE(ageing->isActive()) << "not stopped and started again for every reply";
    EXPECT_TRUE(waitUntil([&] { return !ageing->isActive(); }, 1.5)) << "an idle link is not woken every second";

    sim.setSilent(true);
    device().MBRead(3, 0, 1);
    runEventsFor(1.5);
    EXPECT_TRUE(ageing->isActive()) << "a request still waits";
}

TEST_F(TcpLink, TransactionIdsAreMatchedOnBothBytes)
{
    ASSERT_TRUE(open(true));
    sim.setSilent(true);
    while (device().MBTransactionID() != 0x0101) {
    }
    device().MBRead(3, 10, 1);
    ASSERT_EQ(device().PendingRequests().Item(1)->TransactionID(), 0x0102);
    struct Case {
        const char *name;
        const char *transactionId;
        bool matched;
    };
    const Case cases[] = {
        {"low byte alike", "0202", false}, {"high byte alike", "0101", false}, {"both", "0102", true}};
    for (const Case &c : cases) {
        sim.injectBytes(hex(c.transactionId) + hex("00000005 01030200AB"));
        waitUntil([] { return mdlMain::wskEthernet().BytesReceived() == 0; });
        runEventsFor(0.05);
        EXPECT_EQ(device().PendingRequests().Count(), c.matched ? 0 : 1) << c.name;
        EXPECT_EQ(device().RAM(10), c.matched ? 0xAB : 0) << c.name;
    }
}

TEST_F(TcpLink, PollAndWritesPassWaitingReadsInASmallWindow)
{
    ASSERT_TRUE(open(true));
    sim.setSilent(true);
    device().MBRead(3, 1, 1);
    device().MBRead(4, 272, 5);  // the window is full
    device().MBRead(3, 2, 1);
    device().MBRead(4, 272, 5);  // the same read again, while the first is out: it waits
    device().MBWriteRegister(100, 7);
    device().CheckStatus();
    device().MBRead(3, 2, 1);  // asked again before it went out: replaces the waiting one
    device().CheckStatus();
    EXPECT_EQ(device().PendingRequests().Count(), 6);
    EXPECT_TRUE(waitUntil([this] { return sim.requests().size() == 2; }));
    EXPECT_EQ(received(), (QStringList{"3/1/1", "4/272/5"}));
    runEventsFor(0.8);
    EXPECT_EQ(received(), QStringList()) << "nothing more while two wait for their replies";
    // Unanswered, the oldest leaves the window after a second and the next a second after that: a
    // gateway starts on a request only once the one before it is done, so two stay outstanding.
    // They leave the window, not the queue: a late reply is still taken. The write goes first,
    // then the poll and the reads take turns.
    EXPECT_TRUE(waitUntil([this] { return sim.requests().size() == 4; }, 4.5));
    const QList<devsim::SimRequest> later = sim.requests();
    EXPECT_EQ(received(), (QStringList{"6/100/7", "4/0/21", "3/2/1", "4/272/5"}));
    ASSERT_EQ(later.size(), 4);
    for (int i = 1; i < later.size(); ++i)
        EXPECT_GE(later[i].receivedUs - later[i - 1].receivedUs, 900000) << "one place freed at a time, " << i;
    // Asked in the order write, poll, read, poll: the read and the poll that went out are the last.
    EXPECT_EQ(later[1].transactionId, later[0].transactionId + 3);
    EXPECT_EQ(later[2].transactionId, later[0].transactionId + 2);
    EXPECT_EQ(device().PendingRequests().Count(), 6);
}

TEST_F(TcpLink, MissedRepliesCountOnlyTheDevicesOwnAnswers)
{
    ASSERT_TRUE(open(true));
    const struct {
        const char *name;
        bool deadGateway;  // else silent
        int polls;
        const char *reply;  // to the read queued first, or with `toPoll` to the first poll
        bool toPoll;
        int missed;
        bool connected;
    } cases[] = {
        {"seven unanswered polls", false, 7, nullptr, false, 7, true},
        {"the eighth marks it lost", false, 8, nullptr, false, 8, false},
        {"eight polls answered by a gateway for its dead device", true, 8, nullptr, false, 8, false},
        {"a read answered", false, 3, "01030200AB", false, 0, true},
        {"a read the device refuses", false, 3, "018302", false, 0, true},
        {"a read the gateway could not carry out", false, 3, "01830B", false, 3, true},
        {"a read the gateway had no path for", false, 3, "01830A", false, 3, true},
        {"a poll answered by an exception", false, 3, "018404", true, 3, true},
    };
    double clockOffset = 0.0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // Later than every request of the case before: given up and aged out.
        clockOffset += CDevice::TcpRequestLifetime + 1.0;
        platform::clock::setTestOffset(clockOffset);
        sim.setSilent(false);
        sim.setGatewayDeviceDead(false);
        device().Reset();
        device().CheckStatus();
        ASSERT_TRUE(waitUntil([this] { return device().Connected(); }));
        ASSERT_EQ(device().MissedReplies(), 0);
        sim.setSilent(!c.deadGateway);
        sim.setGatewayDeviceDead(c.deadGateway);
        sim.clearRequests();
        device().MBRead(3, 10, 1);
        for (int i = 0; i < c.polls; ++i) {
            device().CheckStatus();
            runEventsFor(0.02);
        }
        if (c.reply) {
            const devsim::SimRequest &target = sim.requests().at(c.toPoll ? 1 : 0);
            const QByteArray pdu = hex(c.reply);
            QByteArray header = hex("000000000000");
            header[0] = static_cast<char>(target.transactionId >> 8);
            header[1] = static_cast<char>(target.transactionId & 0xFF);
            header[5] = static_cast<char>(pdu.size());
            sim.injectBytes(header + pdu);
            waitUntil([] { return mdlMain::wskEthernet().BytesReceived() == 0; });
            runEventsFor(0.05);
        }
        EXPECT_EQ(device().MissedReplies(), c.missed);
        EXPECT_EQ(device().Connected(), c.connected);
    }
}

TEST_F(TcpLink, ImpossibleLengthDiscardsThePendingData)
{
    ASSERT_TRUE(open(true));
    sim.setSilent(true);
    // The reply to the first request (transaction 1), as the stand-in would send it.
    const QByteArray reply = hex("00010000002D 01042A") + QByteArray(42, '\x01');
    for (const bool badHeaderFirst : {true, false}) {
        device().Reset();
        device().CheckStatus();
        EXPECT_TRUE(waitUntil([this] { return !sim.requests().isEmpty(); }));
        sim.clearRequests();
        QByteArray bytes = reply;
        bytes[1] = static_cast<char>(device().PendingRequests().Item(1)->TransactionID());
        sim.injectBytes(badHeaderFirst ? hex("000500000105") + bytes : bytes);
        waitUntil([this] { return device().PendingRequests().Count() == 0; }, 0.3);
        EXPECT_EQ(device().Connected(), !badHeaderFirst) << "bad header first: " << badHeaderFirst;
        EXPECT_EQ(mdlMain::wskEthernet().BytesReceived(), 0);
    }
}
