#include "../shell/FWaitDwnlMBTest.h"
#include "NamedControls.h"
#include "shell/FDeviceSettings.h"
#include "shell/FMain.h"
#include "shell/FirmwareDownloadHook.h"
#include "shell/StatusBarPanel.h"

#include <QAction>
#include <QTest>
#include <algorithm>

namespace download_test {
namespace {

using platform::MsgResult;

const QString Upgrade = QStringLiteral(
    "The firmware on the sensor need to be upgraded. Uploading the new firmware is recommended. Proceed?");
const QString Older = QStringLiteral(
    "The firmware on the sensor is older than the application. Please use the correct software version.");
const QString Proceed = QStringLiteral("Do you want to download an application?");
const QString Complete = QStringLiteral("Download complete.");

struct Route {
    bool ethernet;
    Kind kind;
};

std::string routeName(const ::testing::TestParamInfo<Route> &info)
{
    return (info.param.ethernet ? "Tcp" : "Serial") + kindName(info.param.kind);
}

// The console as a technician starts it, against a device running older firmware than the
// console carries, over the route of the parameter.
class ConsoleDownload : public DownloadFixture, public ::testing::WithParamInterface<Route> {
protected:
    void SetUp() override
    {
        DownloadFixture::SetUp();
        mdlMain::NoEthernetSerials = mdlMain::BuildNoEthernetSerials();
        mdlMain::UseEthernet = GetParam().ethernet;
        sim.bootLoaders().setKind(GetParam().kind);
        sim.setStatusBit(49, true);
    }

    void TearDown() override
    {
        if (window)
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        FirmwareDownloadHook::setRunner({});
        DownloadFixture::TearDown();
    }

    // Starts the console; at the first connection it offers the carried firmware, answered here.
    void start(MsgResult offer)
    {
        ui.queueMessageAnswer(offer);
        if (offer == MsgResult::No)
            ui.queueMessageAnswer(MsgResult::Ok);
        window = FMain::Load();
        ASSERT_TRUE(QTest::qWaitFor([this] { return ui.messageTexts().contains(Upgrade); }, 3000))
            << "the upgrade was never offered";
    }

    // Chooses Tools > Upload firmware and confirms; returns once the download window has closed.
    void uploadFromMenu()
    {
        ui.queueMessageAnswer(MsgResult::Yes);
        action(*window, "mnuTooUplFW")->trigger();
    }

    bool reconnectedWith(quint8 version)
    {
        return QTest::qWaitFor(
            [version] { return mdlMain::Device().Connected() && mdlMain::Device().FirmwareVersion() == version; },
            5000);
    }

