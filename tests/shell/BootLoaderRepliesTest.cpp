#include "FWaitDwnlMBTest.h"
#include "firmware/BootLoaderLink.h"
#include "firmware/LegacyBootLoader.h"
#include "firmware/ModbusBootLoader.h"

#include <QTest>
#include <memory>
#include <optional>

namespace download_test {
namespace {

// The loaders' replies played by script: the stand-in's loader hears every frame but stays
// silent, and the test puts the bytes of each reply on the line as its frame arrives.
class LoaderReplies : public DownloadFixture {
protected:
    void SetUp() override
    {
        DownloadFixture::SetUp();
        QObject::connect(&sim, &devsim::DeviceSim::requestReceived, &context_, [this] {
            const qsizetype arrival = arrivals_++;
            if (arrival < replies_.size())
                sim.injectBytes(replies_[arrival]);
        });
    }

    // Opens a fresh download link to a silent loader of that kind; frame n is answered with
    // replies[n] (an empty or missing entry: not at all).
    void script(bool ethernet, Kind kind, QList<QByteArray> replies)
    {
        link_.reset();
        mdlMain::ReleaseLink();
        sim.clearRequests();
        arrivals_ = 0;
        prepare(ethernet, kind);
        sim.bootLoaders().setSilent(true);
        replies_ = std::move(replies);
        link_ = BootLoaderLink::mainLink();
        ASSERT_TRUE(link_->open());
    }

    // Sends one frame through the loader of that kind and waits for its acknowledgement. The
    // moved clock lets time-outs pass in steps well inside one reply window.
    bool send(Kind kind, bool moveClock = true)
    {
        std::optional<ClockTicker> ticker;
        if (moveClock)
            ticker.emplace([] { return true; }, 0.25);
        if (kind == Kind::Modbus)
            return ModbusBootLoader(*link_, 1).BeginDownload();
        return LegacyBootLoader(*link_).SendFrameAndWait(LegacyBootLoader::EndFrame);
    }

    qsizetype framesSent() const { return sim.requests().size(); }

    bool identify(DeviceIdRecord &record)
    {
        ClockTicker ticker([] { return true; }, 0.25);
        return ModbusBootLoader(*link_, 1).Identify(record);
    }

private:
    QObject context_;
    QList<QByteArray> replies_;
    qsizetype arrivals_ = 0;
    std::unique_ptr<BootLoaderLink> link_;
};

// MBAP header of a reply carrying the unit, function and four more bytes.
QByteArray mbap(const char *transaction)
{
    return hex(transaction) + hex("00 00 00 06");
}

QByteArray acknowledgement(Kind kind, bool ethernet)
{
    if (kind == Kind::Legacy)
        return hex("AC");
    return ethernet ? mbap("00 00") + hex("01 10 E0 00 00 01") : withCrc(hex("01 10 E0 00 00 01"));
}

TEST_F(LoaderReplies, ModbusEchoIsTakenByItsUnitAndFunction16Alone)
{
    struct Case {
        const char *what;
        bool ethernet;
        QByteArray reply;
        bool taken;
    };
    const Case cases[] = {
        {"echo", false, withCrc(hex("01 10 E0 00 00 01")), true},
        {"other address, spoilt CRC", false, hex("01 10 12 34 00 09 00 00"), true},
        {"function 6", false, withCrc(hex("01 06 E0 00 00 01")), false},
        {"function 4", false, withCrc(hex("01 04 E0 00 00 01")), false},
        {"exception", false, withCrc(hex("01 90 04")), false},
        {"exception, padded", false, withCrc(hex("01 90 04 00 00 00")), false},
        {"unit 2", false, withCrc(hex("02 10 E0 00 00 01")), false},
        {"echo", true, mbap("00 00") + hex("01 10 E0 00 00 01"), true},
        {"other transaction and address", true, mbap("12 34") + hex("01 10 00 07 00 02"), true},
        {"function 6", true, mbap("00 00") + hex("01 06 E0 00 00 01"), false},
        {"function 3", true, mbap("00 00") + hex("01 03 E0 00 00 01"), false},
        {"exception", true, hex("00 00 00 00 00 03 01 90 04"), false},
        {"unit 0", true, mbap("00 00") + hex("00 10 E0 00 00 01"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.ethernet ? "TCP " : "serial ") + c.what);
        script(c.ethernet, Kind::Modbus, {c.reply, c.reply, c.reply});
        EXPECT_EQ(send(Kind::Modbus), c.taken);
    }
}

TEST_F(LoaderReplies, LegacyLoaderIsAcknowledgedBy0xACAlone)
{
    struct Case {
        const char *reply;
        bool taken;
    };
    const Case cases[] = {
        {"AC", true}, {"00 AC", true}, {"AB AD 2C AC", true}, {"AB", false}, {"2C", false}, {"AD AB EC", false},
    };
    for (const bool ethernet : {false, true}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(ethernet ? "TCP " : "serial ") + c.reply);
            script(ethernet, Kind::Legacy, {hex(c.reply), hex(c.reply), hex(c.reply)});
            EXPECT_EQ(send(Kind::Legacy), c.taken);
        }
    }
}

