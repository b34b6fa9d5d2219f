#include "BenchFigures.h"
#include "SimProcess.h"
#include "device/CDevice.h"
#include "device/ModbusFunction.h"
#include "eventlog/FLogView.h"
#include "eventlog/mdlEvents.h"
#include "firmware/mdlSoftwares.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramFolder.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>

namespace {

constexpr int PageSize = 16;
// 115200 baud, 10 bits a byte.
constexpr double LineBytesPerSecond = 11520.0;
// An RTU read request, and the frame around a reply's data: address, function, count, CRC.
constexpr int RequestBytes = 8;
constexpr int ReplyFrameBytes = 5;

QTemporaryDir *files = nullptr;

CDevice &device()
{
    return mdlMain::Device();
}

// Copies both logs from the stand-in into the device object.
bool fetchLogs()
{
    for (int32_t slot = 0; slot < CDevice::LogNRows; slot += PageSize)
        device().MBRead(modbus::ReadInputRegisters, 4096 + slot, 64);
    for (int32_t slot = 0; slot < CDevice::LogVRows; slot += PageSize)
        device().MBRead(modbus::ReadInputRegisters, 12288 + slot, 64);
    return device().PendingRequests().Count() == 0 && device().LogListN(8191) != QByteArray(8, '\0');
}

void describeAllRecords(benchmark::State &state)
{
    const int year = QDate::currentDate().year();
    int64_t listed = 0;
    for (auto _ : state) {
        for (const auto &[size, row] :
             {std::pair{CDevice::LogVRows, &CDevice::LogListV}, std::pair{CDevice::LogNRows, &CDevice::LogListN}}) {
            int32_t app = mdlMain::CurrentSoftware.Index;
            for (int slot = 0; slot < size; ++slot)
                listed += mdlEvents::ListRecord((device().*row)(slot), app, year).has_value();
        }
    }
    state.SetItemsProcessed(state.iterations() * (CDevice::LogNRows + CDevice::LogVRows));
    state.counters["listed"] = static_cast<double>(listed) / static_cast<double>(state.iterations());
}

void exportBothLogs(benchmark::State &state)
{
    const QString path = files->filePath(QStringLiteral("export.log"));
    for (auto _ : state)
        mdlEvents::SaveLogToFile(path);
    state.SetItemsProcessed(state.iterations() * (CDevice::LogNRows + CDevice::LogVRows));
    state.counters["bytes"] = static_cast<double>(QFile(path).size());
}

// The reference: the same bytes written the same way, without decoding anything.
void writeSameFile(benchmark::State &state)
{
    QFile exported(files->filePath(QStringLiteral("export.log")));
    if (!exported.open(QIODevice::ReadOnly)) {
        state.SkipWithError("run the export first");
        return;
    }
    const QByteArray content = exported.readAll();
    const QString path = files->filePath(QStringLiteral("copy.log"));
    for (auto _ : state)
        platform::replaceFileAtomically(path, content);
    state.counters["bytes"] = static_cast<double>(content.size());
}

// Bytes on the line for the page with scroll value k: one read, or two where it crosses the ring's end.
int pageWireBytes(int32_t newest, int k)
{
    const int start = ((newest - (k + 1) * PageSize) % CDevice::LogNRows + CDevice::LogNRows) % CDevice::LogNRows;
    const int requests = start + PageSize <= CDevice::LogNRows ? 1 : 2;
    return requests * (RequestBytes + ReplyFrameBytes) + PageSize * 8;
}

// Page Down on the last row of a full page of log N, until the next page is on screen.
void pageDown(benchmark::State &state)
{
    FLogView viewer;
    viewer.show();
    QTreeWidget *list = viewer.lvwEventsN;
    QScrollBar *bar = viewer.scbListN;
    int64_t wireBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Only a page of 16 listed rows pages on Page Down; pass the others by the scroll bar.
        do {
            bar->setValue(bar->value() < bar->maximum() ? bar->value() + 1 : 0);
        } while (list->topLevelItemCount() < PageSize || bar->value() == bar->maximum());
        list->setCurrentItem(list->topLevelItem(PageSize - 1));
        const int next = bar->value() + 1;
        wireBytes += pageWireBytes(device().MostRecentEventN(), next);
        state.ResumeTiming();
        QTest::keyClick(list, Qt::Key_PageDown);
        QCoreApplication::processEvents();
        if (bar->value() != next)
            state.SkipWithError("Page Down did not page");
    }
    const double bytes = static_cast<double>(wireBytes) / static_cast<double>(state.iterations());
    state.counters["wire_bytes"] = bytes;
    state.counters["line_ms"] = bytes / LineBytesPerSecond * 1000.0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SimProcess process;
    if (!process.start({QStringLiteral("--fill-logs"), QStringLiteral("--firmware-version"), QStringLiteral("0xCF")})) {
        std::fprintf(stderr, "eventlog_bench: the stand-in did not start\n");
        return 1;
    }
    QTemporaryDir dir;
    files = &dir;
    platform::setProgramFolderForTests(process.folder());
    mdlMain::UseEthernet = false;
    mdlMain::PortNumber = SimProcess::ComNumber;
    mdlMain::BaudRate = 115200;
    mdlMain::OpenDevicePort();
    if (!device().Connected() || !fetchLogs()) {
        std::fprintf(stderr, "eventlog_bench: the logs could not be read from the stand-in\n");
        return 1;
    }
    mdlMain::CurrentSoftware = mdlSoftwares::GetSoftware(device().FirmwareID());

    benchmark::RegisterBenchmark("describe_all_12288_records", describeAllRecords)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("export_both_logs", exportBothLogs)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("reference/write_same_bytes", writeSameFile)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("page_down/serial_115200", pageDown)->Unit(benchmark::kMillisecond)->UseRealTime();
    using namespace benchfigures;
    const int status =
        run(argc, argv,
            {{"event log decoding of all 12288 records", wallTime("describe_all_12288_records"), {}, {}, std::nullopt},
             {"event log export of both logs", wallTime("export_both_logs"), "the same bytes written undecoded",
              wallTime("reference/write_same_bytes"), std::nullopt},
             {"log viewer Page Down to the next page shown, serial 115200", wallTime("page_down/serial_115200"),
              "the line time of its requests and replies", timeCounter("page_down/serial_115200", "line_ms", 1e-3),
              std::nullopt}});
    mdlMain::ReleaseLink();
    return status;
}
