#include "FWaitDwnlMBTest.h"
#include "shell/base/BootLoaderLink.h"
#include "shell/base/LegacyBootLoader.h"
#include "shell/base/ModbusBootLoader.h"

#include <memory>

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

    bool sendModbus()
    {
        // Time-outs pass on the moved clock, in steps well inside one reply window.
        const ClockTicker ticker([] { return true; }, 0.25);
        return ModbusBootLoader(*link_, 1).BeginDownload();
    }

    bool sendLegacy()
    {
        const ClockTicker ticker([] { return true; }, 0.25);
        return LegacyBootLoader(*link_).SendFrameAndWait(LegacyBootLoader::EndFrame);
    }

    qsizetype framesSent() const { return sim.requests().size(); }

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
        EXPECT_EQ(sendModbus(), c.taken);
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
            EXPECT_EQ(sendLegacy(), c.taken);
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
            QByteArray ack = hex("AC");
            if (kind == Kind::Modbus)
                ack = c.ethernet ? mbap("00 00") + hex("01 10 E0 00 00 01") : withCrc(hex("01 10 E0 00 00 01"));
            QList<QByteArray> replies(c.lost);
            replies << ack << ack << ack;
            script(c.ethernet, kind, replies);
            EXPECT_EQ(kind == Kind::Modbus ? sendModbus() : sendLegacy(), c.taken);
            EXPECT_EQ(framesSent(), c.sent);
        }
    }
}

}  // namespace
}  // namespace download_test
