#include "platform/WinSocket.h"
#include "DeviceTestSupport.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <sys/socket.h>

using platform::WinSocket;

TEST(WinSocketTcp, StatesThroughRefusalConnectionAndPeerClose)
{
    WinSocket socket;
    EXPECT_EQ(socket.State(), WinSocket::sckClosed);

    quint16 closedPort = 0;
    {
        QTcpServer gone;
        ASSERT_TRUE(gone.listen(QHostAddress::LocalHost));
        closedPort = gone.serverPort();
    }
    socket.setRemoteHost(QStringLiteral("127.0.0.1"));
    socket.setRemotePort(closedPort);
    socket.Connect();
    EXPECT_TRUE(waitUntil([&] { return socket.State() == WinSocket::sckError; }));
    EXPECT_EQ(socket.LastError(), QStringLiteral("Connection refused"));
    socket.Close();
    EXPECT_TRUE(socket.LastError().isEmpty());
    EXPECT_EQ(socket.State(), WinSocket::sckClosed);

    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    socket.setRemotePort(server.serverPort());
    socket.Connect();
    ASSERT_TRUE(waitUntil([&] { return socket.State() == WinSocket::sckConnected && server.hasPendingConnections(); }));
    QTcpSocket *peer = server.nextPendingConnection();
    EXPECT_EQ(socket.RemoteHostIP(), QStringLiteral("127.0.0.1"));
    EXPECT_NE(socket.LocalPort(), 0);

    QSignalSpy arrivals(&socket, &WinSocket::DataArrival);
    peer->write("\x01\x02\x03\x04");
    ASSERT_TRUE(waitUntil([&] { return socket.BytesReceived() == 4; }));
    EXPECT_GE(arrivals.count(), 1);
    EXPECT_EQ(socket.PeekData(2), QByteArray("\x01\x02"));
    EXPECT_EQ(socket.BytesReceived(), 4);
    EXPECT_EQ(socket.GetData(3), QByteArray("\x01\x02\x03"));
    EXPECT_EQ(socket.GetData(), QByteArray("\x04"));

    socket.SendData("ping");
    ASSERT_TRUE(waitUntil([&] { return peer->bytesAvailable() == 4; }));
    EXPECT_EQ(peer->readAll(), QByteArray("ping"));

    QSignalSpy closes(&socket, &WinSocket::Closed);
    peer->close();
    ASSERT_TRUE(waitUntil([&] { return closes.count() == 1; }));
    EXPECT_EQ(socket.State(), WinSocket::sckClosing);
    EXPECT_EQ(raisedError([&] { socket.SendData("late"); }), 40020);
    EXPECT_EQ(raisedError([&] { socket.setProtocol(WinSocket::sckUDPProtocol); }), 40020);
    socket.Close();
    EXPECT_EQ(socket.State(), WinSocket::sckClosed);
}

