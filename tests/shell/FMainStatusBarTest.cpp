#include "FMainTestFixture.h"
#include "NamedControls.h"
#include "netconfig/DeviceServerDirectory.h"
#include "shell/ElidedLabel.h"

#include <QLabel>
#include <QStatusBar>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using StatusBar = MainWindowTest;

TEST_F(StatusBar, ShowsTheIdentifiedDevice)
{
    open();
    EXPECT_EQ(panelText("OnChip"), QStringLiteral("On chip: Kinetic Vibration Relay"));
    EXPECT_EQ(panelText("FW_Version"), QStringLiteral("Ver. 17.15"));
    EXPECT_EQ(panelText("SN"), QStringLiteral("XR-S-999001"));
    EXPECT_TRUE(window->panel(QStringLiteral("SN"))->isVisibleTo(window.get()));
    EXPECT_TRUE(label(*window, "lblConnecting")->text().isEmpty());
    EXPECT_TRUE(ui.messages.empty()) << "the device runs the carried image: nothing to tell";

    EXPECT_EQ(window->panel(QStringLiteral("OnChip"))->toolTip(), QStringLiteral("On chip"));
    EXPECT_EQ(window->panel(QStringLiteral("SN"))->toolTip(), QStringLiteral("Device Serial Number"));
    EXPECT_EQ(window->panel(QStringLiteral("IN2"))->toolTip(), QStringLiteral("AUX Input"));
    EXPECT_TRUE(window->panel(QStringLiteral("FW_Version"))->toolTip().isEmpty());
}

TEST_F(StatusBar, SerialNumberOnlyFromVersion0x80)
{
    struct Case {
        quint8 version;
        bool shown;
        const char *versionText;
    };
    // Software 26 has no carried image, so both versions are newer than it (text 401).
    for (const Case &c : {Case{0x7F, false, "Ver. 12.15"}, Case{0x80, true, "Ver. 13.0"}}) {
        SCOPED_TRACE(c.version);
        sim.setIdentity(c.version, 26, "XR-S-123456");
        open();
        EXPECT_EQ(window->panel(QStringLiteral("SN"))->isVisibleTo(window.get()), c.shown);
        if (c.shown) {
            EXPECT_EQ(panelText("SN"), QStringLiteral("XR-S-123456"));
        }
        EXPECT_EQ(panelText("FW_Version"), QLatin1String(c.versionText));
        window->close();
        window.reset();
        mdlMain::ReleaseLink();
        mdlMain::CurrentSoftware = SoftwareRecord();
    }
}

TEST_F(StatusBar, VersionZeroReadsFourX)
{
    sim.setIdentity(0, 0, "");
    open();
    EXPECT_EQ(panelText("FW_Version"), QStringLiteral("Ver. 4.X"));
    EXPECT_EQ(panelText("OnChip"), QStringLiteral("On chip: "));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StatusBar, AutodiagnosticErrorBlinksAndDisabledOutputsStaySteady)
{
    sim.setStatusBit(49, false);
    open();
    timer(*window, "tmrStatusBar")->stop();
    StatusBarPanel *status = window->panel(QStringLiteral("Status"));
    for (int tick = 0; tick < 4; ++tick) {
        window->tmrStatusBar_Timer();
        const bool lit = tick % 2 == 0;
        EXPECT_EQ(status->text(), lit ? QStringLiteral("Autodiagnostic Error") : QString()) << tick;
        EXPECT_EQ(status->hasPicture(), lit) << tick;
    }

    for (const int disablingBit : {48, 51}) {
        SCOPED_TRACE(disablingBit);
        sim.setStatusBit(49, true);
        sim.setStatusBit(48, disablingBit == 48);
        sim.setStatusBit(51, disablingBit == 51);
        poll();
        for (int tick = 0; tick < 2; ++tick) {
            window->tmrStatusBar_Timer();
            EXPECT_EQ(status->text(), QStringLiteral("Output disabled"));
            EXPECT_TRUE(status->hasPicture());
        }
    }

    sim.setStatusBit(51, false);
    poll();
    window->tmrStatusBar_Timer();
    EXPECT_TRUE(status->text().isEmpty());
    EXPECT_FALSE(status->hasPicture());
}

