#include "BenchFigures.h"
#include "EventLoopWait.h"
#include "LineFreshness.h"
#include "ScriptedResponder.h"
#include "SimProcess.h"
#include "core/PanelRegistry.h"
#include "device/CDevice.h"
#include "display/Oscilloscope.h"
#include "panel/KvrDeviceMap.h"
#include "panel/UCKVR.h"
#include "platform/ProgramFolder.h"
#include "platform/UiService.h"
#include "session/MainWindowHook.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"
#include "shell/FMain.h"

#include <QApplication>
#include <QFile>
#include <QRadioButton>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr double RunSeconds = 30.0;
constexpr double SettleSeconds = 2.0;

SimProcess *sim = nullptr;
// The same stand-in behind a gateway that takes GatewayMs a request: 2 requests a second.
SimProcess *gateway = nullptr;
constexpr int GatewayMs = 500;

double processCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The event loop as the running console's own, not a wait of its link: the panel is loaded and
// closed only outside such waits.
void runEventsFor(double seconds)
{
    settle(static_cast<int>(seconds * 1000));
}

// The whole console as main() starts it, from an INI that names the link; closed when it goes.
class Console {
public:
    Console(bool ethernet, bool withPanel, const SimProcess &device = *sim)
    {
        if (withPanel)
            UCKVR::Register();
        else
            panelRegistry::registerPanel(QLatin1String(UCKVR::ClassId), {});
        QFile ini(platform::applicationIniPath());
        if (ini.open(QIODevice::WriteOnly)) {
            ini.write(ethernet ? "[Connection Settings]\r\nUse Ethernet=1\r\nIP Address=127.0.0.1\r\nPort=" +
                                     QByteArray::number(device.tcpPort()) + "\r\n"
                               : "[Connection Settings]\r\nUse Ethernet=0\r\nPort number=" +
                                     QByteArray::number(SimProcess::ComNumber) + "\r\n");
        }
        ini.close();
        mdlMain::LoadMainWindow = [] { FMain::Load(); };
        mdlMain::Main();
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *main = qobject_cast<FMain *>(widget))
                window_ = main;
        }
        runEventsFor(SettleSeconds);
    }
    ~Console()
    {
        if (window_)
            window_->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        mdlMain::ReleaseLink();
        mdlMain::CurrentSoftware = SoftwareRecord();
    }
    Console(const Console &) = delete;
    Console &operator=(const Console &) = delete;

    bool connected() const { return window_ && mdlMain::Device().Connected(); }
    UCKVR *panel() const { return window_ ? window_->findChild<UCKVR *>() : nullptr; }
    QTimer *watchdog() const
    {
        return window_ ? window_->findChild<QTimer *>(QStringLiteral("tmrCheckStatus")) : nullptr;
    }

private:
    QPointer<FMain> window_;
};

enum class View { IdleConsole, All, Waveform };

// CPU of the console over 30 s, in percent of one core, and the samples the scope took.
void consoleCpu(benchmark::State &state, bool ethernet, View view)
{
    for (auto _ : state) {
        Console console(ethernet, view != View::IdleConsole);
        UCKVR *panel = console.panel();
        if (!console.connected() || (view != View::IdleConsole && !panel)) {
            state.SkipWithError("the console did not connect or show its panel");
            return;
        }
        if (view == View::Waveform) {
            panel->optAxisScope[kvr::SourceX]->click();
            runEventsFor(SettleSeconds);
        }
        const int32_t samplesBefore = panel ? panel->oScope->BufferPtr() : 0;
        const double cpuBefore = processCpuSeconds();
        runEventsFor(RunSeconds);
        const double cpu = processCpuSeconds() - cpuBefore;
        state.counters["cpu_percent"] = cpu / RunSeconds * 100.0;
        state.counters["samples_per_second"] = panel ? (panel->oScope->BufferPtr() - samplesBefore) / RunSeconds : 0;
        state.counters["connected"] = console.connected() ? 1 : 0;
    }
}