TEST(WinSocketUdp, DatagramsOneAtATime)
{
    WinSocket receiver;
    receiver.setProtocol(WinSocket::sckUDPProtocol);
    receiver.Bind(0, QStringLiteral("127.0.0.1"));
    ASSERT_NE(receiver.LocalPort(), 0);
    EXPECT_EQ(receiver.State(), WinSocket::sckOpen);
    EXPECT_EQ(raisedError([&] { receiver.Bind(); }), 40020) << "bound once";

    WinSocket sender;
    sender.setProtocol(WinSocket::sckUDPProtocol);
    sender.setRemoteHost(QStringLiteral("127.0.0.1"));
    sender.setRemotePort(receiver.LocalPort());
    QSignalSpy arrivals(&receiver, &WinSocket::DataArrival);
    sender.SendData("hello");
    sender.SendData("world!");
    ASSERT_TRUE(waitUntil([&] { return arrivals.count() == 2; }));
    EXPECT_EQ(arrivals.at(0).at(0).toLongLong(), 5);
    EXPECT_EQ(receiver.BytesReceived(), 5);
    EXPECT_EQ(receiver.PeekData(), QByteArray("hello"));
    EXPECT_EQ(receiver.GetData(3), QByteArray("hel")) << "a short read loses the rest of its datagram";
    EXPECT_EQ(receiver.RemoteHostIP(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(receiver.GetData(), QByteArray("world!"));
    EXPECT_EQ(receiver.BytesReceived(), 0);
    EXPECT_TRUE(receiver.GetData().isEmpty());
    EXPECT_EQ(raisedError([&] { receiver.Connect(); }), 40020);
}

namespace {
// A socket connected to a loopback server, and the server's end of the connection.
struct LoopbackConnection {
    QTcpServer server;
    WinSocket socket;
    QTcpSocket *peer = nullptr;

    bool open()
    {
        if (!server.listen(QHostAddress::LocalHost))
            return false;
        socket.setRemoteHost(QStringLiteral("127.0.0.1"));
        socket.setRemotePort(server.serverPort());
        socket.Connect();
        if (!waitUntil([&] { return socket.State() == WinSocket::sckConnected && server.hasPendingConnections(); }))
            return false;
        peer = server.nextPendingConnection();
        return true;
    }
};

// A peer that ends the connection its way once the socket has its bytes.
struct PeerEnd {
    const char *name;
    std::function<void(QTcpSocket &)> end;
};

void resetConnection(QTcpSocket &peer)
{
    const linger abortive{1, 0};
    ::setsockopt(static_cast<int>(peer.socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    peer.close();
}
}  // namespace

TEST(WinSocketTcp, DataKeepsItsOrderWhenTheConnectionFallsBehind)
{
    LoopbackConnection link;
    ASSERT_TRUE(link.open());
    WinSocket &socket = link.socket;
    QTcpSocket *peer = link.peer;

    // Sent without serving events, more than the connection takes at once: the first chunks go
    // straight out, the rest queue behind them, and a chunk sent once the queue has drained goes
    // straight out again.
    const auto chunk = [](int n) { return QByteArray(4096, static_cast<char>(n * 7 + 1)); };
    constexpr int Chunks = 4096;
    QByteArray expected;
    for (int n = 0; n < Chunks; ++n) {
        socket.SendData(chunk(n));
        expected += chunk(n);
    }
    QByteArray received;
    const auto take = [&](qsizetype size) {
        return waitUntil(
            [&] {
                received += peer->readAll();
                return received.size() >= size;
            },
            10.0);
    };
    ASSERT_TRUE(take(expected.size()));
    socket.SendData(chunk(Chunks));
    expected += chunk(Chunks);
    ASSERT_TRUE(take(expected.size()));
    EXPECT_TRUE(received == expected);
}

TEST(WinSocketTcp, WhatCameBeforeThePeerEndedStaysReadable)
{
    const PeerEnd ends[] = {{"orderly close", [](QTcpSocket &peer) { peer.close(); }}, {"reset", resetConnection}};
    for (const PeerEnd &end : ends) {
        SCOPED_TRACE(end.name);
        LoopbackConnection link;
        ASSERT_TRUE(link.open());
        WinSocket &socket = link.socket;
        QTcpSocket *peer = link.peer;
        peer->write("last words");
        ASSERT_TRUE(peer->waitForBytesWritten(1000));
        ASSERT_TRUE(waitUntil([&] { return socket.BytesReceived() == 10; }));
        QSignalSpy closes(&socket, &WinSocket::Closed);
        end.end(*peer);
        ASSERT_TRUE(waitUntil([&] { return closes.count() == 1; }));
        EXPECT_EQ(socket.State(), WinSocket::sckClosing);
        EXPECT_EQ(socket.GetData(), QByteArray("last words"));
    }
}

TEST(WinSocketTcp, HostNameIsLookedUpBeforeConnecting)
{
    // Where "localhost" also names ::1, the IPv4 address is reached after it is refused there.
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    WinSocket socket;
    socket.setRemoteHost(QStringLiteral("localhost"));
    socket.setRemotePort(server.serverPort());
    socket.Connect();
    EXPECT_NE(socket.State(), WinSocket::sckConnected) << "looked up first";
    ASSERT_TRUE(waitUntil([&] { return socket.State() == WinSocket::sckConnected && server.hasPendingConnections(); }));
    EXPECT_EQ(socket.RemoteHostIP(), QStringLiteral("127.0.0.1"));
}

TEST(WinSocketTcp, HandlerMayCloseTheLinkItIsToldAbout)
{
    LoopbackConnection link;
    ASSERT_TRUE(link.open());
    WinSocket &socket = link.socket;
    QTcpSocket *peer = link.peer;
    int arrivals = 0;
    QObject::connect(&socket, &WinSocket::DataArrival, [&] {
        ++arrivals;
        socket.Close();
    });
    peer->write("x");
    ASSERT_TRUE(waitUntil([&] { return arrivals == 1; }));
    peer->write("y");
    waitUntil([] { return false; }, 0.1);
    EXPECT_EQ(arrivals, 1);
    EXPECT_EQ(socket.State(), WinSocket::sckClosed);
}
