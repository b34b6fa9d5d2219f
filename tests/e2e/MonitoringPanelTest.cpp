#include "LineFreshness.h"
#include "NamedControls.h"
#include "RunningConsole.h"
#include "ScriptedResponder.h"
#include "TempProgramFolder.h"
#include "core/PanelRegistry.h"
#include "device/StatusBit.h"
#include "device/TcpRequestWindow.h"
#include "display/Oscilloscope.h"
#include "lib/DeviceSim.h"
#include "lib/VibrationApplication.h"
#include "panel/FStats.h"
#include "panel/KvrDeviceMap.h"
#include "panel/PanelWidgets.h"
#include "panel/ParameterHub.h"
#include "panel/UCKVR.h"
#include "platform/UiService.h"
#include "shell/FAdminPsw.h"
#include "shell/FirmwareDownloadHook.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>

namespace {

using devsim::Link;
using platform::MsgResult;

constexpr quint8 CarriedVersion = 0xCF;

// The whole console with its monitoring panel against the stand-in, over a pseudo-terminal or
// loopback TCP.
class MonitoringPanel : public ::testing::TestWithParam<Link> {
protected:
    static constexpr int Com = 6;

    void SetUp() override
    {
        platform::ui::setResponder(&ui);
        UCKVR::Register();
        sim.setStatusBit(49, true);
        sim.setStatusBit(50, true);
        if (GetParam() == Link::Serial) {
            ASSERT_FALSE(sim.startSerial(folder.path(), Com).isEmpty()) << sim.errorString().toStdString();
            ini = "Port number=" + QByteArray::number(Com) + "\r\nUse Ethernet=0\r\n";
        } else {
            const quint16 port = sim.startTcp(0);
            ASSERT_NE(port, 0) << sim.errorString().toStdString();
            ini = "IP Address=127.0.0.1\r\nPort=" + QByteArray::number(port) + "\r\nUse Ethernet=1\r\n";
        }
    }

    void TearDown() override
    {
        console.reset();
        FirmwareDownloadHook::setRunner({});
        FirmwareDownloadHook::setImageCheck({});
        panelRegistry::registerPanel(QLatin1String(UCKVR::ClassId), {});
        platform::ui::setResponder(nullptr);
    }

    void start(quint8 version = CarriedVersion)
    {
        sim.setIdentity(version, 24, "XR-S-600001");
        folder.write(QStringLiteral("varix-console.ini"), "[Connection Settings]\r\n" + ini);
        console = std::make_unique<RunningConsole>();
        ASSERT_TRUE(QTest::qWaitFor([this] { return console->connected(); }, 5000)) << "the console never connected";
    }

    UCKVR *panel() const
    {
        return console->window->centralWidget()->findChild<UCKVR *>(QStringLiteral("UIVarixUCKVR"));
    }

    // Waits until the panel shows the device's configuration and RMS table; the caller stops
    // (ASSERT_NO_FATAL_FAILURE) when it never does.
    void waitForPanel()
    {
        ASSERT_TRUE(QTest::qWaitFor(
            [this] {
                return panel() && panel()->isVisible() && panel()->icbFunction[0]->currentIndex() >= 0 &&
                       !named<QLineEdit>(*panel()->Stats, "txtRMSLimit", 8)->text().isEmpty();
            },
            5000))
            << "the panel never showed the configuration and the RMS table";
    }

