#include "DeviceTestSupport.h"
#include "device/MbapFrameReader.h"
#include "device/RtuReplyReader.h"
#include "platform/ByteView.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

// Serial input held in memory; bytes arrive in chunks whenever the reader finds a reply incomplete.
class ScriptedLine : public RtuReplyReader::Source {
public:
    explicit ScriptedLine(QList<QByteArray> chunks) : later_(std::move(chunks))
    {
        if (!later_.isEmpty())
            waiting_ = later_.takeFirst();
    }

    int waiting() override { return static_cast<int>(waiting_.size()); }
    QByteArrayView peek(int count) override { return platform::front(waiting_, count); }
    void skip(int count) override { waiting_.remove(0, count); }
    void flush() override
    {
        ++flushes;
        waiting_.clear();
    }

    // Reads as the serial link does: an incomplete reply is looked at again when more came.
    RtuReplyReader::Result readOne(int unit)
    {
        auto result = RtuReplyReader::readOne(*this, unit);
        while (result.outcome == RtuReplyReader::Outcome::Incomplete && !later_.isEmpty()) {
            waiting_ += later_.takeFirst();
            result = RtuReplyReader::readOne(*this, unit);
        }
        return result;
    }

    int flushes = 0;

private:
    QByteArray waiting_;
    QList<QByteArray> later_;
};

// A socket's stream held in memory; each arrival appends one chunk.
class ScriptedStream : public MbapFrameReader::Source {
public:
    void arrive(const QByteArray &bytes) { stream_ += bytes; }
    qint64 available() override { return stream_.size(); }
    QByteArrayView peek(qint64 count) override { return platform::front(stream_, count); }
    void skip(qint64 count) override { stream_.remove(0, count); }

private:
    QByteArray stream_;
};

using Outcome = RtuReplyReader::Outcome;

const QByteArray statusReply = withCrc(hex("01042A") + QByteArray(42, '\x11'));

}  // namespace

TEST(RtuReplyReader, CutsRepliesByFunction)
{
    struct Case {
        const char *name;
        QList<QByteArray> chunks;
        int unit;
        Outcome outcome;
        int frameSize;
        int flushes;
        int left;  // bytes still waiting after it
    };
    const QByteArray exception = withCrc(hex("018402"));
    const QByteArray badCrc = statusReply.chopped(1) + char(statusReply.back() ^ 1);
    const Case cases[] = {
        {"status reply", {statusReply}, 1, Outcome::Reply, 47, 0, 0},
        {"tail in a later piece", {statusReply.left(10), statusReply.mid(10)}, 1, Outcome::Reply, 47, 0, 0},
        {"the next reply's head stays", {statusReply + hex("0104")}, 1, Outcome::Reply, 47, 0, 2},
        {"register write echo", {withCrc(hex("010600CD0004"))}, 1, Outcome::Reply, 8, 0, 0},
        {"coil write echo", {withCrc(hex("01050135FF00"))}, 1, Outcome::Reply, 8, 0, 0},
        {"multiple write echo", {withCrc(hex("011000D70002"))}, 1, Outcome::Reply, 8, 0, 0},
        {"exception reply", {exception}, 1, Outcome::Reply, 5, 0, 0},
        {"fewer than five bytes wait", {exception.left(4)}, 1, Outcome::Idle, 0, 0, 4},
        {"wrong CRC dropped", {badCrc + hex("01")}, 1, Outcome::Dropped, 0, 0, 1},
        {"tail not yet come", {statusReply.left(20)}, 1, Outcome::Incomplete, 0, 0, 20},
        {"foreign unit flushes", {withCrc(hex("020600CD0004"))}, 1, Outcome::Flushed, 0, 1, 0},
        {"nothing in flight flushes", {statusReply}, -1, Outcome::Flushed, 0, 1, 0},
    };
    for (const Case &c : cases) {
        ScriptedLine line(c.chunks);
        const auto result = line.readOne(c.unit);
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(result.frame.size(), c.frameSize) << c.name;
        EXPECT_EQ(line.flushes, c.flushes) << c.name;
        EXPECT_EQ(line.waiting(), c.left) << c.name;
    }
}

TEST(RtuReplyReader, ByteCountLargerThanTheDataWaitsThenDrops)
{
    // The count byte promises 10 bytes, only 4 and the CRC follow: the reader takes nothing yet.
    ScriptedLine line({withCrc(hex("01030A 00010002"))});
    const auto waiting = line.readOne(1);
    EXPECT_EQ(waiting.outcome, Outcome::Incomplete);
    EXPECT_EQ(waiting.length, 15);
    EXPECT_EQ(line.waiting(), 9) << "an incomplete reply stays on the line";
    ScriptedLine shorter({withCrc(hex("010302 00010002"))});
    EXPECT_EQ(shorter.readOne(1).outcome, Outcome::Dropped);
}

