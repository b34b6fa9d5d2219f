// Cost of the oscilloscope's drawing on a 1920 x 1080 drawing area with five tracks over a
// 1,000,000-sample ring, beside one fill of a full frame of that size (the floor of touching every
// pixel once): one sample period (five SetPoint calls and DrawPoint), and a full redraw over a
// screen of samples in segment mode and in column mode. And the memory the control holds beside
// the raw samples and trigger flags it must keep.
//
// A full redraw is measured two ways. Back to back, redraws and fills each repeat on their own, so
// each finds what it touches (the screen, the samples, the fill's frame) still in the caches. In
// a window, as the console meets it: the control sits in a shown window, and each redraw follows
// one fill and is followed by the paint of the window, so each finds the caches as other work
// left them; the fill then pays for its frame coming from memory too.

#include "BenchFigures.h"
#include "display/Oscilloscope.h"

#include <QApplication>
#include <QImage>
#include <QVBoxLayout>
#include <chrono>
#include <cmath>
#include <malloc.h>
#include <memory>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr int TrackCount = 5;
constexpr int32_t Colours[TrackCount] = {0xFFFF, 0xFF00, 0xFF, 0xFF00FF, 0xFFFF00};
constexpr int Repetitions = 9;
const char *const FullFrameFill = "BM_FullFrameFill";
const char *const SegmentInWindow = "BM_DrawAllInWindow/segment_mode";
const char *const ColumnInWindow = "BM_DrawAllInWindow/column_mode";
const char *const HeldMemory = "BM_HeldMemory";

// A control with a 1920 x 1080 drawing area and five visible tracks; the ring is filled with noisy
// sines so that every column spans several pixels.
std::unique_ptr<Oscilloscope> makeScope(bool shown)
{
    auto scope = std::make_unique<Oscilloscope>();
    scope->findChild<QWidget *>(QStringLiteral("picScope"))->setFixedSize(Width, Height);
    if (shown) {
        scope->show();
        QApplication::processEvents();
    }
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
    scope->Redraw();  // chooses the track whose values label the grid
    return scope;
}

// The reference: a frame of the drawing area's size, filled in a new colour each time.
class FrameFill {
public:
    void operator()()
    {
        frame_.fill(colour_++);
        benchmark::DoNotOptimize(frame_.bits());
    }

private:
    QImage frame_{Width, Height, QImage::Format_ARGB32};
    uint colour_ = 0;
};

void BM_FullFrameFill(benchmark::State &state)
{
    FrameFill fill;
    for (auto _ : state)
        fill();
}

void BM_DrawPoint(benchmark::State &state)
{
    auto scope = makeScope(true);
    float v = 0;
    for (auto _ : state) {
        for (const auto &track : scope->Tracks())
            track->SetPoint(v);
        scope->DrawPoint();
        v = v > 10 ? -10 : v + 0.37f;
    }
}

// Shows a full screen of samples ending at the write position; returns the samples per track.
int64_t showLatestScreen(Oscilloscope &scope, float xScale)
{
    scope.setXScale(xScale);
    const int64_t shown = std::min<int64_t>(std::lround(scope.VisibleSamples()) + 1, scope.BufferSize());
    scope.ClearBuffer(false);
    scope.setXOffset(scope.WrapIndex(scope.BufferPtr() - shown));
    scope.setHold(true);
    return shown;
}

void BM_DrawAll(benchmark::State &state, float xScale)
{
    auto scope = makeScope(true);
    const int64_t shown = showLatestScreen(*scope, xScale);
    for (auto _ : state)
        scope->DrawAll();
    state.counters["samples_per_track"] = static_cast<double>(shown);
}