    // Waits until no edit waits and what was sent has been answered.
    void settle()
    {
        ASSERT_NE(panel(), nullptr) << "no panel to settle";
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return !panel()->Hub->EditPending() && mdlMain::Device().PendingRequests().Count() == 0; }, 5000))
            << "edits or requests still pending after 5 s";
    }

    QStringList writes() const
    {
        QStringList seen;
        for (const devsim::SimRequest &r : sim.requests()) {
            if (r.function == 5 || r.function == 6)
                seen << QStringLiteral("%1/%2/%3").arg(r.function).arg(r.address).arg(r.quantity);
        }
        return seen;
    }

    // The panel's parameters as the stand-in holds them: configuration block, RMS table, delay.
    QByteArray deviceSettings() const
    {
        QByteArray bytes;
        for (int i = 44; i <= 56; ++i)
            bytes.append(static_cast<char>(sim.RAM(i)));
        for (int i = 160; i < 198; ++i)
            bytes.append(static_cast<char>(sim.RAM(i)));
        return bytes.append(static_cast<char>(sim.turnOffDelay()));
    }

    // The longest time in `ms` without a status poll reaching the stand-in, in seconds; the
    // window's start and end count as polls.
    double longestPollGap(int ms)
    {
        const auto steadyUs = [] {
            return std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
        sim.clearRequests();
        qint64 last = steadyUs();
        QTest::qWait(ms);
        qint64 longest = 0;
        for (const devsim::SimRequest &r : sim.requests()) {
            if (r.function == 4 && r.address == 0 && r.quantity == 21) {
                longest = std::max(longest, r.receivedUs - last);
                last = r.receivedUs;
            }
        }
        return static_cast<double>(std::max(longest, steadyUs() - last)) / 1e6;
    }

    // Logs the administrator on with the right password through the menu and its dialog, and
    // checks the verdict the console shows, within the time the line takes for the log-on's nine
    // writes and a poll or two besides.
    void logOnAsAdministrator(int requestMs = 0)
    {
        sim.setStatusBit(AdminLoggedOn, false);
        QAction *logOn = action(*console->window, "mnuFilAdminOn");
        ASSERT_TRUE(QTest::qWaitFor([logOn] { return logOn->isEnabled(); }, 3000)) << "the administrator logged off";
        QTimer password;
        QObject::connect(&password, &QTimer::timeout, [&password] {
            if (auto *dialog = qobject_cast<FAdminPsw *>(QApplication::activeModalWidget())) {
                password.stop();
                dialog->txtPassword->setText(QStringLiteral("admin"));
                dialog->cmdOk->click();
            }
        });
        password.start(5);
        ui.messages.clear();
        logOn->trigger();
        EXPECT_TRUE(QTest::qWaitFor([this] { return ui.messageTexts().contains(QStringLiteral("Login succeded")); },
                                    5000 + 12 * requestMs))
            << "the log-on's verdict: " << ui.messageTexts().join(QStringLiteral(" | ")).toStdString();
    }

    // How fresh the device's picture stays on the line, watched for `ms`, in seconds.
    struct Freshness {
        LineFreshness::Figures line;
        int gatewayBacklog = 0;  // the most requests the gateway held at once
    };
    Freshness watchFreshness(int ms)
    {
        Freshness seen;
        auto *watchdog = console->window->findChild<QTimer *>(QStringLiteral("tmrCheckStatus"));
        EXPECT_NE(watchdog, nullptr);
        if (!watchdog)
            return seen;
        LineFreshness line(*watchdog, mdlMain::Device(), kvr::LiveStart);
        QTimer backlog;
        QObject::connect(&backlog, &QTimer::timeout,
                         [&] { seen.gatewayBacklog = std::max(seen.gatewayBacklog, sim.gatewayBacklog()); });
        backlog.start(20);
        QTest::qWait(ms);
        seen.line = line.figures();
        return seen;
    }

    // Samples the oscilloscope takes in the given time.
    int samplesIn(int ms)
    {
        const int32_t before = panel()->oScope->BufferPtr();
        QTest::qWait(ms);
        return panel()->oScope->BufferPtr() - before;
    }

    TempProgramFolder folder;
    devsim::DeviceSim sim;
    ScriptedResponder ui;
    QByteArray ini;
    std::unique_ptr<RunningConsole> console;
};