TEST_F(StatusBar, LampsFollowTheInputsAndOutputs)
{
    open();
    sim.setIOByte(0b1000'0101);
    poll();
    EXPECT_EQ(panelText("O1"), QStringLiteral("O1"));
    EXPECT_EQ(panelText("O2"), QString());
    EXPECT_EQ(panelText("O3"), QStringLiteral("O3"));
    EXPECT_EQ(panelText("IN1"), QString());
    EXPECT_EQ(panelText("IN2"), QStringLiteral("AI"));

    sim.setIOByte(0b0000'1010);
    poll();
    EXPECT_EQ(panelText("O1"), QString());
    EXPECT_EQ(panelText("O2"), QStringLiteral("O2"));
    EXPECT_EQ(panelText("IN1"), QStringLiteral("MA"));
    EXPECT_EQ(panelText("IN2"), QString());
}

TEST_F(StatusBar, ClosedConnectionIsALostLinkThatTheWatchdogReopens)
{
    open();
    sim.setSilent(true);
    sim.dropConnections();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !device().Connected(); }, 5000)) << "a closed socket is a lost link";
    EXPECT_TRUE(panelText("OnChip").startsWith(QStringLiteral("On chip: <"))) << panelText("OnChip").toStdString();
    EXPECT_TRUE(panelText("SN").isEmpty());
    EXPECT_TRUE(panelText("FW_Version").isEmpty());
    EXPECT_EQ(timer(*window, "tmrCheckStatus")->interval(), 1500) << "a lost device is looked for every 1.5 s";

    sim.setSilent(false);
    ASSERT_TRUE(QTest::qWaitFor([this] { return device().Connected(); }, 5000)) << "the watchdog reconnects";
    EXPECT_EQ(panelText("FW_Version"), QStringLiteral("Ver. 17.15"));
    EXPECT_TRUE(QTest::qWaitFor([this] { return timer(*window, "tmrCheckStatus")->interval() == 500; }, 2000));
}

TEST_F(StatusBar, LostDeviceTakesAllOfItsStateFromTheStatusBarOnEitherLink)
{
    constexpr int Com = 7;
    // The device's role, alarm, lamps, serial number and version, as the bar shows them.
    const auto shown = [this] {
        QStringList texts;
        for (const char *key : {"Admin", "Status", "O1", "O2", "O3", "IN1", "IN2", "SN", "FW_Version"})
            texts << panelText(key);
        return texts.join(QLatin1Char('|'));
    };
    const QString identified = QStringLiteral("S|Output disabled|O1|||MA|AI|XR-S-999001|Ver. 17.15");
    for (const bool ethernet : {true, false}) {
        SCOPED_TRACE(ethernet ? "TCP" : "serial");
        // Set anew: closing the window logged the first round's role off.
        sim.setStatusBit(54, true);
        sim.setStatusBit(48, true);
        sim.setIOByte(0b1000'1001);
        if (!ethernet) {
            ASSERT_FALSE(sim.startSerial(folder.path(), Com).isEmpty()) << sim.errorString().toStdString();
            mdlMain::UseEthernet = false;
            mdlMain::PortNumber = Com;
        }
        open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown() == identified; }, 3000)) << shown().toStdString();

        if (ethernet) {
            sim.setSilent(true);
            sim.dropConnections();
        } else {
            sim.pullCable();
        }
        ASSERT_TRUE(QTest::qWaitFor([this] { return !device().Connected(); }, 8000)) << "the device was not lost";
        EXPECT_EQ(shown(), QStringLiteral("||||||||"));
        EXPECT_FALSE(window->panel(QStringLiteral("Status"))->hasPicture());
        EXPECT_EQ(window->panel(QStringLiteral("Admin"))->toolTip(), QStringLiteral("Administrator"));
        EXPECT_EQ(panelText("OnChip"), QStringLiteral("On chip: <None>"));

        // Back with the very same inputs and outputs, which raise no change of their own.
        if (ethernet)
            sim.setSilent(false);
        else
            ASSERT_TRUE(sim.plugCable()) << sim.errorString().toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return shown() == identified; }, 8000)) << shown().toStdString();
        window->close();
        window.reset();
        mdlMain::ReleaseLink();
    }
}

