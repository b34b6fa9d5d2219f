#include "shell/LinkWatchdog.h"
#include "EventLoopWait.h"
#include "StandInLinkTest.h"
#include "device/CommPort.h"
#include "platform/Error.h"
#include "platform/WinSocket.h"

#include <QTimer>
#include <algorithm>
#include <functional>

namespace {

constexpr int AdminBit = 50;
constexpr int SuperUserBit = 54;

// The watchdog alone on the shell's link to the stand-in; no window is made. It ticks only when
// a test says so.
class Watchdog : public StandInLinkTest {
protected:
    void SetUp() override
    {
        StandInLinkTest::SetUp();
        timer = watchdog.findChild<QTimer *>(QStringLiteral("tmrCheckStatus"));
        ASSERT_NE(timer, nullptr);
        watchdog.setDevice(&device());
        QObject::connect(&watchdog, &LinkWatchdog::linkReopened, [this] { ++reopened; });
        mdlMain::OpenDevicePort();
        ASSERT_TRUE(waitFor([this] { return device().Connected(); }, 3000)) << "the device was not identified";
    }

    // Ticks until a tick finds the device connected, at most five ticks a second apart.
    bool tickUntilConnected()
    {
        for (int i = 0; i < 5; ++i) {
            const bool connected = device().Connected();
            watchdog.tick();
            if (connected)
                return true;
            waitFor([this] { return device().Connected(); }, 1000);
        }
        return false;
    }

    // The device object shows the role bits that the stand-in reports.
    bool rolesShown() const
    {
        return device().Bit(AdminBit) == sim.statusBit(AdminBit) &&
               device().Bit(SuperUserBit) == sim.statusBit(SuperUserBit);
    }

    LinkWatchdog watchdog;
    QTimer *timer = nullptr;
    int reopened = 0;
};

TEST_F(Watchdog, PollsEveryTickAndReopensTheLinkOnTheTickThatFindsTheDeviceLost)
{
    struct Case {
        const char *fault;
        std::function<void(devsim::DeviceSim &)> apply;
        int ticksToLoss;
    };
    const Case cases[] = {
        // Eight unanswered polls, four seconds of ticks, mark a silent device lost.
        {"silent device", [](devsim::DeviceSim &s) { s.setSilent(true); }, 8},
        {"connection closed", &devsim::DeviceSim::dropConnections, 1},
        {"connection reset", &devsim::DeviceSim::resetConnections, 1},
    };
    sim.clearRequests();
    watchdog.tick();
    ASSERT_TRUE(waitFor([this] { return device().PendingRequests().Count() == 0; }, 1000));
    const QList<devsim::SimRequest> polls = sim.requests();
    EXPECT_EQ(std::count_if(polls.begin(), polls.end(), [](auto &r) { return r.function == 4 && r.address == 0; }), 1)
        << "one status poll a tick";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        reopened = 0;
        ASSERT_TRUE(tickUntilConnected());
        // The last poll has its answer, so no tick has been missed yet.
        ASSERT_TRUE(waitFor([this] { return device().MissedReplies() == 0; }, 1000));
        EXPECT_EQ(timer->interval(), 500);

        c.apply(sim);
        // A closed socket is seen by the next tick, however soon it comes.
        waitFor([] { return mdlMain::wskEthernet().State() != platform::WinSocket::sckConnected; },
                c.ticksToLoss == 1 ? 3000 : 0);
        for (int tick = 1; tick < c.ticksToLoss; ++tick)
            watchdog.tick();
        EXPECT_EQ(reopened, 0) << "still within the ticks a device may miss";
        EXPECT_TRUE(device().Connected());
        watchdog.tick();
        EXPECT_GE(reopened, 1);
        EXPECT_FALSE(device().Connected());
        EXPECT_EQ(timer->interval(), 1500) << "a device away is looked for less often";

        sim.setSilent(false);
        ASSERT_TRUE(tickUntilConnected()) << "found again";
        EXPECT_EQ(timer->interval(), 500);
        EXPECT_EQ(sim.tcpClientCount(), 1);
    }
}