TEST_P(MonitoringPanel, ShownForTheCarriedFirmwareAndReusedAfterProgramming)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(waitForPanel());
    UCKVR *first = panel();
    // The window with its panel fits the screen; squeezed, it shows every text whole and
    // every slider longer than its handle.
    FMain &window = *console->window;
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window.screen()->availableGeometry().contains(window.frameGeometry()); }, 2000));
    window.resize(500, 300);
    QTest::qWait(100);
    for (const QWidget *control : first->findChildren<QWidget *>()) {
        const bool text = qobject_cast<const QLabel *>(control) || qobject_cast<const QAbstractButton *>(control);
        // A width the code fixed stands for the text's.
        const int least = control->minimumWidth() > 0 ? control->minimumWidth() : control->minimumSizeHint().width();
        const bool whole = control->width() >= least && control->parentWidget()->rect().contains(control->geometry());
        EXPECT_TRUE(!text || !control->isVisible() || whole) << control->objectName().toStdString();
    }
    for (const QSlider *slider : first->findChildren<QSlider *>())
        EXPECT_GE(slider->width(), 6 * slider->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, slider));
    // The download window's stand-in: the device comes back running the chosen entry.
    std::pair<quint8, quint8> next;
    FirmwareDownloadHook::setImageCheck([](int32_t) { return true; });
    FirmwareDownloadHook::setRunner([this, &next](QWidget *) {
        EXPECT_TRUE(QTest::qWaitFor([this] { return writes().contains(QStringLiteral("6/205/3")); }, 3000))
            << "the command that sends the device into its boot loader";
        sim.clearRequests();
        sim.setIdentity(next.first, next.second, sim.serialNumber());
        return true;
    });
    const std::tuple<const char *, std::pair<quint8, quint8>, bool> steps[] = {{"K26", {0x10, 26}, false},
                                                                               {"K24", {CarriedVersion, 24}, true}};
    for (const auto &[key, identity, shown] : steps) {
        next = identity;
        ui.queueMessageAnswer(MsgResult::Yes);
        console->window->SetOnChipSW(QLatin1String(key), false);
        ASSERT_TRUE(QTest::qWaitFor([this] { return console->connected(); }, 5000)) << "reconnection after " << key;
        EXPECT_TRUE(QTest::qWaitFor([this, shown = shown] { return panel() && panel()->isVisible() == shown; }, 3000))
            << "panel shown " << shown << " after " << key;
    }
    ASSERT_NO_FATAL_FAILURE(waitForPanel());
    EXPECT_EQ(panel(), first);
    EXPECT_EQ(console->window->centralWidget()->findChildren<UCKVR *>().size(), 1);
}

TEST_P(MonitoringPanel, OtherFirmwareGetsNoPanelAndNothingToSave)
{
    ui.queueMessageAnswer(MsgResult::No);
    ASSERT_NO_FATAL_FAILURE(start(CarriedVersion - 1));
    QTest::qWait(300);
    EXPECT_EQ(panel(), nullptr);
    action(*console->window, "mnuArcSaveFile")->trigger();
    EXPECT_EQ(ui.messageTexts().last(), QStringLiteral("Error saving settings"));
}

TEST_P(MonitoringPanel, TypedThresholdAndFunctionChoiceReachTheDevice)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(waitForPanel());
    UCKVR &kvr = *panel();
    ASSERT_TRUE(QTest::qWaitFor([&kvr] { return !kvr.txtThreValue[0]->isReadOnly(); }, 3000))
        << "the administrator's log-on never unlocked the threshold";
    sim.clearRequests();
    kvr.txtThreValue[0]->clear();
    QTest::keyClicks(kvr.txtThreValue[0], QStringLiteral("250"));
    EXPECT_EQ(kvr.txtThreValue[0]->text(), QStringLiteral("200"));
    settle();
    EXPECT_EQ(writes(), QStringList{QStringLiteral("6/280/52810")});

    sim.clearRequests();
    kvr.Hub->ParameterChanged(0, true);
    kvr.icbFunction[0]->setCurrentIndex(panelWidgets::indexOfKey(kvr.icbFunction[0], QStringLiteral("R")));
    emit kvr.icbFunction[0]->activated(kvr.icbFunction[0]->currentIndex());
    settle();
    EXPECT_EQ(writes(), (QStringList{QStringLiteral("6/45/16"), QStringLiteral("6/280/22141")}));
    EXPECT_EQ(sim.RAM(45), 16);
}

TEST_P(MonitoringPanel, ArchiveBringsEveryParameterBack)
{
    sim.setStatusBit(97, true);
    sim.setStatusBit(99, true);
    sim.setTurnOffDelay(12);
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(waitForPanel());
    UCKVR &kvr = *panel();
    const QByteArray saved = deviceSettings();
    const QString file = folder.file(QStringLiteral("lathe.vps"));
    ui.queueFileAnswer(file);
    action(*console->window, "mnuArcSaveFile")->trigger();
    ASSERT_TRUE(ui.messages.empty());

    // Every parameter changed on the device, and shown by the panel.
    const std::pair<int, quint8> changes[] = {{44, 0x04}, {45, 2},    {46, 0},    {47, 0},    {48, 0x10},
                                              {49, 0x90}, {50, 0x20}, {51, 0x01}, {52, 0x30}, {53, 0x02},
                                              {54, 50},   {55, 30},   {56, 200}};
    for (const auto &[index, value] : changes)
        sim.setRAM(index, value);
    for (int i = 160; i < 198; ++i)
        sim.setRAM(i, static_cast<quint8>(i));
    sim.setTurnOffDelay(3);
    kvr.RequestConfig();
    settle();
    ASSERT_NE(deviceSettings(), saved);

    ui.queueFileAnswer(file);
    action(*console->window, "mnuArcLoadFile")->trigger();
    settle();
    EXPECT_EQ(ui.messageTexts(),
              QStringList{QStringLiteral("Please check and upload RMS Table Limits and Reduction Factors.")});
    ASSERT_TRUE(kvr.Stats->isVisible());
    ui.queueMessageAnswer(MsgResult::Yes);
    named<QPushButton>(*kvr.Stats, "cmdUpload")->click();
    settle();
    EXPECT_EQ(deviceSettings().toHex(' '), saved.toHex(' '));
}

