#include "shell/FirmwareFlow.h"
#include "EventLoopWait.h"
#include "FirmwareCheckTexts.h"
#include "StandInLinkTest.h"
#include "lib/BootLoaders.h"
#include "platform/WinSocket.h"
#include "shell/LinkWatchdog.h"

#include <QTimer>
#include <QWidget>
#include <optional>

namespace {

using platform::MsgResult;

// What the flow asks of its window, recorded; the panel comes back at a set time of the test clock.
class RecordingWindow : public FirmwareWindow {
public:
    QWidget *downloadOwner() override { return &owner; }
    void releaseForDownload() override { ++releases; }
    void BuildFirmwareMenus() override { ++menuBuilds; }
    bool panelReturned() override { return platform::clock::testOffset() >= panelBackAt; }

    QWidget owner;
    int releases = 0;
    int menuBuilds = 0;
    double panelBackAt = 0.0;
};

// The flow with a recording window and a watchdog of its own on the shell's link; no main window.
class Flow : public StandInLinkTest {
protected:
    void SetUp() override
    {
        StandInLinkTest::SetUp();
        flow.setDevice(&device());
        watchdog.setDevice(&device());
        watchdog.start();
        mdlMain::OpenDevicePort();
        ASSERT_TRUE(waitFor([this] { return device().Connected(); }, 3000)) << "the device was not identified";
    }

    void TearDown() override
    {
        watchdog.stop();
        watchdog.setDevice(nullptr);
        flow.setDevice(nullptr);
        StandInLinkTest::TearDown();
    }

    // A download window that checks what it finds and leaves the stand-in in its application:
    // programmed with the carried image, or switched off and on after a failure.
    void installDownload(bool outcome, int32_t software = OwnApplication, int32_t baudRate = 115200)
    {
        downloads = 0;
        FirmwareDownloadHook::setRunner([=, this](QWidget *owner) {
            ++downloads;
            EXPECT_EQ(owner, &window.owner);
            EXPECT_EQ(window.releases, 1) << "nothing of the device stays on show";
            EXPECT_FALSE(watchdogTicking());
            EXPECT_EQ(device().EthernetPort(), nullptr) << "the download window has the socket to itself";
            EXPECT_TRUE(
                waitFor([this] { return sim.bootLoaders().mode() != devsim::BootLoaders::Mode::Application; }, 2000));
            EXPECT_EQ(mdlMain::CurrentSoftware.Index, software);
            EXPECT_EQ(mdlMain::BaudRate, baudRate);
            if (outcome)
                sim.setIdentity(CarriedVersion, OwnApplication, sim.serialNumber());
            else
                sim.bootLoaders().powerCycle();
            return outcome;
        });
    }

    bool watchdogTicking() const { return watchdog.findChild<QTimer *>()->isActive(); }

    RecordingWindow window;
    LinkWatchdog watchdog;
    FirmwareFlow flow{window, watchdog};
    int downloads = 0;
};

TEST_F(Flow, ConnectionCheckWeighsTheDeviceFirmwareAgainstTheCarriedImage)
{
    using namespace firmwarecheck;
    struct Case {
        quint8 version;
        quint8 software;
        const char *serial;
        std::optional<MsgResult> answer;
        QStringList boxes;
        int downloads;
    };
    const Case cases[] = {
        {CarriedVersion, OwnApplication, "XR-S-999001", {}, {}, 0},
        {CarriedVersion + 1, OwnApplication, "XR-S-999001", {}, {Newer}, 0},
        {0x10, 26, "XR-S-999001", {}, {Newer}, 0},  // no image is carried for 26
        {CarriedVersion - 1, OwnApplication, "XR-S-999001", MsgResult::No, {Upgrade, Older}, 0},
        {CarriedVersion - 1, OwnApplication, "XR-S-999001", MsgResult::Yes, {Upgrade}, 1},
        {CarriedVersion - 1, OwnApplication, "XR-S-416077", {}, {OlderUseUsb}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << int(c.version) << " of " << int(c.software) << ", "
                                        << c.serial);
        sim.setIdentity(c.version, c.software, c.serial);
        device().CheckStatus();
        ASSERT_TRUE(waitFor(
            [this, &c] { return device().FirmwareVersion() == c.version && device().SerialNumber() == c.serial; },
            3000));
        installDownload(true);
        window.releases = 0;
        window.menuBuilds = 0;
        ui.messages.clear();
        if (c.answer)
            ui.queueMessageAnswer(*c.answer);
        flow.checkOnConnection();
        EXPECT_EQ(ui.messageTexts(), c.boxes) << "a forced programming reports nothing";
        EXPECT_EQ(downloads, c.downloads);
        EXPECT_EQ(window.menuBuilds, c.downloads) << "the menus follow a programming";
    }
}

TEST_F(Flow, DownloadHasTheLinkToItselfAndHandsItBack)
{
    struct Case {
        bool windowInstalled;
        int32_t software;
        bool outcome;
        int32_t baudRate;
    };
    const Case cases[] = {
        {true, OwnApplication, true, 115200},
        {true, OwnApplication, false, 115200},
        {true, 45, true, 19200},
        {false, OwnApplication, false, 115200},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "entry " << c.software << ", outcome " << c.outcome);
        installDownload(c.outcome, c.software, c.baudRate);
        if (!c.windowInstalled)
            FirmwareDownloadHook::setRunner({});
        window.releases = 0;
        ui.messages.clear();
        mdlMain::BaudRate = 115200;

        EXPECT_EQ(flow.DownloadFirmware(c.software), c.outcome);
        EXPECT_EQ(downloads, c.windowInstalled ? 1 : 0);
        if (!c.windowInstalled) {
            EXPECT_EQ(ui.messageTexts(),
                      QStringList{QStringLiteral("Unable to download software. Please check cable connections.")});
            EXPECT_EQ(window.releases, 0) << "the device stays in its application";
        }
        EXPECT_TRUE(watchdogTicking());
        EXPECT_EQ(device().EthernetPort(), &mdlMain::wskEthernet());
        EXPECT_EQ(mdlMain::CurrentSoftware.Index, 0) << "the next identification switches software";
        EXPECT_EQ(mdlMain::BaudRate, c.baudRate);
        EXPECT_TRUE(waitFor([this] { return device().Connected(); }, 3000)) << "the device is back";
    }
}

TEST_F(Flow, PanelIsAwaitedUntilItIsBackOrForThirtySeconds)
{
    // The test clock runs a second for every 5 ms.
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout,
                     [] { platform::clock::setTestOffset(platform::clock::testOffset() + 1.0); });
    clock.start(5);
    for (const double backAt : {3.0, 1000.0}) {
        platform::clock::setTestOffset(0);
        window.panelBackAt = backAt;
        flow.waitForPanelReturn();
        EXPECT_NEAR(platform::clock::testOffset(), std::min(backAt, 30.0), 1.0);
    }
}

}  // namespace