    // Moves the clock while the download window waits out the Modbus loader, a stopped device or,
    // when the stand-in runs the Modbus loader, the legacy one.
    ClockTicker waits{[this] {
        return waitingForModbusLoader() || (openDownloadWindow() && sim.bootLoaders().halted()) ||
               (GetParam().kind == Kind::Modbus && waitingForLegacyLoader());
    }};
    QPointer<FMain> window;
};

TEST_P(ConsoleDownload, ProgramsFromTheMenuAndComesBackConnectedWithTheNewVersion)
{
    ASSERT_NO_FATAL_FAILURE(start(MsgResult::No));
    uploadFromMenu();

    ASSERT_EQ(ui.messageTexts(), (QStringList{Upgrade, Older, Proceed, Complete}));
    EXPECT_EQ(sim.bootLoaders().programmed(), contentOf(mdlSoftwares::EmbeddedFirmwareImage(OwnApplication)).bytes);
    ASSERT_TRUE(reconnectedWith(CarriedVersion)) << "no reconnection with the new version";
    EXPECT_EQ(window->panel(QStringLiteral("FW_Version"))->text(), QStringLiteral("Ver. 17.15"));
    EXPECT_EQ(mdlMain::CurrentSoftware.Index, OwnApplication) << "identified again after the download";
    EXPECT_TRUE(timer(*window, "tmrCheckStatus")->isActive());
    EXPECT_EQ(ui.messages.size(), 4u) << "the new version is not offered again";
    const devsim::Link link = GetParam().ethernet ? devsim::Link::Tcp : devsim::Link::Serial;
    for (const devsim::SimRequest &request : sim.requests())
        EXPECT_EQ(request.link, link) << "everything went over the chosen link";
}

TEST_P(ConsoleDownload, ProgramsTheWholeImageWhileDeviceSettingsReadsTheClock)
{
    ASSERT_NO_FATAL_FAILURE(start(MsgResult::No));
    action(*window, "mnuTooDevice")->trigger();
    ASSERT_NE(window->findChild<FDeviceSettings *>(), nullptr);
    // A download long enough for the window's clock reads (every 0.5 s) to fall in it.
    sim.setReplyDelayMs(5);
    uploadFromMenu();

    ASSERT_EQ(ui.messageTexts(), (QStringList{Upgrade, Older, Proceed, Complete}));
    EXPECT_EQ(sim.bootLoaders().programmed(), contentOf(mdlSoftwares::EmbeddedFirmwareImage(OwnApplication)).bytes);
    EXPECT_TRUE(reconnectedWith(CarriedVersion)) << "no reconnection with the new version";
    // Between the loader's first and last request the link carried nothing else.
    const QList<devsim::SimRequest> wire = sim.requests();
    const auto isLoaderRequest = [](const devsim::SimRequest &r) {
        return r.function == 0 || r.function == 16 || r.address >= 0xE000;
    };
    const auto first = std::find_if(wire.cbegin(), wire.cend(), isLoaderRequest);
    const auto last = std::find_if(wire.crbegin(), wire.crend(), isLoaderRequest).base();
    ASSERT_LT(first, last);
    // A legacy loader takes any bytes as a raw frame: a read is known by its first two bytes.
    const auto reads = std::count_if(first, last, [](const devsim::SimRequest &r) {
        return r.function == 3 || r.frame.startsWith(QByteArray::fromHex("0103"));
    });
    EXPECT_EQ(reads, 0) << "the window's clock reads stay off the link while the download holds it";
}

TEST_P(ConsoleDownload, DeviceStoppingDuringTheDownloadIsReportedAndFoundAgainWhenItReturns)
{
    sim.bootLoaders().setHaltAfterWrites(40);
    ASSERT_NO_FATAL_FAILURE(start(MsgResult::No));
    uploadFromMenu();

    ASSERT_EQ(ui.messageTexts(),
              (QStringList{Upgrade, Older, Proceed, QStringLiteral("Data tranfer error"), UnableToDownload}));
    EXPECT_FALSE(mdlMain::Device().Connected());
    EXPECT_TRUE(timer(*window, "tmrCheckStatus")->isActive()) << "the console goes on looking for the device";

    // Switched off and on, the device runs the firmware it had; the console offers the upgrade again.
    ui.queueMessageAnswer(MsgResult::No);
    sim.bootLoaders().powerCycle();
    ASSERT_TRUE(reconnectedWith(OldVersion)) << "no reconnection after the power cycle";
    EXPECT_TRUE(QTest::qWaitFor([this] { return ui.messageTexts().count(Upgrade) == 2; }, 2000))
        << "the upgrade was not offered again";
}

TEST_P(ConsoleDownload, DamagedImageIsRefusedWithoutLoaderTraffic)
{
    FWaitDwnlMB::ImageSource = [](int32_t softwareId) {
        return withBadChecksum(mdlSoftwares::EmbeddedFirmwareImage(softwareId), 7);
    };
    ASSERT_NO_FATAL_FAILURE(start(MsgResult::No));
    uploadFromMenu();

    EXPECT_EQ(ui.messageTexts(), (QStringList{Upgrade, Older, Proceed, QStringLiteral("CheckSum error")}));
    EXPECT_EQ(loaderRequests(sim), 0);
    EXPECT_TRUE(sim.bootLoaders().programmed().isEmpty());
    const bool enteredLoader = std::any_of(sim.requests().cbegin(), sim.requests().cend(), [](const auto &request) {
        return request.function == 6 && request.address == 205 && request.quantity == 3;
    });
    EXPECT_FALSE(enteredLoader) << "a damaged image must not send the device into its boot loader";
}

INSTANTIATE_TEST_SUITE_P(Download, ConsoleDownload,
                         ::testing::Values(Route{false, Kind::Modbus}, Route{true, Kind::Modbus},
                                           Route{false, Kind::Legacy}, Route{true, Kind::Legacy}),
                         routeName);

class ForcedDownload : public ConsoleDownload {};

TEST_P(ForcedDownload, AcceptedUpgradeAtConnectionProgramsWithoutFurtherQuestions)
{
    ASSERT_NO_FATAL_FAILURE(start(MsgResult::Yes));

    ASSERT_TRUE(reconnectedWith(CarriedVersion)) << "no reconnection with the new version";
    EXPECT_EQ(ui.messageTexts(), QStringList{Upgrade}) << "a forced programming asks nothing and reports nothing";
    EXPECT_EQ(sim.bootLoaders().finishedDownloads(), 1);
}

INSTANTIATE_TEST_SUITE_P(Download, ForcedDownload,
                         ::testing::Values(Route{false, Kind::Modbus}, Route{true, Kind::Legacy}), routeName);

}  // namespace
}  // namespace download_test