TEST_P(MonitoringPanel, ArchiveLoadsOnlyItsFirstSection)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(waitForPanel());
    const QString file = folder.file(QStringLiteral("two.vps"));
    ui.queueFileAnswer(file);
    action(*console->window, "mnuArcSaveFile")->trigger();
    const QByteArray section = folder.read(QStringLiteral("two.vps"));
    QByteArray first = section;
    first.replace("Limit1=50", "Limit1=60");
    QByteArray second = section;
    second.replace("[Kinetic Vibration Relay]", "[Kinetic Vibration Relay Copy]").replace("Limit1=50", "Limit1=70");
    folder.write(QStringLiteral("two.vps"), first + second);

    ui.queueFileAnswer(file);
    action(*console->window, "mnuArcLoadFile")->trigger();
    settle();
    EXPECT_EQ(sim.RAM(48) | sim.RAM(49) << 8, 32768 + 6012) << "60 m/s² from the first section";
}

TEST_P(MonitoringPanel, StatisticsUploadSendsTheTableThenTheCommand)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(waitForPanel());
    UCKVR &kvr = *panel();
    kvr.cmdShowStats->click();
    ASSERT_TRUE(QTest::qWaitFor([&kvr] { return !named<QLineEdit>(*kvr.Stats, "txtRMSLimit", 0)->isReadOnly(); }, 3000))
        << "the administrator's log-on never unlocked the RMS table";
    named<QLineEdit>(*kvr.Stats, "txtRMSLimit", 0)->setText(QStringLiteral("0.5"));
    named<QLineEdit>(*kvr.Stats, "txtReductionFactor", 9)->setText(QStringLiteral("6"));
    settle();
    sim.clearRequests();
    ui.queueMessageAnswer(MsgResult::Yes);
    named<QPushButton>(*kvr.Stats, "cmdUpload")->click();
    settle();
    const QStringList sent = writes();
    ASSERT_EQ(sent.size(), 20);
    EXPECT_EQ(sent.front(), QStringLiteral("6/346/14"));
    EXPECT_EQ(sent[18], QStringLiteral("6/345/600"));
    EXPECT_EQ(sent.back(), QStringLiteral("6/205/128"));
    EXPECT_EQ(sim.application().tableAdoptions(), 1);
}

TEST_P(MonitoringPanel, ScopeKeepsPaceInBothViews)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(waitForPanel());
    UCKVR &kvr = *panel();
    QTest::qWait(500);
    const int live = samplesIn(10000);
    EXPECT_GE(live, 235) << "live values: 25 a second, as the time axis is drawn for";
    EXPECT_LE(live, 251);

    kvr.optAxisScope[kvr::SourceX]->click();
    QTest::qWait(1000);
    const int waveform = samplesIn(10000);
    EXPECT_GE(waveform, 4500) << "500 samples a second";
    EXPECT_LE(waveform, 5400);
    RecordProperty("live_samples_per_second", live / 10);
    RecordProperty("waveform_samples_per_second", waveform / 10);
}

