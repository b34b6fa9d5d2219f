#include "FMainTestFixture.h"
#include "FirmwareCheckTexts.h"
#include "NamedControls.h"
#include "device/CommPort.h"
#include "firmware/mdlSoftwares.h"
#include "lib/BootLoaders.h"
#include "platform/WinSocket.h"

namespace {

using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

using namespace firmwarecheck;

const QString NoEthernet = QStringLiteral("This item cannot be programmed through ethernet connection. Please "
                                          "connect it through USB to upload the firmware.");
const QString Complete = QStringLiteral("Download complete.");

// What the main window had arranged when the download window ran.
struct DownloadSeen {
    int runs = 0;
    int32_t software = -1;
    int32_t baudRate = 0;
    bool watchdogActive = true;
    bool socketAttached = true;
    bool commandSent = false;
};

class Firmware : public MainWindowTest {
protected:
    // Installs a download window that records the state it finds and reports `outcome`.
    void installDownload(bool outcome)
    {
        FirmwareDownloadHook::setRunner([this, outcome](QWidget *owner) {
            EXPECT_EQ(owner, window.get());
            ++seen.runs;
            seen.software = mdlMain::CurrentSoftware.Index;
            seen.baudRate = mdlMain::BaudRate;
            seen.watchdogActive = timer(*window, "tmrCheckStatus")->isActive();
            seen.socketAttached = device().EthernetPort() != nullptr;
            seen.commandSent = QTest::qWaitFor([this] { return writesTo(205).contains(3); }, 2000);
            // Command 3 left the stand-in in its boot loader: it comes back with the carried image
            // after a download, or, after a failed one, once it is switched off and on.
            if (outcome)
                sim.setIdentity(CarriedVersion, OwnApplication, sim.serialNumber());
            else
                sim.bootLoaders().powerCycle();
            return outcome;
        });
    }

    void expectDownloadArranged(int32_t software)
    {
        EXPECT_EQ(seen.runs, 1);
        EXPECT_EQ(seen.software, software);
        EXPECT_FALSE(seen.watchdogActive);
        EXPECT_FALSE(seen.socketAttached) << "the download window has the socket to itself";
        EXPECT_TRUE(seen.commandSent) << "command 3 sends the device into its boot loader";
    }

    void expectReconnected()
    {
        EXPECT_TRUE(timer(*window, "tmrCheckStatus")->isActive());
        EXPECT_NE(device().EthernetPort(), nullptr);
        EXPECT_TRUE(QTest::qWaitFor([this] { return device().Connected(); }, 3000));
    }

    DownloadSeen seen;
};

TEST_F(Firmware, NewerDeviceFirmwareIsReported)
{
    installDownload(true);
    sim.setIdentity(0x10, 26, "XR-S-999001");  // no image is carried for software 26
    open();
    ASSERT_EQ(ui.messageTexts(), QStringList{Newer});
    EXPECT_EQ(ui.messages.front().icon, MsgIcon::Exclamation);

    // Every new connection tells it again.
    sim.setSilent(true);
    sim.dropConnections();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !device().Connected(); }, 5000));
    sim.setSilent(false);
    ASSERT_TRUE(QTest::qWaitFor([this] { return device().Connected(); }, 5000));
    // The check runs from the event loop, after the reply that found the device.
    EXPECT_TRUE(QTest::qWaitFor([this] { return ui.messages.size() == 2; }, 2000));
    EXPECT_EQ(ui.messageTexts(), (QStringList{Newer, Newer}));
    EXPECT_EQ(seen.runs, 0);
}

TEST_F(Firmware, OlderFirmwareIsOfferedAndProgrammedWithoutFurtherQuestions)
{
    installDownload(true);
    sim.setIdentity(CarriedVersion - 1, OwnApplication, "XR-S-999001");
    ui.queueMessageAnswer(MsgResult::Yes);
    open();
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return seen.runs == 1 && device().FirmwareVersion() == CarriedVersion; }, 3000));
    EXPECT_EQ(ui.messageTexts(), QStringList{Upgrade}) << "a forced programming asks nothing and reports nothing";
    EXPECT_EQ(ui.messages.front().buttons, MsgButtons::YesNo);
    EXPECT_EQ(ui.messages.front().icon, MsgIcon::Information);
    expectDownloadArranged(OwnApplication);
    expectReconnected();
    EXPECT_EQ(mdlMain::CurrentSoftware.Index, OwnApplication) << "identified again after the download";
    EXPECT_EQ(panelText("FW_Version"), QStringLiteral("Ver. 17.15"));
}

TEST_F(Firmware, DeclinedUpgradeIsReported)
{
    installDownload(true);
    sim.setIdentity(CarriedVersion - 1, OwnApplication, "XR-S-999001");
    ui.queueMessageAnswer(MsgResult::No);
    // While a box waits, the status bar keeps ticking before the new connection's status bits
    // are stored: a healthy device must not show an alarm meanwhile.
    QStringList statusWhileAsking;
    ui.onMessage = [this, &statusWhileAsking](const platform::MessageBoxRequest &) {
        window->tmrStatusBar_Timer();
        statusWhileAsking << panelText("Status");
    };
    open();
    ui.onMessage = nullptr;
    EXPECT_EQ(ui.messageTexts(), (QStringList{Upgrade, Older}));
    EXPECT_EQ(statusWhileAsking, (QStringList{QString(), QString()}));
    EXPECT_EQ(seen.runs, 0);
    EXPECT_TRUE(writesTo(205).isEmpty());
}

