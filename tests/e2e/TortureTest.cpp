// The whole program against the stand-in while the line's faults and the user's actions change at
// random. Each run prints its seed; VARIX_TORTURE_SEED replays one, VARIX_TORTURE_SECONDS sets how
// long a run lasts.
#include "NamedControls.h"
#include "RunningConsole.h"
#include "TempProgramFolder.h"
#include "core/PanelRegistry.h"
#include "device/StatusBit.h"
#include "eventlog/FLogView.h"
#include "lib/DeviceSim.h"
#include "panel/FStats.h"
#include "panel/UCKVR.h"
#include "platform/UiService.h"
#include "shell/FAdminPsw.h"
#include "shell/FOptions.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <thread>

namespace {

using devsim::Link;

constexpr quint8 CarriedVersion = 0xCF;
constexpr int Com = 7;
constexpr int DefaultSeconds = 25;
// Without a turn of the event loop for this long the console is hung.
constexpr auto HangLimit = std::chrono::seconds(5);
// A console that takes longer to close after File > Exit is as good as hung to its user.
constexpr qint64 CloseLimitMs = 5000;

quint64 seedToUse()
{
    bool ok = false;
    const quint64 given = qEnvironmentVariable("VARIX_TORTURE_SEED").toULongLong(&ok);
    return ok ? given : std::random_device()();
}

int secondsToRun()
{
    bool ok = false;
    const int given = qEnvironmentVariableIntValue("VARIX_TORTURE_SECONDS", &ok);
    return ok && given > 0 ? given : DefaultSeconds;
}

// Ends the process with the seed when the event loop stops turning: a hung console never returns
// to the test to fail it.
class HangWatch {
public:
    explicit HangWatch(quint64 seed)
    {
        beat_.setInterval(100);
        QObject::connect(&beat_, &QTimer::timeout, [this] { last_ = Clock::now().time_since_epoch().count(); });
        beat_.start();
        watcher_ = std::thread([this, seed] {
            while (!stop_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                if (Clock::now() - Clock::time_point(Clock::duration(last_.load())) > HangLimit) {
                    std::fprintf(stderr, "torture: no event loop turn for 5 s, seed %llu\n",
                                 static_cast<unsigned long long>(seed));
                    std::abort();
                }
            }
        });
    }
    ~HangWatch()
    {
        stop_ = true;
        watcher_.join();
    }
    HangWatch(const HangWatch &) = delete;
    HangWatch &operator=(const HangWatch &) = delete;

private:
    using Clock = std::chrono::steady_clock;
    QTimer beat_;
    std::atomic<Clock::rep> last_{Clock::now().time_since_epoch().count()};
    std::atomic<bool> stop_{false};
    std::thread watcher_;
};

// The user at random: says No to every Yes/No question (no programming, no upload), Ok to the rest,
// and opens the archive saved at the start.
class RandomUser : public platform::UiResponder {
public:
    QString archive;
    platform::MsgResult messageBox(const platform::MessageBoxRequest &request) override
    {
        return request.buttons == platform::MsgButtons::YesNo ? platform::MsgResult::No : platform::MsgResult::Ok;
    }
    std::optional<QString> inputBox(const platform::InputBoxRequest &) override { return std::nullopt; }
    QString fileDialog(const platform::FileDialogRequest &) override { return archive; }
};

class Torture : public ::testing::TestWithParam<Link> {
protected:
    using Action = std::function<void(quint32)>;
    struct Step {
        const char *name;
        Action run;
    };

    void SetUp() override
    {
        platform::ui::setResponder(&user);
        UCKVR::Register();
        sim.setIdentity(CarriedVersion, 24, "XR-S-600001");
        sim.setStatusBit(AutodiagnosticHealthy, true);
        ASSERT_FALSE(sim.startSerial(folder.path(), Com).isEmpty()) << sim.errorString().toStdString();
        const quint16 port = sim.startTcp(0);
        ASSERT_NE(port, 0) << sim.errorString().toStdString();
        folder.write(QStringLiteral("varix-console.ini"),
                     "[Connection Settings]\r\nPort number=" + QByteArray::number(Com) +
                         "\r\nIP Address=127.0.0.1\r\nPort=" + QByteArray::number(port) +
                         "\r\nUse Ethernet=" + (GetParam() == Link::Tcp ? "1" : "0") + "\r\n");
        user.archive = folder.file(QStringLiteral("torture.vps"));
    }