TEST_P(MonitoringPanel, StatusPollKeepsItsPaceBesideTheLivePanel)
{
    // Replies late or in two pieces: the panel's live reads share the line with the watchdog's
    // poll instead of shutting it out. Within the reply windows the poll keeps its pace; a device
    // slower than them is answered one request behind and still polled.
    const struct {
        int delayMs;
        int splitMs;
        double longestGap;
    } cases[] = {{60, 0, 0.75}, {120, 0, 0.75}, {180, 0, 0.75}, {0, 150, 0.75}, {300, 0, 1.6}};
    start();
    ASSERT_NO_FATAL_FAILURE(waitForPanel());
    for (const auto &c : cases) {
        sim.setReplyDelayMs(c.delayMs);
        sim.setSplitReplyMs(c.splitMs);
        const bool admin = (&c - cases) % 2 == 0;
        sim.setStatusBit(AdminLoggedOn, admin);
        QTest::qWait(300);
        const int32_t samplesBefore = panel()->oScope->BufferPtr();
        const double gap = longestPollGap(2000);
        RecordProperty(QStringLiteral("gap_%1_%2").arg(c.delayMs).arg(c.splitMs).toStdString(),
                       QString::number(gap).toStdString());
        EXPECT_LE(gap, c.longestGap) << "reply delay " << c.delayMs << " ms, split " << c.splitMs << " ms";
        EXPECT_GT(panel()->oScope->BufferPtr(), samplesBefore) << "live values still arrive";
        EXPECT_TRUE(console->connected());
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return console->panel("Admin") == (admin ? QStringLiteral("A") : QString()); }, 1000))
            << "the log-on state is the device's; reply delay " << c.delayMs << " ms, split " << c.splitMs << " ms, "
            << mdlMain::Device().PendingRequests().Count() << " requests outstanding";
    }
    // A log-on's verdict, which rests on the status poll, still comes on a slow line.
    sim.setReplyDelayMs(180);
    ASSERT_NO_FATAL_FAILURE(logOnAsAdministrator());
    // The log viewer open and following a device that logs an event every 0.3 s.
    sim.setReplyDelayMs(0);
    sim.setSplitReplyMs(150);
    action(*console->window, "mnuEveVarix")->trigger();
    QTimer logging;
    QObject::connect(&logging, &QTimer::timeout, [this] {
        const int row = sim.newestRecord(devsim::EventLog::N) + 1;
        sim.setLogRecord(devsim::EventLog::N, row, QByteArray(8, static_cast<char>(row)));
        sim.setNewestRecord(devsim::EventLog::N, row);
    });
    logging.start(300);
    EXPECT_LE(longestPollGap(2500), 0.75) << "with the log viewer";
}

TEST_P(MonitoringPanel, LateDeviceIsConnectedFromTheStartWithOnePanelAndStays)
{
    // Every reply 300 ms late from the first poll on: the late status reply counts as the device's
    // answer before its identification reads the panel's configuration, so that neither the
    // identification nor the panel's reads lose the device again.
    sim.setReplyDelayMs(300);
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(waitForPanel());
    int losses = 0;
    CDevice &device = mdlMain::Device();
    const QObject listening;
    QObject::connect(&device, &CDevice::ConnectionStatusChanged, &listening,
                     [&losses, &device] { losses += !device.Connected(); });
    const int32_t samplesBefore = panel()->oScope->BufferPtr();
    QTest::qWait(6000);
    EXPECT_EQ(losses, 0) << "lost and found again";
    ASSERT_NE(panel(), nullptr);
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(console->window->centralWidget()->findChildren<UCKVR *>().size(), 1) << "one panel, hosted once";
    EXPECT_EQ(console->panel("SN"), QStringLiteral("XR-S-600001"));
    EXPECT_GT(panel()->oScope->BufferPtr(), samplesBefore) << "live values still arrive";
}

TEST_P(MonitoringPanel, ExitWhileRepliesComeLateClosesTheConsole)
{
    // File > Exit lands inside the wait for a reply: the link is released only once that wait has
    // returned.
    for (const int delayMs : {5, 30, 120}) {
        sim.setReplyDelayMs(0);
        ASSERT_NO_FATAL_FAILURE(start());
        ASSERT_NO_FATAL_FAILURE(waitForPanel());
        sim.setReplyDelayMs(delayMs);
        QTest::qWait(300);
        QTimer::singleShot(37, console->window, [this] { action(*console->window, "mnuFilExit")->trigger(); });
        EXPECT_TRUE(QTest::qWaitFor([this] { return console->window == nullptr; }, 3000)) << delayMs << " ms";
        console.reset();
    }
}