TEST_F(LoaderReplies, TcpTriesThreeTimesAndSerialOnce)
{
    struct Case {
        bool ethernet;
        int lost;
        bool taken;
        qsizetype sent;
    };
    const Case cases[] = {
        {true, 0, true, 1},  {true, 1, true, 2},  {true, 2, true, 3},
        {true, 3, false, 3}, {false, 0, true, 1}, {false, 1, false, 1},
    };
    for (const Kind kind : {Kind::Modbus, Kind::Legacy}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(kindName(kind) + (c.ethernet ? " TCP, " : " serial, ") + std::to_string(c.lost) + " lost");
            const QByteArray ack = acknowledgement(kind, c.ethernet);
            QList<QByteArray> replies(c.lost);
            replies << ack << ack << ack;
            script(c.ethernet, kind, replies);
            EXPECT_EQ(send(kind), c.taken);
            EXPECT_EQ(framesSent(), c.sent);
        }
    }
}

TEST_F(LoaderReplies, ReplyWaitingBeforeAFrameIsNotTakenForItsAcknowledgement)
{
    for (const Kind kind : {Kind::Modbus, Kind::Legacy}) {
        for (const bool ethernet : {false, true}) {
            SCOPED_TRACE(kindName(kind) + (ethernet ? " TCP" : " serial"));
            script(ethernet, kind, {});
            sim.injectBytes(acknowledgement(kind, ethernet));
            QTest::qWait(20);
            EXPECT_FALSE(send(kind));
        }
    }
}

TEST_F(LoaderReplies, TcpIdentificationIsTakenOnceItsFirst104BytesHaveCome)
{
    // Fields 0 to 4 end at byte 89 of the 105-byte reply, so its last byte is not waited for.
    QByteArray registers(2 * ModbusBootLoader::IdentityRegisters, '\0');
    registers.replace(16, 9, "Varix 4.2");
    const QByteArray reply = hex("00 00 00 00 00 63 01 04 60") + registers;
    script(true, Kind::Modbus, {reply.left(104), acknowledgement(Kind::Modbus, true)});
    DeviceIdRecord record;
    EXPECT_TRUE(identify(record));
    EXPECT_EQ(record.ProductName(), QStringLiteral("Varix 4.2"));
}

TEST_F(LoaderReplies, SilentLoaderIsWaitedForTheWholeReplyWindow)
{
    struct Case {
        bool ethernet;
        Kind kind;
        double atLeast;
        double below;
    };
    // Serial: 20 ms before the reply is looked for, then up to 0.1 s, in real time. TCP: three
    // attempts of up to a second each on the moved clock, the legacy loader's after 20 ms each.
    const Case cases[] = {
        {false, Kind::Modbus, 0.12, 1.0},
        {false, Kind::Legacy, 0.12, 1.0},
        {true, Kind::Modbus, 3.0, 4.5},
        {true, Kind::Legacy, 3.06, 4.5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(kindName(c.kind) + (c.ethernet ? " TCP" : " serial"));
        script(c.ethernet, c.kind, {});
        const double start = platform::clock::monotonicSeconds();
        EXPECT_FALSE(send(c.kind, c.ethernet));
        const double waited = platform::clock::monotonicSeconds() - start;
        EXPECT_GE(waited, c.atLeast);
        EXPECT_LT(waited, c.below);
    }
}

}  // namespace
}  // namespace download_test
