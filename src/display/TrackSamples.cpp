#include "TrackSamples.h"

#include <algorithm>
#include <cmath>
#include <limits>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr float Infinity = std::numeric_limits<float>::infinity();

// The range of runs of samples and of block ranges. On x86 samples go four at a time through the
// vector min and max, which return their second operand when the first is not a number, so such
// samples are passed over as in Range::add; block ranges go two at a time as (lowest, highest)
// pairs. The lanes are joined once at the end.
class RangeOfSamples {
public:
    void add(const float *values, std::size_t count)
    {
        std::size_t i = 0;
#ifdef __SSE2__
        for (; i + 4 <= count; i += 4) {
            const __m128 v = _mm_loadu_ps(values + i);
            lowest_ = _mm_min_ps(v, lowest_);
            highest_ = _mm_max_ps(v, highest_);
        }
#endif
        for (; i < count; ++i)
            scalar_.add(values[i]);
    }

    void add(const TrackSamples::Range *ranges, std::size_t count)
    {
        std::size_t i = 0;
#ifdef __SSE2__
        static_assert(sizeof(TrackSamples::Range) == 2 * sizeof(float));
        for (; i + 2 <= count; i += 2) {
            const __m128 pair = _mm_loadu_ps(&ranges[i].lowest);
            pairLowest_ = _mm_min_ps(pair, pairLowest_);
            pairHighest_ = _mm_max_ps(pair, pairHighest_);
        }
#endif
        for (; i < count; ++i)
            scalar_.add(ranges[i]);
    }

    TrackSamples::Range range() const
    {
        TrackSamples::Range result = scalar_;
#ifdef __SSE2__
        // Lanes 0 and 2 of the pairs hold lowest values, lanes 1 and 3 highest ones.
        const __m128 lows = _mm_min_ps(lowest_, _mm_shuffle_ps(pairLowest_, pairLowest_, _MM_SHUFFLE(2, 2, 0, 0)));
        const __m128 highs = _mm_max_ps(highest_, _mm_shuffle_ps(pairHighest_, pairHighest_, _MM_SHUFFLE(3, 3, 1, 1)));
        const __m128 low2 = _mm_min_ps(lows, _mm_movehl_ps(lows, lows));
        const __m128 high2 = _mm_max_ps(highs, _mm_movehl_ps(highs, highs));
        result.add(TrackSamples::Range{_mm_cvtss_f32(_mm_min_ss(low2, _mm_shuffle_ps(low2, low2, 1))),
                                       _mm_cvtss_f32(_mm_max_ss(high2, _mm_shuffle_ps(high2, high2, 1)))});
#endif
        return result;
    }

private:
    TrackSamples::Range scalar_{Infinity, -Infinity};
#ifdef __SSE2__
    __m128 lowest_ = _mm_set1_ps(Infinity);
    __m128 highest_ = _mm_set1_ps(-Infinity);
    __m128 pairLowest_ = _mm_set1_ps(Infinity);
    __m128 pairHighest_ = _mm_set1_ps(-Infinity);
#endif
};

}  // namespace

void TrackSamples::assign(std::size_t count)
{
    samples_.assign(count, 0.0f);
    blocks_.assign((count + BlockSize - 1) / BlockSize, Range{0, 0});
    notNumbers_.assign(blocks_.size(), 0);
}

void TrackSamples::resize(std::size_t count)
{
    const std::size_t firstChanged = std::min(count, samples_.size()) / BlockSize;
    samples_.resize(count, 0.0f);
    blocks_.resize((count + BlockSize - 1) / BlockSize);
    notNumbers_.resize(blocks_.size());
    for (std::size_t block = firstChanged; block < blocks_.size(); ++block)
        summarise(block);
}

void TrackSamples::set(std::size_t slot, float value)
{
    const float previous = samples_[slot];
    samples_[slot] = value;
    Range &block = blocks_[slot / BlockSize];
    if (std::isnan(value))
        notNumbers_[slot / BlockSize] = 1;
    // Overwriting the block's only extreme with a value inside the range may narrow the range.
    if ((previous == block.lowest && !(value <= previous)) || (previous == block.highest && !(value >= previous)))
        summarise(slot / BlockSize);
    else
        block.add(value);
}

void TrackSamples::ranges(const std::vector<Stretch> &stretches, std::vector<Range> &result) const
{
    struct Part {
        std::size_t stretch;
        std::size_t first;
        std::size_t end;
    };
    std::vector<Part> parts;
    result.assign(stretches.size(), Range{Infinity, -Infinity});
    const std::size_t slotCount = samples_.size();
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        const Stretch &stretch = stretches[i];
        const std::size_t firstEnd = std::min(slotCount, stretch.first + stretch.count);
        const std::size_t pieces[2][2] = {{stretch.first, firstEnd}, {0, stretch.count - (firstEnd - stretch.first)}};
        // Each piece: the samples up to its first whole block, the whole blocks, the samples after.
        Part beside[4];
        std::size_t besideCount = 0;
        RangeOfSamples whole;
        for (const auto &[first, end] : pieces) {
            const std::size_t headEnd = std::min(end, (first + BlockSize - 1) / BlockSize * BlockSize);
            const std::size_t tailFirst = std::max(headEnd, end / BlockSize * BlockSize);
            whole.add(blocks_.data() + headEnd / BlockSize, (tailFirst - headEnd) / BlockSize);
            beside[besideCount++] = {i, first, headEnd};
            beside[besideCount++] = {i, tailFirst, end};
        }
        result[i] = whole.range();
        for (std::size_t k = 0; k < besideCount; ++k) {
            const Part &part = beside[k];
            if (part.first >= part.end)
                continue;
            const Range &block = blocks_[part.first / BlockSize];
            if (block.lowest < result[i].lowest || block.highest > result[i].highest)
                parts.push_back(part);
        }
    }
    for (const Part &part : parts)
        result[part.stretch].add(rangeOfSamples(part.first, part.end));
}

TrackSamples::Range TrackSamples::rangeOfSamples(std::size_t first, std::size_t end) const
{
    RangeOfSamples result;
    result.add(samples_.data() + first, end - first);
    return result.range();
}

void TrackSamples::summarise(std::size_t block)
{
    const std::size_t first = block * BlockSize;
    const std::size_t end = std::min(samples_.size(), first + BlockSize);
    blocks_[block] = rangeOfSamples(first, end);
    notNumbers_[block] =
        std::any_of(samples_.begin() + static_cast<std::ptrdiff_t>(first),
                    samples_.begin() + static_cast<std::ptrdiff_t>(end), [](float v) { return std::isnan(v); });
}
