#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

// The samples between the two cursors of a held display, as the control panel reports them.
struct CursorSpan {
    int32_t count = 0;
    double minimum = 0;
    double maximum = 0;
    double average = 0;
    double rms = 0;

    // Walks the ring (slots 0..bufferSize) from c1 forward to c2; when c1 > c2 the span runs over the
    // ring's end. value(i) is the sample of slot i. Nothing when a cursor lies outside the ring.
    static std::optional<CursorSpan> measure(int32_t c1, int32_t c2, int32_t bufferSize,
                                             const std::function<float(int32_t)> &value);

    // The seven texts of the panel's measurement labels: time in ms, samples, min, max, peak to peak,
    // RMS and average, each followed by one blank.
    std::array<QString, 7> labels(int32_t samplesPerSecond) const;
};
