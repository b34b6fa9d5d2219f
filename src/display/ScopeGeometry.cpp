#include "ScopeGeometry.h"

#include <algorithm>
#include <cmath>

int64_t ScopeGeometry::roundEven(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double limit = 9.0e18;
    if (value >= limit)
        return static_cast<int64_t>(limit);
    if (value <= -limit)
        return -static_cast<int64_t>(limit);
    return static_cast<int64_t>(std::nearbyint(value));
}

int32_t ScopeGeometry::wrap(int64_t index, int32_t bufferSize)
{
    if (bufferSize <= 0)
        return 0;
    const int64_t slots = static_cast<int64_t>(bufferSize) + 1;
    int64_t wrapped = index % slots;
    if (wrapped < 0)
        wrapped += slots;
    return static_cast<int32_t>(wrapped);
}

float ScopeGeometry::visibleSamples() const
{
    return static_cast<float>(width * (samplesPerSecond / 1000.0 * xScale) / xGridSpacing);
}

float ScopeGeometry::samplesPerPixel() const
{
    return static_cast<float>(xScale * samplesPerSecond / 1000.0 / xGridSpacing);
}

float ScopeGeometry::pixelsPerSample() const
{
    return static_cast<float>(xGridSpacing / (xScale * samplesPerSecond / 1000.0));
}

float ScopeGeometry::sampleToX(int64_t index) const
{
    return static_cast<float>(wrapIndex(index - xOffset) * static_cast<double>(pixelsPerSample()));
}

float ScopeGeometry::sampleToX(int64_t index, float trackXOffset) const
{
    const int64_t shifted = roundEven(static_cast<double>(trackXOffset) + static_cast<double>(index - xOffset));
    return static_cast<float>(wrapIndex(shifted) * static_cast<double>(pixelsPerSample()));
}

int32_t ScopeGeometry::xToSample(float x) const
{
    return xToSample(x, 0.0f);
}

int32_t ScopeGeometry::xToSample(float x, float trackXOffset) const
{
    const double sample = static_cast<double>(xScale) * samplesPerSecond / 1000.0 * x / xGridSpacing + xOffset;
    return wrapIndex(roundEven(sample - trackXOffset));
}

float ScopeGeometry::valueToY(float value, float yScale, float yOffset) const
{
    const float zero = static_cast<float>(height) * zeroPosition;
    return zero - (value - yOffset) * yGridSpacing / yScale;
}

float ScopeGeometry::yToValue(float y, float yScale, float yOffset) const
{
    const float zero = static_cast<float>(height) * zeroPosition;
    return (zero - y) * yScale / yGridSpacing + yOffset;
}

int64_t ScopeGeometry::shownSamples(int32_t bufferPtr) const
{
    // The walk from xOffset meets the write position after this many slots at the latest.
    const int64_t untilWritePosition = wrapIndex(static_cast<int64_t>(bufferPtr) - xOffset);
    return std::min(roundEven(visibleSamples()) + 1, untilWritePosition);
}
