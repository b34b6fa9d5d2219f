#include "FWaitDwnlMBTest.h"
#include "ScriptedResponder.h"

#include <QThread>
#include <algorithm>
#include <memory>
#include <optional>

namespace download_test {
namespace {

// The tag record, a record of another type (checked, never sent), a record above 0x8000 and the
// end record.
const QByteArray SmallImage = ":07000000020043C0DECF182F\r\n"
                              ":020000040000FA\r\n"
                              ":0480000011223344D2\r\n"
                              ":00000001FF\r\n";

struct WireCase {
    const char *name;
    bool ethernet;
    Kind kind;
    QList<QByteArray> frames;
    // The least time before each frame since the one before it, in ms: the loaders' fixed
    // pauses after a frame, before its reply is looked at.
    QList<int> minimumGapsMs;
};

// Written out by hand from the loaders' wire description; RTU CRCs come from the stand-in's code.
const QList<QByteArray> LegacyFrames = {
    hex("DE AD DA DE"),
    hex("AA 07 00 00 00 02 00 43 C0 DE CF 18 2F"),
    hex("AA 04 80 00 00 11 22 33 44 D2"),
    hex("AA 01 00 00 01 00 FE"),
};
// The entry's acknowledgement is followed by 100 ms for the identification.
const QList<int> LegacyGapsMs = {0, 120, 20, 20};
// The stand-in stamps a frame once it has read it, a moment after the console wrote it.
constexpr qint64 StampSlackUs = 500;

const WireCase WireCases[] = {
    {"SerialModbus",
     false,
     Kind::Modbus,
     {
         withCrc(hex("01 04 E7 00 00 30")),
         withCrc(hex("01 10 E0 00 00 01 00 00")),
         withCrc(hex("01 10 00 00 00 07 00 02 00 00 00 43 00 C0 00 DE 00 CF 00 18")),
         withCrc(hex("01 10 80 00 00 04 00 11 00 22 00 33 00 44")),
         withCrc(hex("01 10 E0 01 00 01 00 00")),
     },
     {0, 100, 20, 20, 20}},
    {"TcpModbus",
     true,
     Kind::Modbus,
     {
         hex("00 00 00 00 00 06 01 04 E7 00 00 30"),
         hex("00 00 00 00 00 08 01 10 E0 00 00 01 00 00"),
         hex("00 00 00 00 00 14 01 10 00 00 00 07 00 02 00 00 00 43 00 C0 00 DE 00 CF 00 18"),
         hex("00 00 00 00 00 0E 01 10 80 00 00 04 00 11 00 22 00 33 00 44"),
         hex("00 00 00 00 00 08 01 10 E0 01 00 01 00 00"),
     },
     {0, 100, 0, 0, 0}},
    {"SerialLegacy", false, Kind::Legacy, LegacyFrames, LegacyGapsMs},
    {"TcpLegacy", true, Kind::Legacy, LegacyFrames, LegacyGapsMs},
};

void PrintTo(const WireCase &c, std::ostream *out)
{
    *out << c.name;
}

class Wire : public DownloadFixture, public ::testing::WithParamInterface<WireCase> {};

TEST_P(Wire, EveryFrameOfADownloadIsExact)
{
    const WireCase &c = GetParam();
    prepare(c.ethernet, c.kind);
    FWaitDwnlMB::ImageSource = [](int32_t) { return SmallImage; };

    EXPECT_TRUE(run(c.kind));

    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(QStringLiteral(" | ")).toStdString();
    const QList<QByteArray> frames = framesReceived();
    EXPECT_EQ(frames.size(), c.frames.size());
    for (qsizetype i = 0; i < std::min(frames.size(), c.frames.size()); ++i)
        EXPECT_EQ(frames[i].toHex(' ').toStdString(), c.frames[i].toHex(' ').toStdString()) << "frame " << i;
    EXPECT_EQ(sim.bootLoaders().programmed(), contentOf(SmallImage).bytes);
    EXPECT_EQ(sim.bootLoaders().finishedDownloads(), 1);
}

std::string wireCaseName(const ::testing::TestParamInfo<WireCase> &info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Download, Wire, ::testing::ValuesIn(WireCases), wireCaseName);

// The stand-in on a thread of its own: it reads each frame as it arrives, not when the console's
// event loop gets round to it, so its stamps show the console's pauses.
class SimThread {
public:
    SimThread()
    {
        thread_.start();
        context_.moveToThread(&thread_);
        run([this] { sim_ = std::make_unique<devsim::DeviceSim>(); });
    }
    ~SimThread()
    {
        run([this] { sim_.reset(); });
        thread_.quit();
        thread_.wait();
    }

