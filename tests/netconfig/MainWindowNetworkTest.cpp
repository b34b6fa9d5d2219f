// The main window on the test network: the network dialog's Connect and the Machine menu, which
// finds a module by its MAC.
#include "ModuleNetwork.h"
#include "NamedControls.h"
#include "core/mdlTools.h"
#include "device/CDevice.h"
#include "netconfig/DeviceServerDirectory.h"
#include "shell/FMain.h"
#include "shell/StatusBarPanel.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>

namespace {

class MainWindowOnNetwork : public ModuleNetwork {
protected:
    void SetUp() override
    {
        ModuleNetwork::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        mdlMain::NoEthernetSerials = mdlMain::BuildNoEthernetSerials();
        // The console starts on a serial port whose adapter is unplugged.
        QDir(folder.path()).mkpath(QStringLiteral("dosdevices"));
        QFile::link(folder.file(QStringLiteral("missing")), folder.file(QStringLiteral("dosdevices/com9")));
        mdlMain::PortNumber = 9;
        mdlMain::UseEthernet = false;
        mdlMain::TCPPort = 502;
        window = std::make_unique<FMain>();
        window->Form_Load();
    }

    void TearDown() override
    {
        if (window)
            window->close();
        window.reset();
        mdlMain::ReleaseLink();
        mdlMain::UseEthernet = false;
        mdlMain::IPAddress = QStringLiteral("192.168.0.1");
        mdlMain::PortNumber = 1;
        mdlMain::CurrentSoftware = SoftwareRecord();
        ModuleNetwork::TearDown();
    }

    QString onChip() const { return window->panel(QStringLiteral("OnChip"))->text(); }

    QString marks() const
    {
        QString checked;
        for (const QAction *item : items(*window, "mnuChoose"))
            checked += item->isChecked() ? QLatin1Char('x') : QLatin1Char('-');
        return checked;
    }

    bool connectedTo(const QString &address)
    {
        return QTest::qWaitFor([] { return mdlMain::Device().Connected(); }, 5000) &&
               mdlMain::wskEthernet().RemoteHostIP() == address;
    }

    QString iniValue(const char *key) const
    {
        return mdlTools::ReadIniString(QStringLiteral("Connection Settings"), QString::fromLatin1(key),
                                       QStringLiteral("(none)"));
    }

    std::unique_ptr<FMain> window;
};

const QString PressOnChip =
    QStringLiteral("On chip: Kinetic Vibration Relay - Ethernet Interface: 00-20-4A-12-AB-CD - Press 4");

TEST_F(MainWindowOnNetwork, ConnectTakesTheModuleIntoTheLinkAndTheSettings)
{
    action(*window, "mnuTooCfgNet")->trigger();
    auto *network = window->findChild<FConfigNetwork *>();
    ASSERT_NE(network, nullptr);
    EXPECT_TRUE(network->isVisible());
    network->lvwInterfaces->setCurrentItem(network->lvwInterfaces->row(PressMac));
    network->cmdConnect->click();

    EXPECT_EQ(mdlMain::IPAddress, QStringLiteral("10.200.0.1"));
    ASSERT_TRUE(connectedTo(QStringLiteral("10.200.0.1")));
    EXPECT_EQ(onChip(), PressOnChip);
    EXPECT_EQ(marks(), QStringLiteral("-x-"));
    EXPECT_EQ(iniValue("IP Address"), QStringLiteral("10.200.0.1"));
    EXPECT_EQ(iniValue("Use Ethernet"), QStringLiteral("1"));
    EXPECT_TRUE(network->isVisible());

    // Hidden by Ok, it leaves the module replies to the Machine menu, and comes back as it was,
    // without a new search of its own.
    network->cmdOk->click();
    EXPECT_FALSE(network->isVisible());
    const qsizetype dialogSearches = press->received(QStringLiteral("F6")).size();
    action(*window, "mnuChoMachine_0")->trigger();
    action(*window, "mnuChoMachine_1")->trigger();
    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(' ').toStdString();
    EXPECT_EQ(marks(), QStringLiteral("-x-"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return press->received(QStringLiteral("F6")).size() > dialogSearches; }, 3000))
        << "the menu took what the dialog heard for found and did not search";
    const int searches = static_cast<int>(press->received(QStringLiteral("F6")).size());
    action(*window, "mnuTooCfgNet")->trigger();
    EXPECT_EQ(window->findChild<FConfigNetwork *>(), network);
    EXPECT_TRUE(network->isVisible());
    EXPECT_EQ(network->lvwInterfaces->topLevelItemCount(), 3);
    EXPECT_EQ(press->received(QStringLiteral("F6")).size(), searches);
    EXPECT_TRUE(ui.messages.empty());

    // The main window closed during a setup read waits for the read, which ends without a word.
    network->lvwInterfaces->addReply(QStringLiteral("00-20-4A-00-00-99"), QStringLiteral("10.1.2.99"),
                                     ModuleList::State::OnLine);
    network->lvwInterfaces->setCurrentItem(network->lvwInterfaces->row(QStringLiteral("00-20-4A-00-00-99")));
    QTimer::singleShot(300, window.get(), [this] { window->close(); });
    network->cmdConfigure->click();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !window->isVisible(); }, 1000));
    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(' ').toStdString();
}

