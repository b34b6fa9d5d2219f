// Cost of the oscilloscope's drawing on a 1920 x 1080 drawing area with five tracks over a
// 1,000,000-sample ring: one sample period (five SetPoint calls and DrawPoint), and one full redraw
// over a screen of samples in segment mode and in column mode; with the memory the control holds.

#include "display/Oscilloscope.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <unistd.h>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr int TrackCount = 5;
constexpr int32_t Colours[TrackCount] = {0xFFFF, 0xFF00, 0xFF, 0xFF00FF, 0xFFFF00};

double residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * static_cast<double>(sysconf(_SC_PAGESIZE)) : 0;
}

// A control on screen with five visible tracks; the ring is filled with noisy sines so that every
// column spans several pixels.
std::unique_ptr<Oscilloscope> makeScope(double &residentDelta)
{
    const double before = residentBytes();
    auto scope = std::make_unique<Oscilloscope>();
    scope->findChild<QWidget *>(QStringLiteral("picScope"))->setFixedSize(Width, Height);
    scope->show();
    QApplication::processEvents();
    for (int t = 0; t < TrackCount; ++t)
        scope->Tracks().Add(QStringLiteral("T%1").arg(t), Colours[t], 0, 1, 5, 0);
    scope->setHold(true);
    for (int32_t i = 0; i <= scope->BufferSize(); ++i) {
        int k = 0;
        for (const auto &track : scope->Tracks())
            track->setBuffer(
                i, static_cast<float>(8 * std::sin(i * 0.01 + k++) + (static_cast<int64_t>(i) * 7919 % 13) * 0.1));
    }
    scope->setHold(false);
    scope->Redraw();
    residentDelta = residentBytes() - before;
    return scope;
}

// What the control keeps: the samples, the trigger flags and the two drawing layers.
double heldBytes(Oscilloscope &scope)
{
    double bytes = static_cast<double>(scope.BufferSize() + 1);  // trigger flags
    for (const auto &track : scope.Tracks())
        bytes += static_cast<double>(track->Samples().capacity() * sizeof(float));
    const auto *screen = static_cast<const QImage *>(scope.hDC());
    return bytes + 2.0 * static_cast<double>(screen->sizeInBytes());
}

void reportMemory(benchmark::State &state, Oscilloscope &scope, double residentDelta)
{
    state.counters["held_MB"] = heldBytes(scope) / 1e6;
    state.counters["rss_delta_MB"] = residentDelta / 1e6;
}

void BM_DrawPoint(benchmark::State &state)
{
    double resident = 0;
    auto scope = makeScope(resident);
    float v = 0;
    for (auto _ : state) {
        for (const auto &track : scope->Tracks())
            track->SetPoint(v);
        scope->DrawPoint();
        v = v > 10 ? -10 : v + 0.37f;
    }
    reportMemory(state, *scope, resident);
}

// A full screen of samples ending at the write position.
void BM_DrawAll(benchmark::State &state, float xScale)
{
    double resident = 0;
    auto scope = makeScope(resident);
    scope->setXScale(xScale);
    const int64_t shown = std::min<int64_t>(std::lround(scope->VisibleSamples()) + 1, scope->BufferSize());
    scope->ClearBuffer(false);
    scope->setXOffset(scope->WrapIndex(scope->BufferPtr() - shown));
    scope->setHold(true);
    for (auto _ : state)
        scope->DrawAll();
    state.counters["samples_per_track"] = static_cast<double>(shown);
    reportMemory(state, *scope, resident);
}

}  // namespace

BENCHMARK(BM_DrawPoint);
// 50 ms per division at 1000 samples per second and 50 pixels: one sample per pixel.
BENCHMARK_CAPTURE(BM_DrawAll, segment_mode, 50.0f)->Unit(benchmark::kMillisecond);
// About 521 samples per pixel: the whole 1,000,000-sample ring across 1920 pixels.
BENCHMARK_CAPTURE(BM_DrawAll, column_mode, 26042.0f)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
