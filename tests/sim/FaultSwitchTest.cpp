// The fault switches other tests use to make the device misbehave: each must do exactly its
// harm on the wire, and the device must serve normally once it is switched off.
#include "SimFixture.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <cerrno>

using devsim::Link;

namespace {

const QByteArray statusPoll = hex("01 04 00 00 00 15 31 C5");
const QByteArray writeReg10 = hex("01 06 00 0A 00 63 E9 E1");
constexpr int statusReplySize = 47;

}  // namespace

TEST_P(BothLinks, SilentDeviceHearsButDoesNotAnswer)
{
    auto client = connect(GetParam());
    ASSERT_TRUE(client);
    sim.setSilent(true);
    EXPECT_TRUE(exchange(*client, GetParam(), writeReg10, 8, 300).isEmpty());
    EXPECT_EQ(sim.requests().size(), 1);
    EXPECT_NE(sim.RAM(10), 0x63) << "a silent device carries nothing out";
    sim.setSilent(false);
    EXPECT_EQ(exchange(*client, GetParam(), writeReg10, 8), expected(GetParam(), writeReg10));
}

TEST_P(BothLinks, DelayedAndSplitReplies)
{
    auto client = connect(GetParam());
    ASSERT_TRUE(client);
    const int size = static_cast<int>(expected(GetParam(), QByteArray(statusReplySize, 'x')).size());

    sim.setReplyDelayMs(150);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(exchange(*client, GetParam(), statusPoll, statusReplySize).size(), size);
    EXPECT_GE(clock.elapsed(), 150);

    sim.setReplyDelayMs(0);
    if (GetParam() == Link::Serial) {
        // At 9600 baud, 10 bits a byte, the status reply takes 49 ms on the line.
        sim.setLinePacing(9600);
        clock.restart();
        EXPECT_EQ(exchange(*client, GetParam(), statusPoll, statusReplySize).size(), size);
        EXPECT_GE(clock.elapsed(), size * 10 * 1000 / 9600);
        sim.setLinePacing(0);
    }
    sim.setSplitReplyMs(100);
    const int before = client->arrivals();
    EXPECT_EQ(exchange(*client, GetParam(), statusPoll, statusReplySize).size(), size);
    EXPECT_GE(client->arrivals() - before, 2) << "the reply came in one piece";

    // Two requests at once: the second reply follows the whole first one, not between its pieces.
    const bool serial = GetParam() == Link::Serial;
    const QByteArray poll = serial ? statusPoll : mbap(++transactionId, statusPoll);
    const QByteArray write = serial ? writeReg10 : mbap(++transactionId, writeReg10);
    client->send(poll + write);
    const int pollReplySize = serial ? size : size + 6;  // the MBAP header before unit and function
    const QByteArray replies = client->receive(pollReplySize + static_cast<int>(write.size()));
    EXPECT_EQ(replies.size(), pollReplySize + write.size());
    EXPECT_EQ(replies.right(write.size()).toHex(' '), write.toHex(' ')) << "the echo of the write comes last, whole";
}

TEST_F(SimFixture, WrongCrcAndForeignUnitSpoilRepliesOnly)
{
    auto serial = connect(Link::Serial);
    auto tcp = connect(Link::Tcp);
    ASSERT_TRUE(serial && tcp);
    sim.setWrongCrc(true);
    EXPECT_EQ(exchange(*serial, Link::Serial, writeReg10, 8).toHex(' '), QByteArray("01 06 00 0a 00 63 16 1e"));
    EXPECT_EQ(exchange(*tcp, Link::Tcp, writeReg10, 8), writeReg10.chopped(2)) << "TCP carries no CRC to spoil";
    sim.setWrongCrc(false);

    sim.setForeignUnit(true);
    EXPECT_EQ(exchange(*serial, Link::Serial, writeReg10, 8).toHex(' '), QByteArray("02 06 00 0a 00 63 e9 d2"));
    EXPECT_EQ(exchange(*tcp, Link::Tcp, writeReg10, 8).toHex(' '), QByteArray("02 06 00 0a 00 63"));
}

