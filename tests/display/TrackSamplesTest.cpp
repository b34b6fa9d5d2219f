#include "display/TrackSamples.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

// Smallest and largest number among count slots from first on, around the ring, one by one.
TrackSamples::Range slowRange(const TrackSamples &samples, std::size_t first, std::size_t count)
{
    TrackSamples::Range range{std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
    for (std::size_t k = 0; k < count; ++k)
        range.add(samples[(first + k) % samples.size()]);
    return range;
}

void expectRangesAsSlowOnes(const TrackSamples &samples, std::mt19937 &random)
{
    std::uniform_int_distribution<std::size_t> slot(0, samples.size() - 1);
    std::uniform_int_distribution<std::size_t> length(1, samples.size());
    std::vector<TrackSamples::Stretch> stretches;
    for (int i = 0; i < 200; ++i)
        stretches.push_back({slot(random), i % 3 ? length(random) % 200 + 1 : length(random)});
    std::vector<TrackSamples::Range> ranges;
    samples.ranges(stretches, ranges);
    ASSERT_EQ(ranges.size(), stretches.size());
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        const TrackSamples::Range slow = slowRange(samples, stretches[i].first, stretches[i].count);
        ASSERT_EQ(ranges[i].isEmpty(), slow.isEmpty()) << i;
        if (!slow.isEmpty()) {
            ASSERT_EQ(ranges[i].lowest, slow.lowest) << "stretch " << stretches[i].first << "+" << stretches[i].count;
            ASSERT_EQ(ranges[i].highest, slow.highest) << "stretch " << stretches[i].first << "+" << stretches[i].count;
        }
    }
    for (std::size_t s = 0; s < samples.size(); ++s)
        EXPECT_TRUE(samples.mayNotBeNumber(s) || !std::isnan(samples[s])) << s;
}

}  // namespace

// The block ranges must follow every write, above all the ones that overwrite a block's only
// extreme with a value inside its range, or a redraw shows columns taller than their samples.
TEST(TrackSamples, RangesStayExactAsSamplesAreOverwrittenAndTheRingResized)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-100, 100);
    TrackSamples samples;
    samples.assign(1001);  // not a whole number of blocks
    expectRangesAsSlowOnes(samples, random);
    for (int round = 0; round < 6; ++round) {
        std::uniform_int_distribution<std::size_t> slot(0, samples.size() - 1);
        for (int i = 0; i < 3000; ++i) {
            const std::size_t at = slot(random);
            // A few samples that are not numbers, many repeats of the current extremes.
            const float v = i % 97 == 0 ? NaN : i % 5 == 0 ? std::round(value(random) / 50) * 50 : value(random);
            samples.set(at, v);
        }
        // Sweeps that overwrite whole stretches in order, as the producer does.
        for (std::size_t at = 0; at < samples.size() / 2; ++at)
            samples.set((at + 300 * round) % samples.size(), static_cast<float>(at % 17));
        expectRangesAsSlowOnes(samples, random);
        samples.resize(round % 2 ? 1001 + 37 * round : 700 - 50 * round);
        expectRangesAsSlowOnes(samples, random);
    }
}

TEST(TrackSamples, StretchesWithoutNumbersAreEmpty)
{
    TrackSamples samples;
    samples.assign(200);
    for (std::size_t s = 0; s < 200; ++s)
        samples.set(s, NaN);
    samples.set(150, 3);
    std::vector<TrackSamples::Range> ranges;
    samples.ranges({{0, 150}, {151, 49}, {190, 20}, {140, 20}}, ranges);
    EXPECT_TRUE(ranges[0].isEmpty());
    EXPECT_TRUE(ranges[1].isEmpty());
    EXPECT_TRUE(ranges[2].isEmpty());  // round the end into slots 0..9: still none
    EXPECT_EQ(ranges[3].lowest, 3.0f);
    EXPECT_EQ(ranges[3].highest, 3.0f);
    EXPECT_TRUE(samples.mayNotBeNumber(0));
}