TEST_F(StatusBar, MachineTextGivesWayToTheDevicesIdentity)
{
    const QString mac = QStringLiteral("00-80-A3-99-10-02");
    folder.write(QStringLiteral("interfaces.ini"), "[00-80-A3-99-10-02] Milling centre, hall 2\r\n");
    open();
    window->resize(709, 500);
    auto *directory = window->findChild<DeviceServerDirectory *>();
    ASSERT_NE(directory, nullptr);
    // Found before, so the menu's choice searches nothing.
    directory->DeviceServers.insert(mac, QStringLiteral("127.0.0.1"));
    action(*window, "mnuChoMachine_1")->trigger();
    const QString onChip = QStringLiteral("On chip: Kinetic Vibration Relay - Ethernet Interface: ") + mac +
                           QStringLiteral(" - Milling centre, hall 2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelText("OnChip") == onChip; }, 5000))
        << panelText("OnChip").toStdString();

    const auto label = [this](const char *key) {
        return window->panel(QLatin1String(key))->findChild<ElidedLabel *>();
    };
    for (const int width : {709, 1500}) {
        SCOPED_TRACE(width);
        window->resize(width, 500);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->statusBar()->width() == width; }, 2000));
        // The bar lays itself out anew once the texts' sizes have gone up through its panels.
        QTest::qWait(50);
        for (const char *key : {"SN", "FW_Version"}) {
            ASSERT_NE(label(key), nullptr);
            EXPECT_EQ(label(key)->text(), label(key)->fullText()) << key;
            EXPECT_GE(label(key)->width(), label(key)->sizeHint().width()) << key;
            EXPECT_LE(window->panel(QLatin1String(key))->geometry().right(), width) << key;
        }
        ASSERT_NE(label("OnChip"), nullptr);
        const bool whole = width > 709;
        EXPECT_EQ(label("OnChip")->text() == onChip, whole) << label("OnChip")->text().toStdString();
        EXPECT_EQ(label("OnChip")->toolTip(), whole ? QString() : onChip);
        if (!whole) {
            EXPECT_TRUE(label("OnChip")->text().endsWith(QChar(0x2026)));
        }
    }
}

TEST_F(StatusBar, NoDeviceBehindAnOpenLinkShowsNoneFromTheStart)
{
    constexpr int Com = 6;
    sim.setSilent(true);
    for (const bool ethernet : {true, false}) {
        SCOPED_TRACE(ethernet ? "TCP" : "serial");
        if (!ethernet) {
            ASSERT_FALSE(sim.startSerial(folder.path(), Com).isEmpty()) << sim.errorString().toStdString();
            mdlMain::UseEthernet = false;
            mdlMain::PortNumber = Com;
        }
        open(false);
        timer(*window, "tmrCheckStatus")->stop();
        for (int tick = 0; tick < 3; ++tick) {
            EXPECT_EQ(panelText("OnChip"), QStringLiteral("On chip: <None>")) << tick;
            EXPECT_TRUE(label(*window, "lblConnecting")->text().isEmpty()) << "the link itself is open";
            window->tmrCheckStatus_Timer();
            QTest::qWait(250);
        }
        EXPECT_FALSE(device().Connected());
        window->close();
        window.reset();
        mdlMain::ReleaseLink();
    }
}

// A loopback port that a socket of this test holds, so that no other program (nor a connection
// to itself) can take it while the test runs: bound alone it refuses every connection; listening
// with a full accept queue it never answers one.
class HeldPort {
public:
    enum class Kind { Refusing, Silent };

    explicit HeldPort(Kind kind)
    {
        socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(socket_, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
            ::getsockname(socket_, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        if (kind == Kind::Silent) {
            filler_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (::listen(socket_, 0) != 0 || ::connect(filler_, reinterpret_cast<sockaddr *>(&address), length) != 0)
                return;
        }
        port_ = ntohs(address.sin_port);
    }
    ~HeldPort()
    {
        ::close(filler_);
        ::close(socket_);
    }
    quint16 port() const { return port_; }

private:
    int socket_ = -1;
    int filler_ = -1;
    quint16 port_ = 0;
};

TEST_F(StatusBar, LinkThatCannotBeOpenedSaysWhereAndWhy)
{
    const HeldPort refusing(HeldPort::Kind::Refusing);
    const HeldPort silent(HeldPort::Kind::Silent);
    ASSERT_NE(refusing.port(), 0);
    ASSERT_NE(silent.port(), 0);
    struct Case {
        const char *what;
        quint16 port;
        const char *reason;
    };
    const Case cases[] = {
        {"refused", refusing.port(), "Connection refused"},
        {"no answer", silent.port(), "No answer within 1 s"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        mdlMain::TCPPort = c.port;
        open(false);
        EXPECT_FALSE(device().Connected());
        EXPECT_EQ(label(*window, "lblConnecting")->text(),
                  QStringLiteral("127.0.0.1:%1: ").arg(c.port) + QLatin1String(c.reason));
        EXPECT_EQ(panelText("OnChip"), QStringLiteral("On chip: <None>"));
        EXPECT_EQ(mdlMain::LinkErrorDescription(),
                  QStringLiteral("Cannot open the COM port: port already open or wrong port settings"));
        EXPECT_TRUE(ui.messages.empty());
        window->close();
        window.reset();
        mdlMain::ReleaseLink();
    }
}

}  // namespace