TEST(MbapFrameReader, FramesFromTheStream)
{
    ScriptedStream stream;
    const QByteArray reply = hex("0102000000050103020007");
    stream.arrive(reply.left(3));
    EXPECT_FALSE(MbapFrameReader::next(stream)) << "header cut in half";
    stream.arrive(reply.mid(3, 6));
    EXPECT_FALSE(MbapFrameReader::next(stream)) << "frame incomplete";
    EXPECT_EQ(stream.available(), 9) << "incomplete frame stays for the next arrival";
    stream.arrive(reply.mid(9));
    auto frame = MbapFrameReader::next(stream);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->transactionId, 0x0102);
    EXPECT_EQ(frame->pdu, hex("0103020007"));

    stream.arrive(hex("000100000002 0106") + hex("000200000003 018402"));
    EXPECT_EQ(MbapFrameReader::next(stream)->pdu, hex("0106")) << "two frames in one read";
    EXPECT_EQ(MbapFrameReader::next(stream)->transactionId, 2);
    EXPECT_EQ(stream.available(), 0);
}

TEST(MbapFrameReader, LengthsAtTheEdges)
{
    struct Case {
        const char *name;
        QByteArray bytes;
        bool frame;
        int pduSize;
        qint64 left;
    };
    const Case cases[] = {
        {"length 0", hex("000100000000 AABB"), true, 0, 2},
        {"length 1", hex("000100000001 01"), true, 1, 0},
        {"length 255", hex("0009000000FF") + QByteArray(255, '\x01'), true, 255, 0},
        {"length 256", hex("000900000100") + QByteArray(256, '\x01'), true, 256, 0},
        {"length 261 discards everything", hex("000500000105 0104") + hex("000100000003 010400"), false, 0, 0},
        {"another protocol id is a frame all the same", hex("00050001 0003 010400") + hex("000100000003 010400"), true,
         3, 9},
    };
    for (const Case &c : cases) {
        ScriptedStream stream;
        stream.arrive(c.bytes);
        const auto frame = MbapFrameReader::next(stream);
        EXPECT_EQ(frame.has_value(), c.frame) << c.name;
        EXPECT_EQ(frame ? frame->pdu.size() : 0, c.pduSize) << c.name;
        EXPECT_EQ(stream.available(), c.left) << c.name;
    }
}

// Random and damaged replies through both readers and into the reply processing; the sanitizer
// build reports any read outside a buffer.
TEST(ReceiverFuzz, RandomAndTruncatedReplies)
{
    QRandomGenerator random(20240229);
    ReplyProbe device;
    const int functions[] = {3, 4, 5, 6, 16, 0x83, 0x84, 0, 1, 255};
    const int starts[] = {0, 4, 250, 255, 258, 383, 513, 639, 4096, 4100, 12287, 12288, 16380, 16383, 400};
    const auto randomBytes = [&random](int size) {
        QByteArray bytes(size, '\0');
        for (char &b : bytes)
            b = static_cast<char>(random.bounded(256));
        return bytes;
    };
    const auto randomRequest = [&] {
        const int function = random.bounded(2) ? 3 : 4;
        return makeRequest(function, starts[random.bounded(int(std::size(starts)))], random.bounded(0, 130));
    };

    for (int round = 0; round < 3000; ++round) {
        // A plausible reply, then damaged: byte count off, more registers than asked, cut short.
        const int function = functions[random.bounded(int(std::size(functions)))];
        const int registers = random.bounded(0, 128);
        QByteArray pdu;
        pdu.append('\x01').append(static_cast<char>(function));
        pdu.append(static_cast<char>(2 * registers + random.bounded(-3, 4)));
        pdu += randomBytes(2 * registers);
        switch (round % 4) {
        case 0: pdu.truncate(random.bounded(0, pdu.size() + 1)); break;
        case 1: pdu = randomBytes(random.bounded(0, 300)); break;
        default: break;
        }

        // Serial: the frame, with or without a good CRC, in random pieces.
        const QByteArray rtu = round % 2 ? withCrc(pdu) : pdu;
        QList<QByteArray> pieces;
        for (int at = 0; at < rtu.size();) {
            const int size = random.bounded(1, 20);
            pieces << rtu.mid(at, size);
            at += size;
        }
        ScriptedLine line(pieces);
        const auto result = line.readOne(random.bounded(2) ? 1 : -1);
        if (result.outcome == Outcome::Reply)
            device.ProcessReply(randomRequest(), result.frame);

        // TCP: a header with a length that may lie, the PDU in pieces, and random junk behind.
        ScriptedStream stream;
        const int length = round % 3 == 0 ? random.bounded(0, 300) : static_cast<int>(pdu.size());
        QByteArray tcp = hex("0001 0000") + QByteArray(1, char(length >> 8)) + QByteArray(1, char(length & 0xFF));
        tcp += pdu + randomBytes(random.bounded(0, 8));
        for (int at = 0; at < tcp.size();) {
            const int size = random.bounded(1, 40);
            stream.arrive(tcp.mid(at, size));
            at += size;
            // Every frame takes at least its header from the stream: a reader that takes less fails
            // here rather than loop.
            const qint64 mostFrames = stream.available() / MbapFrameReader::HeaderLength;
            int frames = 0;
            while (const auto frame = MbapFrameReader::next(stream)) {
                ASSERT_LE(++frames, mostFrames);
                EXPECT_LE(frame->pdu.size(), 256);
                device.ProcessReply(randomRequest(), frame->pdu);
            }
        }
        device.ProcessReply(randomRequest(), pdu);
    }
}
