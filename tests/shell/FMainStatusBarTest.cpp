#include "FMainTestFixture.h"
#include "NamedControls.h"
#include "netconfig/DeviceServerDirectory.h"
#include "shell/ElidedLabel.h"

#include <QLabel>
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
    showRoleAndLamps();
    open();
    ASSERT_TRUE(QTest::qWaitFor([this] { return deviceState() == IdentifiedState; }, 3000));
    sim.setSilent(true);
    sim.dropConnections();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !device().Connected(); }, 5000)) << "a closed socket is a lost link";
    EXPECT_TRUE(panelText("OnChip").startsWith(QStringLiteral("On chip: <"))) << panelText("OnChip").toStdString();
    EXPECT_EQ(deviceState(), QStringLiteral("||||||||")) << "nothing of the lost device stays";
    EXPECT_FALSE(window->panel(QStringLiteral("Status"))->hasPicture());
    EXPECT_EQ(timer(*window, "tmrCheckStatus")->interval(), 1500) << "a lost device is looked for every 1.5 s";

    sim.setSilent(false);
    ASSERT_TRUE(QTest::qWaitFor([this] { return device().Connected(); }, 5000)) << "the watchdog reconnects";
    // The very same inputs and outputs come back, though they raise no change of their own.
    EXPECT_TRUE(QTest::qWaitFor([this] { return deviceState() == IdentifiedState; }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([this] { return timer(*window, "tmrCheckStatus")->interval() == 500; }, 2000));
}

TEST_F(StatusBar, MachineTextGivesWayToTheDevicesIdentity)
{
    const QString mac = QStringLiteral("00-80-A3-99-10-02");
    folder.write(QStringLiteral("interfaces.ini"), "[00-80-A3-99-10-02] Milling centre, hall 2\r\n");
    open();
    window->resize(709, 500);
    auto *directory = window->findChild<DeviceServerDirectory *>();
    ASSERT_NE(directory, nullptr);
    directory->DeviceServers.insert(mac, QStringLiteral("127.0.0.1"));  // found before: no search
    action(*window, "mnuChoMachine_1")->trigger();
    const QString onChip = QStringLiteral("On chip: Kinetic Vibration Relay - Ethernet Interface: ") + mac +
                           QStringLiteral(" - Milling centre, hall 2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelText("OnChip") == onChip; }, 5000));
    QTest::qWait(50);  // for the bar to lay itself out once the new sizes have come up through its panels
    const auto shown = [this](const char *key) {
        const auto *label = window->panel(QLatin1String(key))->findChild<ElidedLabel *>();
        return label ? label->text() + QLatin1Char('|') + label->toolTip() : QStringLiteral("no label");
    };
    EXPECT_EQ(shown("SN"), QStringLiteral("XR-S-999001|"));
    EXPECT_EQ(shown("FW_Version"), QStringLiteral("Ver. 17.15|"));
    EXPECT_TRUE(shown("OnChip").endsWith(QChar(0x2026) + QStringLiteral("|") + onChip))
        << shown("OnChip").toStdString();
    window->resize(1500, 500);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown("OnChip") == onChip + QLatin1Char('|'); }, 2000));
}

TEST_F(StatusBar, NoDeviceBehindAnOpenLinkShowsNoneFromTheStartAndSaysNothingAnswers)
{
    constexpr int Com = 6;
    sim.setSilent(true);
    for (const bool ethernet : {true, false}) {
        SCOPED_TRACE(ethernet ? "TCP" : "serial");
        QString place = QStringLiteral("127.0.0.1:%1").arg(mdlMain::TCPPort);
        if (!ethernet) {
            const QString slave = sim.startSerial(folder.path(), Com);
            ASSERT_FALSE(slave.isEmpty()) << sim.errorString().toStdString();
            mdlMain::UseEthernet = false;
            mdlMain::PortNumber = Com;
            place = QStringLiteral("COM6 (%1)").arg(slave);
        }
        open(false);
        timer(*window, "tmrCheckStatus")->stop();
        for (int tick = 0; tick < 3; ++tick) {
            EXPECT_EQ(panelText("OnChip"), QStringLiteral("On chip: <None>")) << tick;
            // Once a poll went unanswered, not before.
            EXPECT_EQ(label(*window, "lblConnecting")->text(),
                      tick == 0 ? QString()
                                : place + QStringLiteral(": no device answers. Choose the link in Tools > Options."));
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
