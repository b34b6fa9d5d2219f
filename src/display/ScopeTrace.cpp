#include "ScopeTrace.h"

#include "Track.h"

#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cmath>

namespace {

constexpr float TickHeight = 1.1f;

// The sample a track shows at step k from the left edge: shifted tracks show older samples.
int64_t shownSample(const ScopeGeometry &g, int64_t k, float trackXOffset)
{
    return ScopeGeometry::roundEven(static_cast<double>(g.xOffset + k) - trackXOffset);
}

void widen(float v, float &lowest, float &highest)
{
    if (v < lowest)
        lowest = v;
    else if (v > highest)
        highest = v;
}

// A column may hold thousands of samples: on x86 they go through the vector min and max, whose
// operand order gives the same result as the scalar comparisons of widen().
void widenOver(const float *values, std::size_t count, float &lowest, float &highest)
{
    std::size_t i = 0;
#ifdef __SSE2__
    constexpr std::size_t Lanes = 8;
    if (count >= Lanes) {
        __m128 lo0 = _mm_set1_ps(lowest), lo1 = lo0;
        __m128 hi0 = _mm_set1_ps(highest), hi1 = hi0;
        for (; i + Lanes <= count; i += Lanes) {
            const __m128 v0 = _mm_loadu_ps(values + i);
            const __m128 v1 = _mm_loadu_ps(values + i + 4);
            lo0 = _mm_min_ps(v0, lo0);
            lo1 = _mm_min_ps(v1, lo1);
            hi0 = _mm_max_ps(v0, hi0);
            hi1 = _mm_max_ps(v1, hi1);
        }
        float lanes[4 * 4];
        _mm_storeu_ps(lanes, lo0);
        _mm_storeu_ps(lanes + 4, lo1);
        _mm_storeu_ps(lanes + 8, hi0);
        _mm_storeu_ps(lanes + 12, hi1);
        for (const float v : lanes)
            widen(v, lowest, highest);
    }
#endif
    for (; i < count; ++i)
        widen(values[i], lowest, highest);
}

}  // namespace

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
    const auto slotCount = static_cast<int64_t>(samples.size());

    // Smallest and largest value of the steps first..last; a whole shift keeps the slots
    // contiguous (up to the ring's end), which lets the loop run over plain memory.
    const auto extremes = [&](int64_t first, int64_t last, float &lowest, float &highest) {
        lowest = highest = samples[static_cast<std::size_t>(g.wrapIndex(shownSample(g, first, shift)))];
        if (!wholeShift) {
            for (int64_t k = first + 1; k <= last; ++k)
                widen(samples[static_cast<std::size_t>(g.wrapIndex(shownSample(g, k, shift)))], lowest, highest);
            return;
        }
        int64_t slot = g.wrapIndex(shownSample(g, first, shift));
        int64_t left = last - first + 1;
        while (left > 0) {
            const int64_t run = std::min(left, slotCount - slot);
            widenOver(samples.data() + slot, static_cast<std::size_t>(run), lowest, highest);
            left -= run;
            slot = 0;
        }
    };

    int64_t from = 0;
    for (int64_t column = 0; column < shown;) {
        float lowest, highest;
        extremes(from, column, lowest, highest);
        // Values grow upwards, so the highest value gives the smallest y.
        const float x = g.sampleToX(shownSample(g, column, shift), shift);
        const float top = g.valueToY(highest, track.YScale(), track.YOffset());
        const float bottom = g.valueToY(lowest, track.YScale(), track.YOffset());
        if (std::trunc(top - bottom) == 0)
            lines.emplace_back(x, top, x, top + TickHeight);
        else
            lines.emplace_back(x, top, x, bottom);
        // The sample that closes a column also opens the next one.
        from = column;
        column = ScopeGeometry::roundEven(perPixel + static_cast<double>(column));
    }
}