    // Runs f on the stand-in's thread and returns when it is done.
    void run(const std::function<void()> &f) { QMetaObject::invokeMethod(&context_, f, Qt::BlockingQueuedConnection); }
    devsim::DeviceSim &sim() { return *sim_; }

private:
    QThread thread_;
    QObject context_;
    std::unique_ptr<devsim::DeviceSim> sim_;
};

// Downloads the small image from a stand-in on its own thread and measures the gaps between
// the frames it received.
class TimingFixture : public ::testing::Test {
protected:
    static constexpr int Com = 12;
    // The stand-in reads a frame a moment after it was written, and on a busy machine now and
    // then a few milliseconds late, which shortens the gap after it in that run alone. Each gap
    // counts as the longest of several runs.
    static constexpr int Runs = 3;
    using Prepare = std::function<void(devsim::DeviceSim &)>;

    void TearDown() override { resetAfterDownload(); }

    // Downloads the small image `Runs` times, each from the stand-in freshly put into its loader
    // of that kind and set up by `prepare` on its own thread, and checks that each frame came at
    // least that many ms after the one before it.
    void expectGapsAtLeast(bool ethernet, Kind kind, const QList<int> &minimumGapsMs, const Prepare &prepare = {})
    {
        startLink(ethernet);
        QList<qint64> longest(minimumGapsMs.size(), 0);
        for (int run = 0; run < Runs; ++run) {
            EXPECT_TRUE(download(kind, prepare)) << "run " << run;
            const QList<qint64> gaps = gapsUs();
            ASSERT_EQ(gaps.size(), minimumGapsMs.size()) << "run " << run;
            for (qsizetype i = 0; i < gaps.size(); ++i)
                longest[i] = std::max(longest[i], gaps[i]);
        }
        for (qsizetype i = 1; i < longest.size(); ++i)
            EXPECT_GE(longest[i], minimumGapsMs[i] * 1000 - StampSlackUs) << "frame " << i;
    }

private:
    void startLink(bool ethernet)
    {
        device.run([&] {
            if (ethernet)
                mdlMain::TCPPort = device.sim().startTcp(0);
            else
                device.sim().startSerial(folder.path(), Com);
        });
        platform::ui::setResponder(&ui);
        mdlMain::UseEthernet = ethernet;
        mdlMain::PortNumber = Com;
        mdlMain::IPAddress = QStringLiteral("127.0.0.1");
        mdlMain::CurrentSoftware = mdlSoftwares::GetSoftware(OwnApplication);
        FWaitDwnlMB::ImageSource = [](int32_t) { return SmallImage; };
    }

    bool download(Kind kind, const Prepare &prepare)
    {
        device.run([&] {
            devsim::DeviceSim &sim = device.sim();
            QObject::disconnect(&sim, &devsim::DeviceSim::requestReceived, nullptr, nullptr);
            sim.clearRequests();
            sim.bootLoaders().setSilent(false);
            sim.bootLoaders().setKind(kind);
            sim.bootLoaders().enter();
            if (prepare)
                prepare(sim);
        });
        mdlMain::ReleaseLink();
        mdlMain::Device().setEthernetPort(nullptr);
        std::optional<ClockTicker> ticker;
        if (kind == Kind::Legacy)
            ticker.emplace(waitingForModbusLoader);
        return FWaitDwnlMB::Run(nullptr);
    }

    // Each received frame's time since the one before it, in microseconds (the first: 0).
    QList<qint64> gapsUs()
    {
        QList<devsim::SimRequest> requests;
        device.run([&] { requests = device.sim().requests(); });
        QList<qint64> gaps;
        for (qsizetype i = 0; i < requests.size(); ++i)
            gaps << (i == 0 ? 0 : requests[i].receivedUs - requests[i - 1].receivedUs);
        return gaps;
    }

    TempProgramFolder folder;
    ScriptedResponder ui;
    SimThread device;
};

class WireTiming : public TimingFixture, public ::testing::WithParamInterface<WireCase> {};

TEST_P(WireTiming, EachFrameWaitsOutThePausesBeforeIt)
{
    const WireCase &c = GetParam();
    expectGapsAtLeast(c.ethernet, c.kind, c.minimumGapsMs);
}

INSTANTIATE_TEST_SUITE_P(Download, WireTiming, ::testing::ValuesIn(WireCases), wireCaseName);

class IdentificationTiming : public TimingFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(IdentificationTiming, UnansweredIdentificationIsAskedAgainAfterItsPauses)
{
    const bool ethernet = GetParam();
    // 100 ms before each request (10 ms on TCP), 100 ms after it before its reply is looked at.
    const int again = ethernet ? 110 : 200;
    const int line = ethernet ? 0 : 20;
    // The loader answers from its third identification request on.
    expectGapsAtLeast(ethernet, Kind::Modbus, {0, again, again, 100, line, line, line}, [](devsim::DeviceSim &sim) {
        sim.bootLoaders().setSilent(true);
        auto requests = std::make_shared<int>(0);
        QObject::connect(&sim, &devsim::DeviceSim::requestReceived, &sim, [&sim, requests] {
            if (++*requests == 3)
                sim.bootLoaders().setSilent(false);
        });
    });
}

INSTANTIATE_TEST_SUITE_P(Download, IdentificationTiming, ::testing::Bool(),
                         [](const auto &info) { return std::string(info.param ? "Tcp" : "Serial"); });

}  // namespace
}  // namespace download_test
