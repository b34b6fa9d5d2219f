#include "ScopeTrace.h"

#include "Track.h"

#include <cmath>

namespace
{

constexpr float TickHeight = 1.1f;

// The sample a track shows at step k from the left edge: shifted tracks show older samples.
int64_t shownSample(const ScopeGeometry &g, int64_t k, float trackXOffset)
{
    return ScopeGeometry::roundEven(static_cast<double>(g.xOffset + k) - trackXOffset);
}

} // namespace

void ScopeTrace::build(const ScopeGeometry &geometry, int32_t bufferPtr, const Track &track, std::vector<QLineF> &lines)
{
    lines.clear();
    const std::size_t slotCount = static_cast<std::size_t>(geometry.bufferSize < 0 ? 0 : geometry.bufferSize) + 1;
    if (track.Samples().size() != slotCount)
        return;
    const int64_t shown = geometry.shownSamples(bufferPtr);
    if (shown <= 0)
        return;
    if (geometry.samplesPerPixel() <= 1)
        segments(geometry, shown, track, lines);
    else
        columns(geometry, shown, track, lines);
}

void ScopeTrace::segments(const ScopeGeometry &g, int64_t shown, const Track &track, std::vector<QLineF> &lines)
{
    const std::vector<float> &samples = track.Samples();
    const float shift = track.XOffset();
    float previousX = -1;
    float previousY = 0;
    for (int64_t k = 0; k < shown; ++k) {
        const int64_t j = shownSample(g, k, shift);
        const float x = g.sampleToX(j, shift);
        const float y = g.valueToY(samples[static_cast<std::size_t>(g.wrapIndex(j))], track.YScale(), track.YOffset());
        // The segment that starts at the left edge belongs to the previous sweep.
        if (previousX > 0)
            lines.emplace_back(previousX, previousY, x, y);
        previousX = x;
        previousY = y;
    }
}

void ScopeTrace::columns(const ScopeGeometry &g, int64_t shown, const Track &track, std::vector<QLineF> &lines)
{
    const std::vector<float> &samples = track.Samples();
    const float shift = track.XOffset();
    const double perPixel = g.samplesPerPixel();
    const bool wholeShift = std::floor(shift) == shift && std::fabs(shift) < 1e9f;
    const int64_t slotCount = static_cast<int64_t>(samples.size());
    int64_t slot = g.wrapIndex(shownSample(g, 0, shift));
    int64_t nextColumn = 0;
    float lowest = samples[static_cast<std::size_t>(slot)];
    float highest = lowest;
    for (int64_t k = 0; k < shown; ++k) {
        if (k > 0) {
            if (wholeShift) {
                if (++slot == slotCount)
                    slot = 0;
            } else {
                slot = g.wrapIndex(shownSample(g, k, shift));
            }
            const float v = samples[static_cast<std::size_t>(slot)];
            if (v < lowest)
                lowest = v;
            else if (v > highest)
                highest = v;
        }
        if (k != nextColumn)
            continue;
        // Values grow upwards, so the highest value gives the smallest y.
        const float x = g.sampleToX(shownSample(g, k, shift), shift);
        const float top = g.valueToY(highest, track.YScale(), track.YOffset());
        const float bottom = g.valueToY(lowest, track.YScale(), track.YOffset());
        if (std::trunc(top - bottom) == 0)
            lines.emplace_back(x, top, x, top + TickHeight);
        else
            lines.emplace_back(x, top, x, bottom);
        nextColumn = ScopeGeometry::roundEven(perPixel + static_cast<double>(nextColumn));
        lowest = highest = samples[static_cast<std::size_t>(slot)];
    }
}