TEST_F(Firmware, DevicesThatCannotTakeFirmwareOverEthernetAreSentToUsb)
{
    installDownload(true);
    sim.setIdentity(CarriedVersion - 1, OwnApplication, "XR-S-416077");
    sim.setStatusBit(50, true);
    open();
    EXPECT_EQ(ui.messageTexts(), QStringList{OlderUseUsb});

    action(*window, "mnuTooUplFW")->trigger();
    EXPECT_EQ(ui.messageTexts().last(), NoEthernet);
    EXPECT_EQ(ui.messages.back().icon, MsgIcon::Exclamation);
    EXPECT_EQ(seen.runs, 0);
    EXPECT_TRUE(writesTo(205).isEmpty());
}

TEST_F(Firmware, UnsupportedV4DeviceGetsNoPanel)
{
    sim.setIdentity(0, 26, "");
    open();
    ASSERT_EQ(ui.messageTexts(),
              QStringList{QStringLiteral("The device connected is a Varix V4 and is not supported by this software.")});
    EXPECT_EQ(ui.messages.front().icon, MsgIcon::None);
    EXPECT_EQ(mdlMain::CurrentSoftware.Index, 26);
}

TEST_F(Firmware, ProgrammingFromTheMenuAsksAndAnnouncesOnlySuccess)
{
    sim.setStatusBit(50, true);
    open();
    struct Case {
        MsgResult answer;
        bool outcome;
        QStringList messages;
        int runs;
    };
    const Case cases[] = {
        {MsgResult::No, true, {QStringLiteral("Do you want to download an application?")}, 0},
        {MsgResult::Yes, true, {QStringLiteral("Do you want to download an application?"), Complete}, 1},
        {MsgResult::Yes, false, {QStringLiteral("Do you want to download an application?")}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.outcome);
        seen = DownloadSeen();
        ui.messages.clear();
        sim.clearRequests();
        installDownload(c.outcome);
        ui.queueMessageAnswer(c.answer);
        action(*window, "mnuTooUplFW")->trigger();
        EXPECT_EQ(ui.messageTexts(), c.messages);
        EXPECT_EQ(seen.runs, c.runs);
        if (c.runs == 1) {
            expectDownloadArranged(OwnApplication);
            expectReconnected();
        }
    }
    EXPECT_EQ(ui.messages.front().title, QStringLiteral("Varix Configuration Console"));
}

TEST_F(Firmware, MenuItemsProgramTheirOwnEntry)
{
    sim.setStatusBit(50, true);
    open();
    installDownload(true);
    QAction *item = nullptr;
    for (QAction *candidate : items(*window, "mnuFirApplication")) {
        if (candidate->data().toString() == QStringLiteral("K24"))
            item = candidate;
    }
    ASSERT_NE(item, nullptr);
    // The menus are rebuilt under the item's own signal: it goes later, so its signal reaches
    // every listener.
    bool signalWentOn = false;
    QObject::connect(item, &QAction::triggered, [&signalWentOn] { signalWentOn = true; });
    item->trigger();
    EXPECT_TRUE(signalWentOn);
    EXPECT_EQ(seen.software, 24);
    EXPECT_EQ(seen.baudRate, 115200);
    EXPECT_EQ(ui.messageTexts().last(), Complete);
    poll();
    EXPECT_EQ(action(*window, "mnuApp_0")->data().toString(), QStringLiteral("K6")) << "the menus were rebuilt";
}

TEST_F(Firmware, WithoutADownloadWindowTheDeviceStaysInItsApplication)
{
    sim.setStatusBit(50, true);
    open();
    ui.queueMessageAnswer(MsgResult::Yes);
    action(*window, "mnuTooUplFW")->trigger();
    poll();
    EXPECT_EQ(ui.messageTexts().last(), QStringLiteral("Unable to download software. Please check cable connections."));
    EXPECT_FALSE(ui.messageTexts().contains(Complete));
    EXPECT_FALSE(writesTo(205).contains(3));
    EXPECT_TRUE(timer(*window, "tmrCheckStatus")->isActive());
}

TEST_F(Firmware, SerialLinkStaysAtTheEntrysDownloadBaudRate)
{
    ASSERT_FALSE(sim.startSerial(folder.path(), 5).isEmpty()) << sim.errorString().toStdString();
    mdlMain::UseEthernet = false;
    mdlMain::PortNumber = 5;
    sim.setStatusBit(50, true);
    open();
    installDownload(true);
    ui.queueMessageAnswer(MsgResult::Yes);
    window->SetOnChipSW(QStringLiteral("K45"), false);
    EXPECT_EQ(seen.runs, 1);
    EXPECT_EQ(seen.software, 45);
    EXPECT_EQ(seen.baudRate, 19200);
    EXPECT_EQ(mdlMain::BaudRate, 19200);
    EXPECT_EQ(mdlMain::Port().Settings, QStringLiteral("19200,N,8,1"));
    EXPECT_TRUE(mdlMain::Port().PortOpen());
    EXPECT_TRUE(device().Connected());
}

}  // namespace