    void TearDown() override
    {
        console.reset();
        panelRegistry::registerPanel(QLatin1String(UCKVR::ClassId), {});
        platform::ui::setResponder(nullptr);
    }

    UCKVR *panel() const
    {
        return console && console->window ? console->window->centralWidget()->findChild<UCKVR *>() : nullptr;
    }

    FMain &window() const { return *console->window; }

    // The line's faults, one row each; a new fault of the stand-in is one more row.
    std::vector<Step> lineFaults()
    {
        return {
            {"reply delay",
             [this](quint32 r) {
                 const int delays[] = {0, 5, 30, 60, 120, 180, 300};
                 sim.setReplyDelayMs(delays[r % std::size(delays)]);
             }},
            {"split replies", [this](quint32 r) { sim.setSplitReplyMs(r % 2 ? 150 : 0); }},
            // The serial line at 9600 baud: a page of the event log alone takes 140 ms on it.
            {"slow line", [this](quint32 r) { sim.setLinePacing(r % 2 ? 9600 : 0); }},
            {"silence", [this](quint32 r) { sim.setSilent(r % 3 == 0); }},
            {"gateway",
             [this](quint32 r) {
                 // Serves Modbus/TCP only: on the serial line the row changes nothing.
                 const int perRequest[] = {0, 60, 120, 250, 500};
                 sim.setGatewayMs(perRequest[r % std::size(perRequest)]);
                 sim.setGatewayDeviceDead(r % 5 == 0);
             }},
            {"pull",
             [this](quint32) {
                 if (GetParam() == Link::Tcp) {
                     sim.resetConnections();
                 } else if (!pulled_) {
                     sim.pullCable();
                     pulled_ = true;
                 }
             }},
            {"heal",
             [this](quint32) {
                 sim.setReplyDelayMs(0);
                 sim.setSplitReplyMs(0);
                 sim.setLinePacing(0);
                 sim.setSilent(false);
                 sim.setGatewayMs(0);
                 sim.setGatewayDeviceDead(false);
                 if (pulled_)
                     pulled_ = !sim.plugCable();
             }},
        };
    }

    // The console's own actions, as its user takes them.
    std::vector<Step> userActions()
    {
        return {
            {"scope view",
             [this](quint32 r) {
                 if (UCKVR *p = panel(); p && p->isVisible())
                     p->optAxisScope[r % kvr::ScopeSources]->click();
             }},
            {"statistics",
             [this](quint32 r) {
                 if (UCKVR *p = panel(); p && p->isVisible())
                     r % 2 ? p->cmdShowStats->click() : p->Stats->hide();
             }},
            {"options link switch", [this](quint32) { trigger("mnuTooOptions"); }},
            {"machine menu", [this](quint32) { trigger("mnuChoMachine_0"); }},
            {"log on", [this](quint32) { trigger("mnuFilAdminOn"); }},
            {"archive load", [this](quint32) { trigger("mnuArcLoadFile"); }},
            {"event log",
             [this](quint32 r) {
                 if (r % 2 && window().LogViewer)
                     window().LogViewer->close();
                 else
                     trigger("mnuEveVarix");
             }},
            {"event log page",
             [this](quint32 r) {
                 if (auto *viewer = qobject_cast<FLogView *>(window().LogViewer.data())) {
                     QScrollBar *bar = r % 2 ? viewer->scbListN : viewer->scbListV;
                     bar->setValue(static_cast<int>(r / 2 % 4));
                 }
             }},
        };
    }

    void trigger(const char *name)
    {
        if (QAction *item = window().findChild<QAction *>(QLatin1String(name)); item && item->isEnabled())
            item->trigger();
    }

