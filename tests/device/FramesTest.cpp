#include "DeviceTestSupport.h"
#include "device/MBRequest.h"
#include "device/MBRequests.h"
#include "platform/Clock.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

MBRequestPtr frameRequest(int mode, int tid, int function, int start, int quantity, std::vector<int32_t> data = {})
{
    auto request = makeRequest(function, start, quantity);
    request->setMBMode(mode);
    request->setTransactionID(tid);
    for (std::size_t i = 0; i < data.size(); ++i)
        request->setMBData(static_cast<int>(i), data[i]);
    return request;
}

}  // namespace

TEST(MBRequestFrames, ExactBytes)
{
    struct Case {
        const char *name;
        MBRequestPtr request;
        QByteArray expected;
    };
    const Case cases[] = {
        {"status poll RTU", frameRequest(0, 7, 4, 0, 21), hex("010400000015 31C5")},
        {"status poll TCP tid 258", frameRequest(1, 258, 4, 0, 21), hex("010200000006 010400000015")},
        {"register write RTU", frameRequest(0, 1, 6, 205, 4), withCrc(hex("010600CD0004"))},
        {"coil on RTU", frameRequest(0, 1, 5, 309, 0xFF00), withCrc(hex("01050135FF00"))},
        {"holding read TCP", frameRequest(1, 0xFFFF, 3, 0x0102, 0x0304), hex("FFFF00000006 010301020304")},
        {"multiple write RTU, no byte count", frameRequest(0, 1, 16, 0x00D7, 2, {0x1234, 0x00FF}),
         withCrc(hex("011000D70002 123400FF"))},
        {"multiple write TCP", frameRequest(1, 9, 16, 0x00D7, 2, {0x1234, 0x00FF}),
         hex("00090000000A 011000D70002 123400FF")},
        {"unknown function leaves the PDU zero", frameRequest(1, 1, 1, 5, 5), hex("000100000006 000000000000")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.request->CommandString().toHex(' '), c.expected.toHex(' ')) << c.name;
}

TEST(MBRequestFrames, FieldsThatDoNotFitRaise)
{
    struct Case {
        const char *name;
        MBRequestPtr request;
        int error;
    };
    const Case cases[] = {
        {"transaction id 65536", frameRequest(1, 65536, 4, 0, 1), platform::err::Overflow},
        {"unit 256",
         [] {
             auto r = frameRequest(0, 1, 4, 0, 1);
             r->setMBAddress(256);
             return r;
         }(),
         platform::err::Overflow},
        {"start -1", frameRequest(0, 1, 3, -1, 1), platform::err::Overflow},
        {"value 65536", frameRequest(0, 1, 6, 1, 65536), platform::err::Overflow},
        {"register value above 65535", frameRequest(0, 1, 16, 1, 1, {70000}), platform::err::Overflow},
        {"TCP write of 125 registers", frameRequest(1, 1, 16, 0, 125, std::vector<int32_t>(125, 1)),
         platform::err::Overflow},
        {"write with fewer values than registers", frameRequest(0, 1, 16, 0, 3, {1, 2}),
         platform::err::SubscriptOutOfRange},
    };
    for (const Case &c : cases)
        EXPECT_EQ(raisedError([&c] { c.request->CommandString(); }), c.error) << c.name;
    EXPECT_EQ(frameRequest(1, 1, 16, 0, 124, std::vector<int32_t>(124, 1))->CommandString().size(), 2 * 124 + 12);
}

TEST(MBRequestFrames, AFieldChangedAfterTheFrameWasBuiltIsInTheNextOne)
{
    const struct {
        const char *name;
        void (*change)(MBRequest &);
        QByteArray expected;
    } cases[] = {
        {"mode", [](MBRequest &r) { r.setMBMode(MBRequest::ModeTCP); }, hex("000700000008 0110000A0001 0005")},
        {"transaction id", [](MBRequest &r) { r.setTransactionID(8); }, withCrc(hex("0110000A0001 0005"))},
        {"unit", [](MBRequest &r) { r.setMBAddress(2); }, withCrc(hex("0210000A0001 0005"))},
        {"function", [](MBRequest &r) { r.setMBFunction(6); }, withCrc(hex("0106000A0001"))},
        {"start", [](MBRequest &r) { r.setStartAddress(11); }, withCrc(hex("0110000B0001 0005"))},
        {"quantity", [](MBRequest &r) { r.setQuantity(2); }, withCrc(hex("0110000A0002 00050009"))},
        {"data", [](MBRequest &r) { r.setMBData(0, 6); }, withCrc(hex("0110000A0001 0006"))},
    };
    for (const auto &c : cases) {
        const auto request = frameRequest(0, 7, 16, 10, 1, {5, 9});
        EXPECT_EQ(request->CommandString().toHex(' '), withCrc(hex("0110000A0001 0005")).toHex(' ')) << c.name;
        c.change(*request);
        EXPECT_EQ(request->CommandString().toHex(' '), c.expected.toHex(' ')) << c.name;
    }
}

TEST(MBRequestFrames, DataGrowsOnWriteAndRaisesOnReadPastTheEnd)
{
    MBRequest request;
    EXPECT_EQ(request.MBData(0), 0);
    request.setMBData(3, 7);
    EXPECT_EQ((std::vector<int32_t>{request.MBData(0), request.MBData(1), request.MBData(2), request.MBData(3)}),
              (std::vector<int32_t>{0, 0, 0, 7}));
    EXPECT_THROW(request.MBData(4), platform::Error);
    EXPECT_NE(request.Requests(), nullptr);
    EXPECT_EQ(request.Requests(), request.Requests());
}

TEST(MBRequestFrames, AReusedRequestIsANewOneAndLeavesCopiesOfItsFrameAlone)
{
    auto request = frameRequest(1, 9, 16, 0x00D7, 2, {0x1234, 0x00FF});
    request->Key = QStringLiteral("K9");
    const auto parent = request->Requests();
    const QByteArray sent = request->CommandString();
    request->reuse();
    MBRequest fresh;
    EXPECT_TRUE(request->Key.isEmpty());
    // Every field in the frames of both modes, and the data behind them, as a new request has them.
    EXPECT_EQ(request->CommandString(), fresh.CommandString());
    request->setMBMode(MBRequest::ModeTCP);
    fresh.setMBMode(MBRequest::ModeTCP);
    EXPECT_EQ(request->CommandString(), fresh.CommandString());
    EXPECT_THROW(request->MBData(1), platform::Error);
    EXPECT_NE(request->Requests(), parent);
    request->setMBMode(MBRequest::ModeRTU);
    request->setMBAddress(1);
    request->setMBFunction(4);
    request->setQuantity(21);
    EXPECT_EQ(request->CommandString().toHex(' '), hex("010400000015 31C5").toHex(' '));
    EXPECT_EQ(sent.toHex(' '), hex("00090000000A 011000D70002 123400FF").toHex(' '));
}

TEST(MBRequestsQueue, KeysAndErrors)
{
    MBRequests queue;
    auto first = std::make_shared<MBRequest>();
    queue.Add(first, QStringLiteral("K5"));
    EXPECT_EQ(first->Key, QStringLiteral("K5"));
    try {
        queue.Add(std::make_shared<MBRequest>(), QStringLiteral("k5"));
        ADD_FAILURE() << "duplicate key accepted";
    } catch (const platform::Error &e) {
        EXPECT_EQ(e.number(), platform::err::DuplicateKey);
    }
    auto unkeyed = std::make_shared<MBRequest>();
    queue.Add(unkeyed, QString());
    queue.Add(std::make_shared<MBRequest>(), QString());
    EXPECT_TRUE(unkeyed->Key.isEmpty());
    EXPECT_EQ(queue.Count(), 3);
    EXPECT_EQ(queue.Item(QStringLiteral("K5")), first);
    EXPECT_EQ(queue.Item(2), unkeyed);
    EXPECT_THROW(queue.Item(QStringLiteral("K6")), platform::Error);
    EXPECT_THROW(queue.Remove(4), platform::Error);
    queue.Remove(QStringLiteral("K5"));
    EXPECT_EQ(queue.Item(1), unkeyed);
    // A request is removed as itself only from under its own key, the last it was given.
    queue.Add(first, QStringLiteral("K7"));
    queue.Add(first, QStringLiteral("K8"));
    auto namesake = std::make_shared<MBRequest>();
    namesake->Key = first->Key;
    queue.Remove(namesake);
    queue.Remove(first);
    EXPECT_EQ(queue.Find(QStringLiteral("k7")), first);
    EXPECT_EQ(queue.Find(QStringLiteral("K8")), nullptr);
}

TEST(MBRequestFrames, SendTimeIsTheLocalTimeOfItsStamp)
{
    MBRequest request;
    const double apart = std::fabs(request.SendTime() - platform::clock::secondsSinceMidnight());
    EXPECT_LT(std::min(apart, 86400.0 - apart), 0.5);
}