template <typename Work> double secondsOf(Work &&work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The redraw alone is the benchmark's time; the fill before it and the window's paint after it
// are counters, per redraw.
void BM_DrawAllInWindow(benchmark::State &state, float xScale)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    Oscilloscope *scope = makeScope(false).release();
    layout->addWidget(scope);
    window.show();
    QApplication::processEvents();
    showLatestScreen(*scope, xScale);
    QApplication::processEvents();
    FrameFill fill;
    double fillSeconds = 0, paintSeconds = 0;
    for (auto _ : state) {
        fillSeconds += secondsOf(fill);
        state.SetIterationTime(secondsOf([scope] { scope->DrawAll(); }));
        paintSeconds += secondsOf([] { QApplication::processEvents(); });
    }
    state.counters["fill_s"] = benchmark::Counter(fillSeconds, benchmark::Counter::kAvgIterations);
    state.counters["paint_s"] = benchmark::Counter(paintSeconds, benchmark::Counter::kAvgIterations);
}

double heapBytesInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

// The heap a control holds after a full redraw, beside its raw samples and trigger flags. The
// control is not shown, so the window's own paint buffer is not counted; a first control made and
// dropped beforehand leaves the process-wide caches (fonts, glyphs) out of the figure.
void BM_HeldMemory(benchmark::State &state)
{
    makeScope(false)->Redraw();
    for (auto _ : state) {
        const double before = heapBytesInUse();
        auto scope = makeScope(false);
        scope->Redraw();
        state.counters["held_MB"] = (heapBytesInUse() - before) / 1e6;
        const double slotCount = static_cast<double>(scope->BufferSize()) + 1;
        state.counters["raw_MB"] = slotCount * (TrackCount * sizeof(float) + 1) / 1e6;
    }
}

}  // namespace

BENCHMARK(BM_FullFrameFill)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
BENCHMARK(BM_DrawPoint)->Repetitions(Repetitions);
// 50 ms per division at 1000 samples per second and 50 pixels: one sample per pixel.
BENCHMARK_CAPTURE(BM_DrawAll, segment_mode, 50.0f)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
// About 521 samples per pixel: the whole 1,000,000-sample ring across 1920 pixels.
BENCHMARK_CAPTURE(BM_DrawAll, column_mode, 26042.0f)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
BENCHMARK_CAPTURE(BM_DrawAllInWindow, segment_mode, 50.0f)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(Repetitions);
BENCHMARK_CAPTURE(BM_DrawAllInWindow, column_mode, 26042.0f)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(Repetitions);
BENCHMARK(BM_HeldMemory)->Iterations(1);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    using namespace benchfigures;
    const std::string fillBackToBack = "one full-frame fill, back to back";
    const std::string fillBefore = "the full-frame fill before each redraw";
    return benchfigures::run(
        argc, argv,
        {{"scope full redraw, segment mode, 1920 x 1080, 5 tracks, in a window", wallTime(SegmentInWindow), fillBefore,
          timeCounter(SegmentInWindow, "fill_s", 1), atMost(3)},
         {"scope full redraw, column mode, 1,000,000-sample ring, in a window", wallTime(ColumnInWindow), fillBefore,
          timeCounter(ColumnInWindow, "fill_s", 1), atMost(4)},
         {"scope paint of a full redraw into its window", timeCounter(SegmentInWindow, "paint_s", 1), fillBefore,
          timeCounter(SegmentInWindow, "fill_s", 1), std::nullopt},
         {"scope full redraw, segment mode, back to back", wallTime("BM_DrawAll/segment_mode"), fillBackToBack,
          wallTime(FullFrameFill), atMost(3)},
         {"scope full redraw, column mode, back to back", wallTime("BM_DrawAll/column_mode"), fillBackToBack,
          wallTime(FullFrameFill), atMost(5)},
         {"scope sample period, 5 x SetPoint + DrawPoint", wallTime("BM_DrawPoint"), fillBackToBack,
          wallTime(FullFrameFill), std::nullopt},
         {"scope memory held, 1,000,000 samples x 5 tracks", counter(HeldMemory, "held_MB", "MB"),
          "raw samples and flags", counter(HeldMemory, "raw_MB", "MB"), atMost(1.5)}},
        Order::Interleaved);
}