    // Answers the modal dialogs the actions open: the password, the other link in the options,
    // and closes anything else.
    void answerDialogs()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *logOn = qobject_cast<FAdminPsw *>(modal)) {
            logOn->txtPassword->setText(QStringLiteral("admin"));
            logOn->cmdOk->click();
        } else if (auto *options = qobject_cast<FOptions *>(modal)) {
            (options->optEthernet->isChecked() ? options->optSerialPort : options->optEthernet)->click();
            options->cmdOk->click();
        } else if (modal) {
            modal->close();
        }
    }

    // The panel is made once and the same one is hosted for the whole run.
    void checkOnePanel()
    {
        if (!console || !console->window)
            return;
        const QList<UCKVR *> panels = window().centralWidget()->findChildren<UCKVR *>();
        EXPECT_LE(panels.size(), 1) << "a panel created twice";
        if (panels.isEmpty())
            return;
        if (!firstPanel_)
            firstPanel_ = panels.front();
        EXPECT_EQ(panels.front(), firstPanel_.data()) << "another panel than the first";
    }

    void run(quint64 seed, int seconds)
    {
        std::printf("torture seed %llu (replay with VARIX_TORTURE_SEED=%llu)\n", static_cast<unsigned long long>(seed),
                    static_cast<unsigned long long>(seed));
        std::fflush(stdout);
        RecordProperty("seed", std::to_string(seed));
        SCOPED_TRACE("seed " + std::to_string(seed));
        const HangWatch hangs(seed);
        std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
        console = std::make_unique<RunningConsole>();
        ASSERT_NE(console->window, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([this] { return panel() && panel()->isVisible(); }, 8000)) << "no panel at start";
        trigger("mnuArcSaveFile");
        QTimer dialogs;
        QObject::connect(&dialogs, &QTimer::timeout, [this] { answerDialogs(); });
        dialogs.start(20);

        const std::vector<Step> faults = lineFaults();
        const std::vector<Step> actions = userActions();
        QElapsedTimer elapsed;
        elapsed.start();
        while (elapsed.elapsed() < seconds * 1000) {
            const bool onTheLine = random() % 3 == 0;
            const std::vector<Step> &table = onTheLine ? faults : actions;
            const Step &step = table[random() % table.size()];
            const quint32 argument = random();
            const int at = static_cast<int>(random() % 400);
            // From a timer, so that it lands wherever the console is, inside its waits too.
            QTimer::singleShot(at, console->window, [this, &step, argument] {
                ++taken_[step.name];
                step.run(argument);
            });
            QTest::qWait(at + static_cast<int>(random() % 300));
            ASSERT_NE(console->window, nullptr) << "the window went away after " << step.name;
            checkOnePanel();
        }
        QElapsedTimer closing;
        const int closeAt = static_cast<int>(random() % 200);
        QTimer::singleShot(closeAt, console->window, [this, &closing] {
            closing.start();
            window().close();
        });
        EXPECT_TRUE(QTest::qWaitFor([this] { return console->window == nullptr; }, closeAt + 10000))
            << "the window never closed";
        EXPECT_TRUE(closing.isValid() && closing.elapsed() <= CloseLimitMs) << "the close took too long";
        for (const auto &[name, count] : taken_)
            std::printf("  %-20s %d\n", name.c_str(), count);
        std::printf("  closed in %lld ms\n", static_cast<long long>(closing.elapsed()));
        dialogs.stop();
        console.reset();
    }

    TempProgramFolder folder;
    devsim::DeviceSim sim;
    RandomUser user;
    std::unique_ptr<RunningConsole> console;

private:
    bool pulled_ = false;
    std::map<std::string, int> taken_;
    QPointer<UCKVR> firstPanel_;
};

TEST_P(Torture, RandomFaultsAndActionsNeitherCrashNorHang)
{
    run(seedToUse(), secondsToRun());
}

INSTANTIATE_TEST_SUITE_P(BothLinks, Torture, ::testing::Values(Link::Serial, Link::Tcp),
                         [](const testing::TestParamInfo<Link> &info) {
                             return info.param == Link::Serial ? std::string("Pty") : std::string("Tcp");
                         });

}  // namespace
