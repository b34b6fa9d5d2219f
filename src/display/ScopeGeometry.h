#pragma once

#include <cstdint>

// The oscilloscope's sample-ring arithmetic and its mapping of samples and values to pixels, from a
// snapshot of the control's scale properties and drawing-area size.
struct ScopeGeometry {
    int width = 0;
    int height = 0;
    float xScale = 1000;  // ms per horizontal division
    int32_t samplesPerSecond = 1000;
    float xGridSpacing = 50;  // pixels per division
    float yGridSpacing = 50;
    float zeroPosition = 0.5f;     // height fraction of the zero line
    int32_t xOffset = 0;           // sample at the left edge
    int32_t bufferSize = 1000000;  // highest slot of the ring

    // Nearest integer, halves to even; saturates instead of overflowing, NaN gives 0.
    static int64_t roundEven(double value);

    // Any index reduced into 0..bufferSize (0 for an empty ring).
    static int32_t wrap(int64_t index, int32_t bufferSize);
    int32_t wrapIndex(int64_t index) const { return wrap(index, bufferSize); }

    float visibleSamples() const;
    float samplesPerPixel() const;
    float pixelsPerSample() const;

    // Pixel column of a sample, for the unshifted time axis or for a track shifted by trackXOffset.
    float sampleToX(int64_t index) const;
    float sampleToX(int64_t index, float trackXOffset) const;

    // Sample under a pixel column, unshifted or for a shifted track.
    int32_t xToSample(float x) const;
    int32_t xToSample(float x, float trackXOffset) const;

    float valueToY(float value, float yScale, float yOffset) const;
    float yToValue(float y, float yScale, float yOffset) const;

    // How many samples the screen shows from xOffset on: round(visibleSamples) + 1, ending before
    // the write position bufferPtr (the slot of the open sample period).
    int64_t shownSamples(int32_t bufferPtr) const;
};