TEST_P(MonitoringPanel, SilentDeviceIsShownLostAndIdentifiedWhenItAnswersAgain)
{
    start();
    ASSERT_NO_FATAL_FAILURE(waitForPanel());
    sim.setSilent(true);
    QElapsedTimer silence;
    silence.start();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !console->connected(); }, 6000)) << "eight unanswered polls";
    // Seven ticks after the first unanswered poll, which may have gone out just before the silence
    // began; the watchdog's coarse timer may also run up to 5 % early.
    EXPECT_GE(silence.elapsed(), GetParam() == Link::Tcp ? 3250 : 0) << "not before the eighth poll";
    EXPECT_EQ(console->panel("OnChip"), QStringLiteral("On chip: <None>"));
    EXPECT_EQ(console->panel("SN"), QString());
    EXPECT_TRUE(QTest::qWaitFor([this] { return panel() == nullptr || !panel()->isVisible(); }, 1000))
        << "the panel goes with the device, from the event loop";
    // Back, and over TCP answering later than the next reconnection attempt: still taken.
    sim.setReplyDelayMs(GetParam() == Link::Tcp ? 1700 : 0);
    sim.setSilent(false);
    EXPECT_TRUE(QTest::qWaitFor([this] { return console->connected(); }, 4000));
    EXPECT_EQ(console->panel("SN"), QStringLiteral("XR-S-600001"));
}

TEST_P(MonitoringPanel, GatewayLineKeepsStatusAndLiveValuesFreshAndShowsItsDeadDeviceLost)
{
    // An Ethernet device server in front of the device's serial line serves one request at a time.
    // The console asks no more of it than it carries: nothing piles up there, the status and the
    // live values stay about a second old at most, and a log-on is judged on the device's answer.
    if (GetParam() == Link::Serial)
        GTEST_SKIP() << "a gateway stands only in front of Modbus/TCP";
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(waitForPanel());
    // Longer watches for the figures of a report: VARIX_GATEWAY_WATCH_MS.
    const int watchMs = qEnvironmentVariableIsSet("VARIX_GATEWAY_WATCH_MS")
                            ? qEnvironmentVariableIntValue("VARIX_GATEWAY_WATCH_MS")
                            : 4000;
    // At 250 ms a request the poll takes half the line, and the panel's configuration re-read (two
    // reads every few seconds) takes turns with the live read. At 500 ms the poll alone would fill
    // the line: it takes every other turn, and the live values still get theirs.
    const struct {
        int serviceMs;
        double statusAge;
        double liveGap;
    } speeds[] = {{60, 1.1, 1.1}, {120, 1.1, 1.1}, {250, 1.1, 1.6}, {500, 1.5, 3.0}};
    for (const auto [serviceMs, statusAge, liveGap] : speeds) {
        SCOPED_TRACE(testing::Message() << serviceMs << " ms a request");
        // Each speed from an empty gateway: switched off, it answers what it still holds at once.
        sim.setGatewayMs(0);
        QTest::qWait(300);
        sim.setGatewayMs(serviceMs);
        QTest::qWait(1000);
        const Freshness seen = watchFreshness(watchMs);
        const std::string speed = std::to_string(serviceMs);
        RecordProperty("status_reply_age_" + speed, std::to_string(seen.line.statusReplyAge));
        RecordProperty("status_gap_" + speed, std::to_string(seen.line.statusGap));
        RecordProperty("live_gap_" + speed, std::to_string(seen.line.liveGap));
        RecordProperty("gateway_backlog_" + speed, seen.gatewayBacklog);
        EXPECT_LE(seen.line.statusReplyAge, statusAge);
        EXPECT_LE(seen.line.statusGap, statusAge);
        EXPECT_LE(seen.line.liveGap, liveGap);
        EXPECT_LE(seen.gatewayBacklog, TcpRequestWindow::Size) << "no more than the console's window";
        EXPECT_TRUE(console->connected());
        EXPECT_NO_FATAL_FAILURE(logOnAsAdministrator(serviceMs));
    }
    // The gateway's device dies: the gateway answers every request, each with exception 0x0B.
    sim.setGatewayDeviceDead(true);
    QElapsedTimer dead;
    dead.start();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !console->connected(); }, 8000)) << "eight polls answered for it";
    RecordProperty("dead_gateway_lost_ms", static_cast<int>(dead.elapsed()));
    EXPECT_GE(dead.elapsed(), 3000) << "not before the eighth poll";
    EXPECT_EQ(console->panel("OnChip"), QStringLiteral("On chip: <None>"));
    EXPECT_EQ(console->panel("FW_Version"), QString());
    EXPECT_EQ(console->panel("SN"), QString());
    QTest::qWait(2000);
    EXPECT_FALSE(console->connected()) << "an exception is no answer from the device";
}

INSTANTIATE_TEST_SUITE_P(BothLinks, MonitoringPanel, ::testing::Values(Link::Serial, Link::Tcp),
                         [](const testing::TestParamInfo<Link> &info) {
                             return info.param == Link::Serial ? std::string("Pty") : std::string("Tcp");
                         });

}  // namespace
