// How the stand-in finds request frames in what its links deliver: RTU by CRC and line gaps,
// Modbus/TCP by the MBAP length, and how both get over garbage.
#include "SimFixture.h"

#include <QRandomGenerator>

using devsim::Link;

namespace {

const QByteArray statusPoll = hex("01 04 00 00 00 15 31 C5");
const QByteArray writeReg10 = hex("01 06 00 0A 00 63 E9 E1");
constexpr int statusReplySize = 47;

QByteArray randomBytes(QRandomGenerator &random, int size)
{
    QByteArray bytes(size, '\0');
    for (char &c : bytes)
        c = static_cast<char>(random.bounded(256));
    return bytes;
}

}  // namespace

using SerialFraming = SimFixture;
using TcpFraming = SimFixture;

TEST_F(SerialFraming, IgnoresForeignUnitsAndBadCrcButKeepsServing)
{
    auto client = connect(Link::Serial);
    ASSERT_TRUE(client);
    const QByteArray ignored[] = {hex("02 04 00 00 00 15 31 F6"), hex("01 04 00 00 00 15 31 C6")};
    for (const QByteArray &request : ignored) {
        SCOPED_TRACE(request.toHex(' ').toStdString());
        client->send(request);
        EXPECT_TRUE(client->receive(1, 200).isEmpty());
        EXPECT_EQ(exchange(*client, Link::Serial, statusPoll, statusReplySize).size(), statusReplySize);
    }
    ASSERT_FALSE(sim.requests().isEmpty());
    EXPECT_EQ(sim.requests().first().unit, 2) << "a foreign unit's request is seen, not answered";
}

TEST_F(SerialFraming, CompletesSplitRequestsAndSeparatesJoinedOnes)
{
    auto client = connect(Link::Serial);
    ASSERT_TRUE(client);
    client->send(statusPoll.left(3));
    settle(5);
    client->send(statusPoll.mid(3));
    EXPECT_EQ(client->receive(statusReplySize).size(), statusReplySize);

    client->send(statusPoll + writeReg10);
    const QByteArray both = client->receive(statusReplySize + writeReg10.size());
    ASSERT_EQ(both.size(), statusReplySize + writeReg10.size());
    EXPECT_EQ(both.mid(statusReplySize), writeReg10);
}

TEST_F(SerialFraming, UnfinishedFrameIsDroppedAfterTheGap)
{
    auto client = connect(Link::Serial);
    ASSERT_TRUE(client);
    client->send(statusPoll.left(5));
    EXPECT_TRUE(client->receive(1, 200).isEmpty());
    EXPECT_EQ(exchange(*client, Link::Serial, statusPoll, statusReplySize).size(), statusReplySize);
}

TEST_F(TcpFraming, EchoesTransactionIdAndLength)
{
    auto client = connect(Link::Tcp);
    ASSERT_TRUE(client);
    client->send(hex("01 02 00 00 00 06 01 04 00 00 00 15"));
    const QByteArray reply = client->receive(6 + 3 + 42);
    EXPECT_EQ(reply.left(9).toHex(' '), QByteArray("01 02 00 00 00 2d 01 04 2a"));
    EXPECT_EQ(reply.size(), 51);
}

TEST_F(TcpFraming, FramesInPiecesAndTogether)
{
    auto client = connect(Link::Tcp);
    ASSERT_TRUE(client);
    const QByteArray poll = mbap(7, statusPoll);
    client->send(poll.left(3));
    settle(20);
    client->send(poll.mid(3));
    EXPECT_EQ(client->receive(51).size(), 51);

    // A frame of another protocol between two good ones is skipped.
    QByteArray foreignProtocol = mbap(8, statusPoll);
    foreignProtocol[3] = 1;
    client->send(mbap(9, statusPoll) + foreignProtocol + mbap(10, writeReg10));
    const QByteArray replies = client->receive(51 + 12, 1000);
    ASSERT_EQ(replies.size(), 51 + 12);
    EXPECT_EQ(replies.mid(51).toHex(' '), mbap(10, writeReg10).toHex(' '));
    EXPECT_TRUE(client->receive(1, 100).isEmpty());
}

