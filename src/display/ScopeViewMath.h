#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

// The arithmetic of the oscilloscope's view operations: automatic scales, zoom, scroll steps and
// the steps of the built-in panel's spinners.
class ScopeViewMath {
public:
    // Smallest and largest of the values added (the first value starts both). A sample that is not
    // a number has no place on a scale: it is passed over, and one that started the range gives way
    // to the next number.
    struct Range {
        float lo;
        float hi;
        explicit Range(float first) : lo(first), hi(first) {}
        void add(float v)
        {
            if (std::isnan(v))
                return;
            if (std::isnan(lo))
                lo = hi = v;
            else if (v < lo)
                lo = v;
            else if (v > hi)
                hi = v;
        }
    };

    struct YScaling {
        float yScale;
        float yOffset;
    };

    // Scale and offset that fit a range into the height with a 20 % margin. With keepZero the zero
    // value stays on the zero line; a side with no room (zero line at the top or bottom) is left out.
    static YScaling fitRange(Range range, bool keepZero, float zeroPosition, int height, float yGridSpacing);

    // XScale (ms per division) that shows a number of samples across the width; nothing when it
    // would not be a valid scale.
    static std::optional<float> xScaleFor(double samples, int32_t samplesPerSecond, int width, float xGridSpacing);

    // Number of samples from s1 forward to s2 in a ring of bufferSize + 1 slots.
    static int64_t spanForward(int32_t s1, int32_t s2, int32_t bufferSize);

    // The left edge after a scroll: 0 to the ring's start, 1 and 4 one division back and on, 2 and
    // 3 one pixel back and on; other directions keep it. Not wrapped.
    static int64_t scrolledOffset(int32_t direction, int64_t xOffset, float xScale, int32_t samplesPerSecond,
                                  float xGridSpacing);

    // Spinner steps; nothing where the value is at the end of its range.
    static float yOffsetStep(float yOffset, float yScale, bool up);
    static std::optional<float> yScaleStep(float yScale, bool up);
    static std::optional<float> xScaleStep(float xScale, bool up);
    // 1-based position of the next or previous of count tracks, going round; nothing without tracks.
    static std::optional<int32_t> trackStep(int32_t position, int32_t count, bool next);

    // Rounded to two decimals, halves to even.
    static float round2(double value);
};