TEST_F(Watchdog, LogOnIsSettledByAConnectedTickOnceTheDeviceHasTakenIt)
{
    enum class Hold { None, DeviceAway, WritesAtGateway };
    using Role = LinkWatchdog::Role;
    struct Case {
        Role role;
        int bitOnDevice;  // 0: none
        double secondsLater;
        Hold hold;
        QStringList boxes;
    };
    const QStringList succeeded{QStringLiteral("Login succeded")};
    const QStringList invalid{QStringLiteral("Invalid password")};
    const Case cases[] = {
        {Role::Administrator, AdminBit, 0.0, Hold::None, succeeded},
        {Role::SuperUser, SuperUserBit, 0.0, Hold::None, succeeded},
        {Role::SuperUser, 0, 1.9, Hold::None, {}},
        {Role::Administrator, SuperUserBit, 2.5, Hold::None, invalid},
        {Role::SuperUser, AdminBit, 2.5, Hold::None, invalid},
        // No verdict while the device is away or has yet to take the log-on's writes.
        {Role::Administrator, 0, 2.5, Hold::DeviceAway, {}},
        {Role::Administrator, 0, 2.5, Hold::WritesAtGateway, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "bit " << c.bitOnDevice << ", hold " << static_cast<int>(c.hold));
        for (const int bit : {AdminBit, SuperUserBit})
            sim.setStatusBit(bit, bit == c.bitOnDevice);
        platform::clock::setTestOffset(0);
        ASSERT_TRUE(tickUntilConnected());
        ASSERT_TRUE(waitFor([this] { return rolesShown(); }, 1000));
        ui.messages.clear();

        watchdog.logOnSent(c.role);
        if (c.hold == Hold::WritesAtGateway) {
            sim.setGatewayMs(200);
            device().AdminLogOn(QStringLiteral("wrong"));
        }
        if (c.hold == Hold::DeviceAway) {
            sim.setSilent(true);
            device().Reset();
        }
        platform::clock::setTestOffset(c.secondsLater);
        watchdog.tick();
        EXPECT_EQ(ui.messageTexts(), c.boxes);
        if (!c.boxes.isEmpty())
            continue;

        // Without a verdict yet, one comes two seconds after the hold is over.
        sim.setSilent(false);
        ASSERT_TRUE(waitFor([this] { return !device().WritesPending(); }, 5000));
        sim.setGatewayMs(0);
        platform::clock::setTestOffset(c.secondsLater + 2.5);
        ASSERT_TRUE(tickUntilConnected());
        EXPECT_EQ(ui.messageTexts(), invalid);
    }
    EXPECT_EQ(ui.messages.back().title, QStringLiteral("Varix Configuration Console"));
}

TEST_F(Watchdog, AnErrorInATickIsShownInOneBoxAndALostPortIsClosed)
{
    // The log-on verdict's box raises, as any call of a tick might; a tick while the error's box is
    // open raises again.
    ASSERT_FALSE(sim.startSerial(folder.path(), 7).isEmpty()) << sim.errorString().toStdString();
    mdlMain::UseEthernet = false;
    mdlMain::PortNumber = 7;
    sim.setStatusBit(AdminBit, true);
    for (const auto &[number, closesThePort] : {std::pair{8021, true}, std::pair{5, false}}) {
        SCOPED_TRACE(number);
        mdlMain::OpenDevicePort();
        ASSERT_TRUE(waitFor([this] { return device().Connected() && rolesShown(); }, 3000));
        ui.messages.clear();
        int raised = 0;
        ui.onMessage = [this, &raised, number = number](const platform::MessageBoxRequest &box) {
            if (box.icon != platform::MsgIcon::Critical) {
                ++raised;
                throw platform::Error(number, QStringLiteral("MSComm"), QStringLiteral("The port is gone"));
            }
            watchdog.logOnSent(LinkWatchdog::Role::Administrator);
            watchdog.tick();
        };
        watchdog.logOnSent(LinkWatchdog::Role::Administrator);
        watchdog.tick();
        ui.onMessage = nullptr;
        EXPECT_EQ(raised, 2);
        EXPECT_EQ(ui.messageTexts(), (QStringList{QStringLiteral("Login succeded"), QStringLiteral("The port is gone"),
                                                  QStringLiteral("Login succeded")}));
        EXPECT_EQ(mdlMain::Port().PortOpen(), !closesThePort);
    }
}

}  // namespace
