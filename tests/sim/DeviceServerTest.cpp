// The stand-in's interface module on loopback: its datagrams, its stored setup record and the move
// of its Modbus/TCP listener to an assigned address.
#include "lib/DeviceServer.h"
#include "SimFixture.h"

#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>

namespace {

class ModuleOnLoopback : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim.deviceServer().setMac(hex("00204A12ABCD"));
        tcpPort = sim.startTcp(0);
        udpPort = sim.deviceServer().start(0);
        ASSERT_NE(tcpPort, 0);
        ASSERT_NE(udpPort, 0);
        ASSERT_TRUE(console.bind(QHostAddress::LocalHost, 0));
    }

    // Sends a datagram and returns the answers that came within ms.
    QList<QNetworkDatagram> exchange(const QByteArray &datagram, int ms = 300)
    {
        console.writeDatagram(datagram, QHostAddress::LocalHost, udpPort);
        QList<QNetworkDatagram> answers;
        waitFor(
            [&] {
                while (console.hasPendingDatagrams())
                    answers << console.receiveDatagram();
                return false;
            },
            ms);
        return answers;
    }

    bool listensOn(const char *address)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress(QString::fromLatin1(address)), tcpPort);
        return waitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 1000);
    }

    devsim::DeviceSim sim;
    QUdpSocket console;
    quint16 tcpPort = 0;
    quint16 udpPort = 0;
};

TEST_F(ModuleOnLoopback, AnswersDiscoveryAndSetupQueries)
{
    const QList<QNetworkDatagram> discovery = exchange(hex("000000F6"));
    ASSERT_EQ(discovery.size(), 1);
    EXPECT_EQ(discovery[0].data().size(), 30);
    EXPECT_EQ(discovery[0].data().left(4), hex("000000F7"));
    EXPECT_EQ(discovery[0].data().mid(24), hex("00204A12ABCD"));
    EXPECT_EQ(discovery[0].senderPort(), udpPort);

    const QList<QNetworkDatagram> setup = exchange(hex("000000F8"));
    ASSERT_EQ(setup.size(), 1);
    const QByteArray record = setup[0].data();
    ASSERT_EQ(record.size(), devsim::DeviceServer::RecordLength);
    EXPECT_EQ(record.left(8), hex("000000F97F000001"));
    EXPECT_EQ(record.mid(16, 4), hex("00000000"));

    // Nothing else is answered: short, without the zero header, of another kind.
    for (const char *other : {"", "0000", "000000", "010000F6", "000100F8", "000000F7", "000000F9", "00000042"})
        EXPECT_TRUE(exchange(hex(other), 100).isEmpty()) << other;
    EXPECT_EQ(sim.deviceServer().received().size(), 10);
}

TEST_F(ModuleOnLoopback, SetupWriteOfTheRecordsLengthReplacesIt)
{
    QByteArray write = sim.deviceServer().setupRecord();
    write.replace(0, 8, hex("000000FD0A000014"));
    write[119] = '\x5A';
    exchange(write.left(119));
    exchange(write + "x");
    EXPECT_EQ(sim.deviceServer().setupRecord().mid(4, 4), hex("7F000001")) << "a write of another length counts";
    exchange(write);
    const QList<QNetworkDatagram> setup = exchange(hex("000000F8"));
    ASSERT_EQ(setup.size(), 1);
    EXPECT_EQ(setup[0].data(), QByteArray(write).replace(3, 1, "\xF9"));
    EXPECT_EQ(setup[0].senderAddress(), QHostAddress(QHostAddress::LocalHost)) << "the address waits for an FC";
}

TEST_F(ModuleOnLoopback, RepeatedAnswers)
{
    // The console's tests find the late and the wrongly sized answers out; not so a repeated one.
    sim.deviceServer().setReplyCopies(2);
    EXPECT_EQ(exchange(hex("000000F6")).size(), 2);
}

TEST_F(ModuleOnLoopback, IpAssignmentForItsMacMovesTheModule)
{
    const QByteArray forOther = hex("000000FC49502D53455455500000ABCE7F000002");
    const QByteArray untagged = hex("000000FC49502D53455455510000ABCD7F000002");
    exchange(forOther);
    exchange(untagged);
    exchange(untagged.left(19));
    EXPECT_TRUE(listensOn("127.0.0.1"));

    exchange(hex("000000FC49502D53455455500000ABCD7F000002"));
    EXPECT_TRUE(listensOn("127.0.0.2"));
    EXPECT_FALSE(listensOn("127.0.0.1"));
    const QList<QNetworkDatagram> discovery = exchange(hex("000000F6"));
    ASSERT_EQ(discovery.size(), 1);
    EXPECT_EQ(discovery[0].senderAddress(), QHostAddress(QStringLiteral("127.0.0.2")));
    EXPECT_EQ(sim.deviceServer().setupRecord().mid(4, 4), hex("7F000002"));
}

}  // namespace