TEST_F(SimFixture, LineSetToAnotherSpeedIsNoise)
{
    // The client leaves the terminal at its initial 38400 baud.
    auto serial = connect(Link::Serial);
    ASSERT_TRUE(serial);
    sim.setLineSpeed(19200);
    EXPECT_TRUE(exchange(*serial, Link::Serial, writeReg10, 8, 300).isEmpty());
    EXPECT_TRUE(sim.requests().isEmpty()) << "noise is no request";
    sim.setLineSpeed(38400);
    EXPECT_EQ(exchange(*serial, Link::Serial, writeReg10, 8), writeReg10);
    sim.setLineSpeed(0);
    EXPECT_EQ(exchange(*serial, Link::Serial, writeReg10, 8), writeReg10);
}

TEST_F(SimFixture, PulledCableEndsTheClientsPortAndPluggingRestoresIt)
{
    auto client = connect(Link::Serial);
    ASSERT_TRUE(client);
    sim.pullCable();
    ASSERT_TRUE(client->waitClosed());
    EXPECT_TRUE(client->endOfStream() || client->readError() == EIO);
    EXPECT_FALSE(QFileInfo(comLink()).isSymLink()) << "the port has gone";
    EXPECT_FALSE(connect(Link::Serial));

    ASSERT_TRUE(sim.plugCable()) << sim.errorString().toStdString();
    EXPECT_EQ(QFileInfo(comLink()).symLinkTarget(), sim.serialPath());
    auto again = connect(Link::Serial);
    ASSERT_TRUE(again);
    EXPECT_EQ(exchange(*again, Link::Serial, statusPoll, statusReplySize).size(), statusReplySize);
}

TEST_F(SimFixture, ClientClosingThePortLeavesTheDeviceServing)
{
    for (int round = 0; round < 3; ++round) {
        auto client = connect(Link::Serial);
        ASSERT_TRUE(client);
        EXPECT_EQ(exchange(*client, Link::Serial, statusPoll, statusReplySize).size(), statusReplySize);
    }
}

TEST_F(SimFixture, RefusedConnectionsAndListeningAgainOnTheSamePort)
{
    auto existing = connect(Link::Tcp);
    ASSERT_TRUE(existing);
    ASSERT_TRUE(waitFor([&] { return sim.tcpClientCount() == 1; }, 1000));
    ASSERT_TRUE(sim.setRefuseConnections(true));
    errno = 0;
    EXPECT_FALSE(connect(Link::Tcp));
    EXPECT_EQ(errno, ECONNREFUSED);
    EXPECT_EQ(exchange(*existing, Link::Tcp, writeReg10, 8), writeReg10.chopped(2)) << "open connections stay";

    ASSERT_TRUE(sim.setRefuseConnections(false)) << sim.errorString().toStdString();
    EXPECT_EQ(sim.tcpPort(), port);
    auto client = connect(Link::Tcp);
    ASSERT_TRUE(client);
    EXPECT_EQ(exchange(*client, Link::Tcp, writeReg10, 8), writeReg10.chopped(2));
}

TEST_F(SimFixture, DroppedConnectionEndsCleanlyResetOneAborts)
{
    auto dropped = connect(Link::Tcp);
    ASSERT_TRUE(dropped);
    ASSERT_TRUE(waitFor([&] { return sim.tcpClientCount() == 1; }, 1000));
    sim.dropConnections();
    ASSERT_TRUE(dropped->waitClosed());
    EXPECT_TRUE(dropped->endOfStream());

    auto reset = connect(Link::Tcp);
    ASSERT_TRUE(reset);
    ASSERT_TRUE(waitFor([&] { return sim.tcpClientCount() == 1; }, 1000));
    sim.resetConnections();
    ASSERT_TRUE(reset->waitClosed());
    EXPECT_EQ(reset->readError(), ECONNRESET);
    EXPECT_EQ(sim.tcpClientCount(), 0);
}

