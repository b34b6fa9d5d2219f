#include "ScopeTrace.h"

#include "Track.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float TickHeight = 1.1f;

// Where step k from the left edge of a track's trace reads and draws: the slot of the sample it
// shows (shifted tracks show older samples) and its pixel column.
class Steps {
public:
    Steps(const ScopeGeometry &g, float shift)
        : g_(g), shift_(shift), whole_(std::floor(shift) == shift && std::fabs(shift) < 1e9f),
          pixelsPerSample_(g.pixelsPerSample()),
          firstSlot_(whole_ ? g.wrapIndex(static_cast<int64_t>(g.xOffset) - static_cast<int64_t>(shift)) : 0),
          slotCount_(static_cast<int64_t>(g.bufferSize) + 1)
    {}

    // A whole shift shows consecutive slots for consecutive steps.
    bool consecutive() const { return whole_; }

    // Steps run below the slot count, so with a whole shift neither needs the general rounding and
    // wrapping: the results are the same.
    std::size_t slot(int64_t k) const
    {
        if (!whole_)
            return static_cast<std::size_t>(g_.wrapIndex(sample(k)));
        const int64_t slot = firstSlot_ + k;
        return static_cast<std::size_t>(slot < slotCount_ ? slot : slot - slotCount_);
    }
    float x(int64_t k) const
    {
        if (!whole_)
            return g_.sampleToX(sample(k), shift_);
        return static_cast<float>(static_cast<double>(k) * static_cast<double>(pixelsPerSample_));
    }

private:
    int64_t sample(int64_t k) const { return ScopeGeometry::roundEven(static_cast<double>(g_.xOffset + k) - shift_); }

    const ScopeGeometry &g_;
    float shift_;
    bool whole_;
    float pixelsPerSample_;
    int64_t firstSlot_;
    int64_t slotCount_;
};

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
    const TrackSamples &samples = track.Samples();
    const Steps steps(g, track.XOffset());
    float previousX = -1;
    float previousY = 0;
    for (int64_t k = 0; k < shown; ++k) {
        const float x = steps.x(k);
        const float y = g.valueToY(samples[steps.slot(k)], track.YScale(), track.YOffset());
        // The segment that starts at the left edge belongs to the previous sweep.
        if (previousX > 0)
            lines.emplace_back(previousX, previousY, x, y);
        previousX = x;
        previousY = y;
    }
}

void ScopeTrace::columns(const ScopeGeometry &g, int64_t shown, const Track &track, std::vector<QLineF> &lines)
{
    const TrackSamples &samples = track.Samples();
    const Steps steps(g, track.XOffset());
    const double perPixel = g.samplesPerPixel();

    // The steps each column holds: the sample that closes a column also opens the next one.
    struct Column {
        int64_t first;
        int64_t last;
    };
    std::vector<Column> columns;
    for (int64_t from = 0, column = 0; column < shown;) {
        columns.push_back({from, column});
        from = column;
        column = ScopeGeometry::roundEven(perPixel + static_cast<double>(column));
    }

    // Smallest and largest value of each column, starting from its first sample (which, when it
    // is not a number, leaves the column without a line). A whole shift keeps a column's slots
    // contiguous, so the samples' block ranges serve; otherwise every sample is looked at.
    std::vector<TrackSamples::Range> extremes;
    if (steps.consecutive()) {
        std::vector<TrackSamples::Stretch> stretches;
        stretches.reserve(columns.size());
        for (const Column &c : columns)
            stretches.push_back({steps.slot(c.first), static_cast<std::size_t>(c.last - c.first + 1)});
        samples.ranges(stretches, extremes);
        for (std::size_t i = 0; i < stretches.size(); ++i) {
            const std::size_t slot = stretches[i].first;
            if (samples.mayNotBeNumber(slot) && std::isnan(samples[slot]))
                extremes[i] = {samples[slot], samples[slot]};
        }
    } else {
        for (const Column &c : columns) {
            TrackSamples::Range range{samples[steps.slot(c.first)], samples[steps.slot(c.first)]};
            for (int64_t k = c.first + 1; k <= c.last; ++k)
                range.add(samples[steps.slot(k)]);
            extremes.push_back(range);
        }
    }

    for (std::size_t i = 0; i < columns.size(); ++i) {
        // Values grow upwards, so the highest value gives the smallest y.
        const float x = steps.x(columns[i].last);
        const float top = g.valueToY(extremes[i].highest, track.YScale(), track.YOffset());
        const float bottom = g.valueToY(extremes[i].lowest, track.YScale(), track.YOffset());
        if (std::trunc(top - bottom) == 0)
            lines.emplace_back(x, top, x, top + TickHeight);
        else
            lines.emplace_back(x, top, x, bottom);
    }
}
