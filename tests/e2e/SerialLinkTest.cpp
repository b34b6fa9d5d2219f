#include "RunningConsole.h"
#include "ScriptedResponder.h"
#include "TempProgramFolder.h"
#include "device/CDevice.h"
#include "eventlog/FLogView.h"
#include "lib/DeviceSim.h"
#include "lib/EventLogBook.h"
#include "platform/UiService.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

// The console on the serial link as a technician sets it up: a device at a fixed line speed on a
// pseudo-terminal, the port and the rate in the INI file.
class SerialConsole : public ::testing::Test {
protected:
    static constexpr int Com = 5;
    static inline const QString OnChip = QStringLiteral("On chip: Kinetic Vibration Relay");

    void SetUp() override
    {
        platform::ui::setResponder(&ui);
        sim.setIdentity(0xCF, 24, "XR-S-777001");
        sim.setStatusBit(49, true);
        ASSERT_FALSE(sim.startSerial(folder.path(), Com).isEmpty()) << sim.errorString().toStdString();
    }

    void TearDown() override
    {
        console.reset();
        platform::ui::setResponder(nullptr);
    }

    void start(int baud)
    {
        folder.write(QStringLiteral("varix-console.ini"),
                     "[Connection Settings]\r\nPort number=" + QByteArray::number(Com) +
                         "\r\nUse Ethernet=0\r\nBaud rate=" + QByteArray::number(baud) + "\r\n");
        console = std::make_unique<RunningConsole>();
        ASSERT_NE(console->window, nullptr);
    }

    bool showsTheDevice(int ms)
    {
        return QTest::qWaitFor([this] { return console->connected() && console->panel("OnChip") == OnChip; }, ms);
    }

    TempProgramFolder folder;
    devsim::DeviceSim sim;
    ScriptedResponder ui;
    std::unique_ptr<RunningConsole> console;
};

TEST_F(SerialConsole, SlowDeviceConnectsAndStaysConnected)
{
    // Slow converters and serial-over-IP bridges answer well after the 0.2 s a request waits.
    sim.setReplyDelayMs(300);
    start(115200);
    ASSERT_TRUE(showsTheDevice(10000));
    int losses = 0;
    CDevice &device = mdlMain::Device();
    const QObject listening;
    QObject::connect(&device, &CDevice::ConnectionStatusChanged, &listening,
                     [&losses, &device] { losses += !device.Connected(); });
    QTest::qWait(5000);
    EXPECT_EQ(losses, 0) << "the device was lost and found again";
    EXPECT_EQ(console->panel("OnChip"), OnChip);

    // The event log on the same line, the device logging an event a second: the first pages come
    // within seconds and a page turn within a few requests, and the console then closes at once.
    devsim::EventLogBook book(sim);
    book.fill();
    book.setIntervalMs(1000);
    QElapsedTimer clock;
    clock.start();
    console->window->findChild<QAction *>(QStringLiteral("mnuEveVarix"))->trigger();
    auto *viewer = qobject_cast<FLogView *>(console->window->LogViewer.data());
    ASSERT_NE(viewer, nullptr);
    const auto firstRow = [viewer] {
        const QTreeWidgetItem *first = viewer->lvwEventsN->topLevelItem(0);
        return first && viewer->lvwEventsV->topLevelItemCount() > 0 ? first->text(0).toInt() : 0;
    };
    EXPECT_TRUE(QTest::qWaitFor([&firstRow] { return firstRow() > 0; }, 5000)) << "no first pages";
    RecordProperty("first_pages_ms", static_cast<int>(clock.restart()));
    viewer->scbListN->setValue(3);
    EXPECT_TRUE(QTest::qWaitFor([&firstRow] { return firstRow() > 48; }, 3000)) << "the page did not turn";
    RecordProperty("page_turn_ms", static_cast<int>(clock.restart()));
    console->window->close();
    EXPECT_TRUE(QTest::qWaitFor([this] { return console->window == nullptr; }, 3000)) << "the console did not end";
    RecordProperty("exit_ms", static_cast<int>(clock.elapsed()));
}