TEST_F(SimFixture, ResetMidReplyHitsOnlyTheNextReply)
{
    auto client = connect(Link::Tcp);
    ASSERT_TRUE(client);
    sim.resetNextReplyMidway();
    client->send(mbap(1, statusPoll));
    ASSERT_TRUE(client->waitClosed());
    EXPECT_EQ(client->readError(), ECONNRESET);
    const QByteArray part = client->receive(0, 0);
    EXPECT_GT(part.size(), 0);
    EXPECT_LT(part.size(), 51);

    auto again = connect(Link::Tcp);
    ASSERT_TRUE(again);
    EXPECT_EQ(exchange(*again, Link::Tcp, statusPoll, statusReplySize).size(), statusReplySize - 2);
}

TEST_F(SimFixture, InjectedBytesReachEveryClient)
{
    auto serial = connect(Link::Serial);
    auto tcp = connect(Link::Tcp);
    ASSERT_TRUE(serial && tcp);
    ASSERT_TRUE(waitFor([&] { return sim.tcpClientCount() == 1; }, 1000));
    const QByteArray noise = hex("00 ff 01 04 2a 55");
    sim.injectBytes(noise);
    EXPECT_EQ(serial->receive(noise.size()), noise);
    EXPECT_EQ(tcp->receive(noise.size()), noise);
}

TEST_F(SimFixture, GatewayCarriesOutOneRequestAtATimeAndReportsItsDeadDevice)
{
    auto first = connect(Link::Tcp);
    auto second = connect(Link::Tcp);
    ASSERT_TRUE(first && second);
    sim.setGatewayMs(100);
    QElapsedTimer clock;
    clock.start();
    first->send(mbap(1, statusPoll) + mbap(2, writeReg10));
    ASSERT_TRUE(waitFor([&] { return sim.gatewayBacklog() == 2; }, 1000));
    second->send(mbap(3, statusPoll));
    ASSERT_TRUE(waitFor([&] { return sim.gatewayBacklog() == 3; }, 1000)) << "one line for every client";
    EXPECT_NE(sim.RAM(10), 0x63) << "the write waits its turn";
    // Each answer comes one service time after the one before it, in the order asked.
    const struct {
        WireClient *client;
        int size;
        qint64 earliestMs;
    } answers[] = {
        {first.get(), statusReplySize + 4, 100}, {first.get(), 12, 200}, {second.get(), statusReplySize + 4, 300}};
    for (const auto &answer : answers) {
        EXPECT_EQ(answer.client->receive(answer.size).size(), answer.size);
        EXPECT_GE(clock.elapsed(), answer.earliestMs);
    }
    EXPECT_EQ(sim.RAM(10), 0x63);
    EXPECT_EQ(sim.gatewayBacklog(), 0);

    sim.setGatewayDeviceDead(true);
    constexpr int exceptionSize = 5;
    EXPECT_EQ(exchange(*first, Link::Tcp, statusPoll, exceptionSize).toHex(' '), QByteArray("01 84 0b"));
    EXPECT_EQ(exchange(*first, Link::Tcp, hex("01 06 00 0A 00 07 00 00"), exceptionSize).toHex(' '),
              QByteArray("01 86 0b"));
    EXPECT_EQ(sim.RAM(10), 0x63) << "a dead device carries nothing out";
    sim.setGatewayDeviceDead(false);

    sim.setGatewayMs(5000);
    first->send(mbap(4, statusPoll));
    ASSERT_TRUE(waitFor([&] { return sim.gatewayBacklog() == 1; }, 1000));
    clock.restart();
    sim.setGatewayMs(0);
    EXPECT_EQ(first->receive(statusReplySize + 4).size(), statusReplySize + 4) << "switched off, what waits goes";
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(exchange(*first, Link::Tcp, writeReg10, 8), writeReg10.chopped(2));
}