TEST_F(TcpFraming, ImpossibleLengthDiscardsPendingBytesOnly)
{
    auto client = connect(Link::Tcp);
    ASSERT_TRUE(client);
    for (const char *header : {"00 05 00 00 00 00", "00 05 00 00 00 01", "00 05 00 00 00 ff", "00 05 00 00 01 05"}) {
        SCOPED_TRACE(header);
        client->send(hex(header) + mbap(11, statusPoll));
        EXPECT_TRUE(client->receive(1, 150).isEmpty());
        EXPECT_EQ(exchange(*client, Link::Tcp, statusPoll, statusReplySize).size(), statusReplySize - 2);
    }
}

TEST_F(TcpFraming, StandardMultipleWriteWithByteCountIsRefused)
{
    auto client = connect(Link::Tcp);
    ASSERT_TRUE(client);
    client->send(hex("00 01 00 00 00 0b 01 10 00 0a 00 02 04 00 01 00 02"));
    EXPECT_EQ(client->receive(9).toHex(' '), QByteArray("00 01 00 00 00 03 01 90 03"));
}

TEST_F(TcpFraming, ServesClientsInTurnAndTogether)
{
    for (int round = 0; round < 3; ++round) {
        auto client = connect(Link::Tcp);
        ASSERT_TRUE(client);
        EXPECT_EQ(exchange(*client, Link::Tcp, statusPoll, statusReplySize).size(), statusReplySize - 2);
    }
    auto first = connect(Link::Tcp);
    auto second = connect(Link::Tcp);
    ASSERT_TRUE(first && second);
    first->send(mbap(1, statusPoll));
    second->send(mbap(2, statusPoll));
    EXPECT_EQ(first->receive(51).left(2), QByteArray::fromHex("0001"));
    EXPECT_EQ(second->receive(51).left(2), QByteArray::fromHex("0002"));
}

// Garbage of every length, some of it starting like a real request, must neither crash the
// stand-in (the sanitizer build watches its buffers) nor stop it answering afterwards.
TEST_P(BothLinks, SurvivesRandomBytes)
{
    QRandomGenerator random(20240229);
    auto client = connect(GetParam());
    ASSERT_TRUE(client);
    for (int round = 0; round < 200; ++round) {
        QByteArray noise = randomBytes(random, 1 + static_cast<int>(random.bounded(300)));
        if (round % 3 == 0)
            noise.prepend(GetParam() == Link::Serial ? statusPoll.left(1 + round % 7) : mbap(1, statusPoll).left(6));
        client->send(noise);
        if (round % 20 == 0)
            settle(1);
    }
    settle(100);
    if (GetParam() == Link::Tcp)
        client = connect(Link::Tcp);  // the stream may still be mid-frame
    ASSERT_TRUE(client);
    client->receive(0, 0);
    EXPECT_EQ(exchange(*client, GetParam(), statusPoll, statusReplySize).size(),
              expected(GetParam(), QByteArray(statusReplySize, 'x')).size());
}

TEST_F(TcpFraming, LargestMultipleWriteFillsTheWordWindow)
{
    auto client = connect(Link::Tcp);
    ASSERT_TRUE(client);
    QByteArray request = hex("00 09 00 00 00 fe 01 10 01 00 00 7c");
    for (int i = 0; i < 124; ++i)
        request.append(static_cast<char>(i)).append(static_cast<char>(0x80 + i));
    client->send(request);
    EXPECT_EQ(client->receive(12).toHex(' '), QByteArray("00 09 00 00 00 06 01 10 01 00 00 7c"));
    EXPECT_EQ(sim.RAM(0), 0x80);
    EXPECT_EQ(sim.RAM(1), 0x00);
    EXPECT_EQ(sim.RAM(246), 0x80 + 123);
    EXPECT_EQ(sim.RAM(247), 123);
}