TEST_F(SerialConsole, VanishedPortIsReopenedAsSoonAsTheDeviceIsBack)
{
    // The adapter pulled while replies come in two pieces: the dead port is given up at once, and
    // the device that comes back under the same name is found at the watchdog's next tick.
    sim.setSplitReplyMs(150);
    start(115200);
    ASSERT_TRUE(showsTheDevice(5000));
    for (int pull = 1; pull <= 2; ++pull) {
        sim.pullCable();
        QElapsedTimer lost;
        lost.start();
        EXPECT_TRUE(QTest::qWaitFor([this] { return !console->connected(); }, 1000)) << "pull " << pull;
        RecordProperty("seconds_to_loss_" + std::to_string(pull), std::to_string(lost.elapsed() / 1000.0));
        QTest::qWait(1000);
        ASSERT_TRUE(sim.plugCable()) << sim.errorString().toStdString();
        QElapsedTimer back;
        back.start();
        EXPECT_TRUE(showsTheDevice(2000)) << "pull " << pull;
        RecordProperty("seconds_to_reconnect_" + std::to_string(pull), std::to_string(back.elapsed() / 1000.0));
    }
}

TEST_F(SerialConsole, WatchdogPollsWhileABoxOfTheIdentificationIsOpen)
{
    // Newer firmware than the console carries: identifying it opens a box, held for 5 s. Its
    // serial number carries markup, shown as it came.
    sim.setIdentity(0xD0, 24, "<h1>PWN</h1>");
    int pollsUnderTheBox = -1;
    ui.onMessage = [this, &pollsUnderTheBox](const platform::MessageBoxRequest &) {
        if (pollsUnderTheBox >= 0)
            return;
        sim.clearRequests();
        QTest::qWait(5000);
        pollsUnderTheBox = 0;
        for (const devsim::SimRequest &r : sim.requests())
            pollsUnderTheBox += r.function == 4 && r.address == 0 && r.quantity == 21;
    };
    start(115200);
    ASSERT_TRUE(QTest::qWaitFor([&pollsUnderTheBox] { return pollsUnderTheBox >= 0; }, 8000)) << "the box";
    EXPECT_GE(pollsUnderTheBox, 9) << "a poll every 0.5 s under the box";
    const QList<QLabel *> shown = console->window->panel(QStringLiteral("SN"))->findChildren<QLabel *>();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1]->text(), QStringLiteral("<h1>PWN</h1>"));
    QLabel plain(shown[1]->text());
    plain.setTextFormat(Qt::PlainText);
    EXPECT_EQ(shown[1]->sizeHint().height(), plain.sizeHint().height()) << "drawn as text, not as a heading";
}

TEST_F(SerialConsole, OneUpgradeQuestionAtATimeWhileTheDeviceIsLostAndFound)
{
    // Older firmware than the console carries: while the upgrade question is open the device is
    // lost and found again, which must not put a second question on top of the first.
    sim.setIdentity(0xCE, 24, "XR-S-777001");
    ui.queueMessageAnswer(platform::MsgResult::No);
    int open = 0;
    int mostOpen = 0;
    bool lostAndFound = false;
    ui.onMessage = [&](const platform::MessageBoxRequest &) {
        mostOpen = std::max(mostOpen, ++open);
        if (!std::exchange(lostAndFound, true)) {
            sim.setSilent(true);
            // Asked while the console starts, before the test holds it.
            CDevice &device = mdlMain::Device();
            EXPECT_TRUE(QTest::qWaitFor([&device] { return !device.Connected(); }, 8000)) << "lost under the box";
            sim.setSilent(false);
            EXPECT_TRUE(QTest::qWaitFor([&device] { return device.Connected(); }, 5000)) << "found under the box";
        }
        --open;
    };
    start(115200);
    ASSERT_TRUE(QTest::qWaitFor([&lostAndFound] { return lostAndFound; }, 8000)) << "the upgrade question";
    EXPECT_TRUE(showsTheDevice(3000));
    EXPECT_EQ(mostOpen, 1) << ui.messageTexts().join(QStringLiteral(" | ")).toStdString();
    ui.onMessage = nullptr;
}

class SerialRate : public SerialConsole, public ::testing::WithParamInterface<int> {};

TEST_P(SerialRate, ConnectsToADeviceAtThatSpeed)
{
    sim.setLineSpeed(GetParam());
    start(GetParam());
    EXPECT_TRUE(showsTheDevice(5000));
}

// Rates the options offer or the catalogue downloads at, which the fixed termios table lacks.
INSTANTIATE_TEST_SUITE_P(OutsideTheTermiosTable, SerialRate, ::testing::Values(28800, 14400, 56000));

}  // namespace
