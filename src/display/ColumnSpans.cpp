#include "ColumnSpans.h"

#include "ScopeSurface.h"
#include "platform/Color.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int BandRows = 128;
constexpr int MaxRunWidth = 16;

template <int Width> void fillRect(QRgb *at, qsizetype stride, int rows, QRgb pixel)
{
    for (int y = 0; y < rows; ++y, at += stride)
        std::fill_n(at, Width, pixel);
}

}  // namespace

void ColumnSpans::add(const std::vector<QLineF> &lines, int32_t color, int32_t width)
{
    const int w = image_.width();
    const int h = image_.height();
    const QRgb pixel = platform::toQColor(static_cast<uint32_t>(color)).rgb();
    const int penWidth = ScopeSurface::penWidth(width);
    const auto row = [h](double y) { return static_cast<int>(std::clamp(std::floor(y), 0.0, static_cast<double>(h))); };
    if (spans_.empty()) {
        top_ = h;
        bottom_ = 0;
    }
    for (const QLineF &line : lines) {
        if (!std::isfinite(line.x1()) || !std::isfinite(line.y1()) || !std::isfinite(line.y2()))
            continue;
        const double left = std::floor(line.x1()) - (penWidth - 1) / 2;
        const int first = static_cast<int>(std::clamp(left, 0.0, static_cast<double>(w)));
        const int count = static_cast<int>(std::clamp(left + penWidth, 0.0, static_cast<double>(w))) - first;
        const Span span{first, count, row(std::min(line.y1(), line.y2())), row(std::max(line.y1(), line.y2())), pixel};
        if (span.count > 0 && span.top < span.bottom) {
            spans_.push_back(span);
            covered_.add(span.first, span.first + span.count, span.top, span.bottom);
            top_ = std::min(top_, span.top);
            bottom_ = std::max(bottom_, span.bottom);
        }
    }
}

void ColumnSpans::fill()
{
    groupRuns();
    const qsizetype stride = image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    QRgb *const bits = reinterpret_cast<QRgb *>(image_.bits());
    const auto fillRows = [bits, stride](int first, int width, int from, int to, QRgb pixel) {
        if (from >= to)
            return;
        QRgb *at = bits + from * stride + first;
        // The common widths get loops the compiler unrolls into plain stores.
        if (width == 1)
            fillRect<1>(at, stride, to - from, pixel);
        else if (width == MaxRunWidth)
            fillRect<MaxRunWidth>(at, stride, to - from, pixel);
        else
            for (int y = from; y < to; ++y, at += stride)
                std::fill_n(at, width, pixel);
    };
    for (int band = top_; band < bottom_; band += BandRows) {
        const int bandEnd = band + BandRows;
        for (const Run &run : runs_) {
            fillRows(run.first, run.width, std::max(run.top, band), std::min(run.bottom, bandEnd), run.pixel);
            for (std::size_t i = run.begin; i < run.end; ++i) {
                const Span &span = spans_[i];
                fillRows(span.first, span.count, std::max(span.top, band), std::min(run.top, bandEnd), span.pixel);
                fillRows(span.first, span.count, std::max(run.bottom, band), std::min(span.bottom, bandEnd),
                         span.pixel);
            }
        }
    }
    spans_.clear();
}

void ColumnSpans::groupRuns()
{
    runs_.clear();
    for (std::size_t i = 0; i < spans_.size(); ++i) {
        const Span &span = spans_[i];
        if (!runs_.empty()) {
            Run &run = runs_.back();
            const int top = std::max(run.top, span.top);
            const int bottom = std::min(run.bottom, span.bottom);
            if (span.pixel == run.pixel && span.first == run.first + run.width &&
                run.width + span.count <= MaxRunWidth && top < bottom) {
                run = {run.first, run.width + span.count, top, bottom, run.pixel, run.begin, i + 1};
                continue;
            }
        }
        runs_.push_back({span.first, span.count, span.top, span.bottom, span.pixel, i, i + 1});
    }
}
