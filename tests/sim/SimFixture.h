#pragma once

#include "EventLoopWait.h"
#include "WireClient.h"
#include "lib/DeviceSim.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

inline QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

// The Modbus/TCP form of an RTU frame: MBAP header in front, CRC off the end.
inline QByteArray mbap(quint16 transactionId, const QByteArray &rtu)
{
    const int length = static_cast<int>(rtu.size()) - 2;
    QByteArray frame;
    frame.append(static_cast<char>(transactionId >> 8)).append(static_cast<char>(transactionId & 0xFF));
    frame.append('\0').append('\0');
    frame.append(static_cast<char>(length >> 8)).append(static_cast<char>(length & 0xFF));
    frame.append(rtu.left(length));
    return frame;
}

// A stand-in serving both links, with a way to talk to it on either.
class SimFixture : public ::testing::Test {
protected:
    static constexpr int ComNumber = 7;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_FALSE(sim.startSerial(dir.path(), ComNumber).isEmpty()) << sim.errorString().toStdString();
        port = sim.startTcp(0);
        ASSERT_NE(port, 0) << sim.errorString().toStdString();
    }

    QString comLink() const { return dir.filePath(QStringLiteral("dosdevices/com%1").arg(ComNumber)); }

    std::unique_ptr<WireClient> connect(devsim::Link link) const
    {
        return link == devsim::Link::Serial ? WireClient::openSerial(comLink()) : WireClient::connectTcp(port);
    }

    // Sends an RTU request (in MBAP form on TCP) and returns what came back, in RTU form: the
    // MBAP header is checked and removed and the CRC left off on TCP. Empty when nothing came.
    QByteArray exchange(WireClient &client, devsim::Link link, const QByteArray &rtuRequest, int rtuReplySize,
                        int ms = 2000)
    {
        if (link == devsim::Link::Serial) {
            client.send(rtuRequest);
            return client.receive(rtuReplySize, ms);
        }
        const quint16 tid = ++transactionId;
        client.send(mbap(tid, rtuRequest));
        const QByteArray reply = client.receive(rtuReplySize + 4, ms);
        if (reply.size() < 7)
            return reply;
        EXPECT_EQ(reply.left(4), mbap(tid, QByteArray(2, '\0')).left(4)) << "transaction id and protocol echoed";
        EXPECT_EQ(reply.size() - 6, (static_cast<quint8>(reply.at(4)) << 8) | static_cast<quint8>(reply.at(5)));
        return reply.mid(6);
    }

    // What an RTU reply becomes over TCP: no CRC.
    static QByteArray expected(devsim::Link link, const QByteArray &rtuReply)
    {
        return link == devsim::Link::Serial || rtuReply.isEmpty() ? rtuReply : rtuReply.chopped(2);
    }

    QTemporaryDir dir;
    devsim::DeviceSim sim;
    quint16 port = 0;
    quint16 transactionId = 0x0100;
};

// The same checks over the pseudo-terminal and over loopback TCP.
class BothLinks : public SimFixture, public ::testing::WithParamInterface<devsim::Link> {};

inline std::string linkName(const ::testing::TestParamInfo<devsim::Link> &info)
{
    return info.param == devsim::Link::Serial ? "Serial" : "Tcp";
}