TEST_F(MainWindowOnNetwork, MachineMenuFindsAModuleByMacOnceAndKeepsTheIniAsItIs)
{
    ASSERT_EQ(items(*window, "mnuChoose").size(), 3u);
    EXPECT_EQ(marks(), QStringLiteral("x--"));
    const QByteArray ini = folder.read(QStringLiteral("varix-console.ini"));

    action(*window, "mnuChoMachine_1")->trigger();
    EXPECT_TRUE(mdlMain::UseEthernet);
    ASSERT_TRUE(connectedTo(QStringLiteral("10.200.0.1")));
    EXPECT_EQ(onChip(), PressOnChip);
    EXPECT_EQ(marks(), QStringLiteral("-x-"));
    EXPECT_EQ(press->received(QStringLiteral("F6")).size(), 1);

    action(*window, "mnuChoMachine_1")->trigger();
    EXPECT_EQ(marks(), QStringLiteral("-x-")) << "the checked machine is chosen again";
    action(*window, "mnuChoMachine_0")->trigger();
    EXPECT_FALSE(mdlMain::UseEthernet);
    EXPECT_EQ(marks(), QStringLiteral("x--"));
    action(*window, "mnuChoMachine_1")->trigger();
    ASSERT_TRUE(connectedTo(QStringLiteral("10.200.0.1")));
    EXPECT_EQ(press->received(QStringLiteral("F6")).size(), 1) << "a module found once is not searched again";
    EXPECT_EQ(folder.read(QStringLiteral("varix-console.ini")), ini);
    EXPECT_TRUE(ui.messages.empty());

    // The search is over: a module the network dialog hears afterwards is the dialog's alone.
    auto *directory = window->findChild<DeviceServerDirectory *>();
    ASSERT_NE(directory, nullptr);
    const QString heardLater = QStringLiteral("00-20-4A-00-00-42");
    directory->ReplyHeard(heardLater, QStringLiteral("10.200.0.42"));
    EXPECT_FALSE(directory->DeviceServers.contains(heardLater));

    // Moved by Assign IP, the module is looked for where it went, not searched for again.
    action(*window, "mnuTooCfgNet")->trigger();
    auto *network = window->findChild<FConfigNetwork *>();
    ASSERT_NE(network, nullptr);
    network->lvwInterfaces->setCurrentItem(network->lvwInterfaces->row(PressMac));
    ui.queueInputAnswer(QStringLiteral("10.200.0.20"));
    network->cmdAssignIP->click();
    ASSERT_TRUE(press->waitForOutput(QStringLiteral("UDP FC")));
    network->cmdOk->click();
    const qsizetype searches = press->received(QStringLiteral("F6")).size();
    action(*window, "mnuChoMachine_0")->trigger();
    action(*window, "mnuChoMachine_1")->trigger();
    EXPECT_TRUE(connectedTo(QStringLiteral("10.200.0.20")));
    EXPECT_EQ(press->received(QStringLiteral("F6")).size(), searches);
}

TEST_F(MainWindowOnNetwork, MachineMenuFindsItsModuleWhenTheNetworkDialogOpensDuringTheSearchOrBefore)
{
    auto *directory = window->findChild<DeviceServerDirectory *>();
    ASSERT_NE(directory, nullptr);
    // The dialog's socket, on the card's address, takes the replies to the menu's search.
    QTimer::singleShot(0, window.get(), [this] { action(*window, "mnuTooCfgNet")->trigger(); });
    for (const char *order : {"dialog opened during the search", "dialog open before the search"}) {
        directory->DeviceServers.clear();
        action(*window, "mnuChoMachine_0")->trigger();
        action(*window, "mnuChoMachine_1")->trigger();
        EXPECT_TRUE(ui.messages.empty()) << order << ui.messageTexts().join(' ').toStdString();
        ASSERT_TRUE(connectedTo(QStringLiteral("10.200.0.1"))) << order;
    }
}

TEST_F(MainWindowOnNetwork, SilentMachineIsReportedAfterFiveSecondsAndTheLinkStays)
{
    action(*window, "mnuChoMachine_1")->trigger();
    ASSERT_TRUE(connectedTo(QStringLiteral("10.200.0.1")));
    // Bad datagrams pour in while the main window searches.
    DatagramFlood flood(QStringLiteral("10.1.2.3"), QStringLiteral("10.1.2.3"), 10000);
    QElapsedTimer elapsed;
    elapsed.start();
    action(*window, "mnuChoMachine_2")->trigger();
    EXPECT_GE(elapsed.elapsed(), 4900);
    EXPECT_LT(elapsed.elapsed(), 9000);
    EXPECT_GT(flood.sent(), 1000);
    ASSERT_EQ(ui.messageTexts(), QStringList{"Can not connect to ZEM Ethernet 00-80-A3-99-99-99"});
    EXPECT_EQ(ui.messages.front().icon, platform::MsgIcon::Exclamation);
    EXPECT_EQ(ui.messages.front().title, QStringLiteral("Varix Configuration Console"));
    EXPECT_EQ(marks(), QStringLiteral("-x-"));
    EXPECT_EQ(mdlMain::IPAddress, QStringLiteral("10.200.0.1"));
    EXPECT_TRUE(mdlMain::Device().Connected());
    const auto *directory = window->findChild<DeviceServerDirectory *>();
    ASSERT_TRUE(directory && !broadcaster->received(QStringLiteral("F6")).isEmpty());
    EXPECT_FALSE(directory->DeviceServers.contains(BroadcasterMac)) << "a reply from the broadcast address was taken";
}

}  // namespace