// How fresh the status and the live values stay on a line that cannot carry every read: the
// console with or without its panel in All view, behind the gateway.
void gatewayFreshness(benchmark::State &state, bool withPanel)
{
    for (auto _ : state) {
        Console console(true, withPanel, *gateway);
        QTimer *watchdog = console.watchdog();
        if (!console.connected() || !watchdog || (withPanel && !console.panel())) {
            state.SkipWithError("the console did not connect or show its panel");
            return;
        }
        LineFreshness line(*watchdog, mdlMain::Device(), kvr::LiveStart);
        runEventsFor(RunSeconds);
        const LineFreshness::Figures seen = line.figures();
        state.counters["status_reply_age"] = seen.statusReplyAge;
        state.counters["status_gap"] = seen.statusGap;
        state.counters["live_gap"] = seen.liveGap;
        state.counters["connected"] = console.connected() ? 1 : 0;
    }
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    SimProcess process;
    if (!process.start({QStringLiteral("--firmware-version"), QStringLiteral("0xCF"), QStringLiteral("--status-byte"),
                        QStringLiteral("0x02")})) {
        std::fprintf(stderr, "panel_bench: the stand-in did not start\n");
        return 1;
    }
    sim = &process;
    SimProcess slowLine;
    if (!slowLine.start({QStringLiteral("--firmware-version"), QStringLiteral("0xCF"), QStringLiteral("--status-byte"),
                         QStringLiteral("0x02"), QStringLiteral("--gateway"), QString::number(GatewayMs)})) {
        std::fprintf(stderr, "panel_bench: the stand-in behind a gateway did not start\n");
        return 1;
    }
    gateway = &slowLine;
    platform::setProgramFolderForTests(process.folder(), QStringLiteral("varix-console"));
    // Nothing is asked of a user here: every question gets its first answer.
    ScriptedResponder answers;
    platform::ui::setResponder(&answers);

    for (const bool ethernet : {false, true}) {
        const std::string link = ethernet ? "tcp" : "serial";
        const std::pair<const char *, View> views[] = {
            {"idle_console", View::IdleConsole}, {"panel_all", View::All}, {"panel_waveform_x", View::Waveform}};
        for (const auto &[name, view] : views)
            benchmark::RegisterBenchmark((std::string(name) + "/" + link).c_str(), consoleCpu, ethernet, view)
                ->Iterations(1)
                ->Unit(benchmark::kSecond);
    }
    for (const bool withPanel : {false, true})
        benchmark::RegisterBenchmark(withPanel ? "gateway_500ms/panel_all" : "gateway_500ms/idle_console",
                                     gatewayFreshness, withPanel)
            ->Iterations(1)
            ->Unit(benchmark::kSecond);
    using namespace benchfigures;
    std::vector<Figure> figures;
    for (const std::string link : {"serial", "tcp"}) {
        const Quantity idle = counter("idle_console/" + link, "cpu_percent", "%");
        figures.push_back({"console CPU with the panel in All view, " + link,
                           counter("panel_all/" + link, "cpu_percent", "%"), "the idle console", idle,
                           valueAtMost(2.0)});
        figures.push_back({"console CPU with the panel in one-channel waveform view, " + link,
                           counter("panel_waveform_x/" + link, "cpu_percent", "%"), "the idle console", idle,
                           std::nullopt});
    }
    // The line's own bound: the status poll alone fills it, a reply every 0.5 s.
    const Quantity lineBound = counter("gateway_500ms/idle_console", "status_gap", "s");
    figures.push_back({"status reply age, panel in All view, 500 ms gateway",
                       counter("gateway_500ms/panel_all", "status_reply_age", "s"),
                       "status gap of the idle console (the line's 2 requests a second)", lineBound, valueAtMost(1.5)});
    figures.push_back({"longest gap between live values, 500 ms gateway",
                       counter("gateway_500ms/panel_all", "live_gap", "s"),
                       "status gap of the idle console (the line's 2 requests a second)", lineBound, valueAtMost(3.0)});
    const int status = run(argc, argv, figures);
    platform::ui::setResponder(nullptr);
    return status;
}
