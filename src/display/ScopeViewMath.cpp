#include "ScopeViewMath.h"

#include "ScopeGeometry.h"
#include "core/mdlTools.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Margin = 1.2;
constexpr float MaxYScale = 5000;
constexpr float MinYScale = 0.002f;
constexpr float MaxXScale = 50000;
constexpr float MinXScale = 50;

}  // namespace

float ScopeViewMath::round2(double value)
{
    return static_cast<float>(std::nearbyint(value * 100) / 100);
}

ScopeViewMath::YScaling ScopeViewMath::fitRange(Range range, bool keepZero, float zeroPosition, int height,
                                                float yGridSpacing)
{
    if (std::isnan(range.lo))
        range = Range(0);  // nothing but samples that are not numbers
    const double z = zeroPosition;
    double raw;
    double offset;
    if (keepZero) {
        const double hi = std::max(range.hi, 0.0f);
        const double lo = std::min(range.lo, 0.0f);
        double a = z > 0 ? hi / z : 0;
        const double b = z < 1 ? lo / (1 - z) : 0;
        if (std::fabs(a) < std::fabs(b))
            a = std::fabs(b);
        raw = a * Margin * yGridSpacing / height;
        offset = 0;
    } else {
        const double span = static_cast<double>(range.hi) - range.lo;
        raw = span * Margin * yGridSpacing / height;
        offset = (1 - z) * span + range.lo;
    }
    // Nothing to fit (a flat trace, or no drawing area) keeps one unit per division.
    const float scale = raw > 0 && std::isfinite(raw) ? mdlTools::NiceCeil(static_cast<float>(raw)) : 1.0f;
    return {std::isfinite(scale) && scale > 0 ? scale : 1.0f, round2(offset)};
}

std::optional<float> ScopeViewMath::xScaleFor(double samples, int32_t samplesPerSecond, int width, float xGridSpacing)
{
    const double raw = samples * 1000 / samplesPerSecond / (width / static_cast<double>(xGridSpacing));
    if (!(raw > 0) || !std::isfinite(raw) || raw > 3e38)
        return std::nullopt;
    const float scale = mdlTools::NiceCeil(static_cast<float>(raw));
    if (!(scale > 0) || !std::isfinite(scale))
        return std::nullopt;
    return scale;
}

int64_t ScopeViewMath::spanForward(int32_t s1, int32_t s2, int32_t bufferSize)
{
    if (s2 > s1)
        return static_cast<int64_t>(s2) - s1;
    return static_cast<int64_t>(bufferSize) + 1 - s1 + s2;
}

int64_t ScopeViewMath::scrolledOffset(int32_t direction, int64_t xOffset, float xScale, int32_t samplesPerSecond,
                                      float xGridSpacing)
{
    const double division = samplesPerSecond / 1000.0 * xScale;
    const int64_t step = std::max<int64_t>(
        1, ScopeGeometry::roundEven(static_cast<double>(xScale) * samplesPerSecond / 1000 / xGridSpacing));
    switch (direction) {
    case 0: return 0;
    case 1: return ScopeGeometry::roundEven(static_cast<double>(xOffset) - division);
    case 2: return xOffset - step;
    case 3: return xOffset + step;
    case 4: return ScopeGeometry::roundEven(static_cast<double>(xOffset) + division);
    default: return xOffset;
    }
}

float ScopeViewMath::yOffsetStep(float yOffset, float yScale, bool up)
{
    const double half = static_cast<double>(yScale) / 2;
    return round2(up ? yOffset + half : yOffset - half);
}

std::optional<float> ScopeViewMath::yScaleStep(float yScale, bool up)
{
    if (up)
        return yScale < MaxYScale ? std::optional(mdlTools::NiceCeil(yScale * 1.5f)) : std::nullopt;
    return yScale > MinYScale ? std::optional(mdlTools::NiceCeil(yScale / 2.5f)) : std::nullopt;
}

std::optional<float> ScopeViewMath::xScaleStep(float xScale, bool up)
{
    if (up)
        return xScale < MaxXScale ? std::optional(mdlTools::NiceCeil(xScale * 1.5f)) : std::nullopt;
    return xScale > MinXScale ? std::optional(mdlTools::NiceCeil(xScale / 2.5f)) : std::nullopt;
}

std::optional<int32_t> ScopeViewMath::trackStep(int32_t position, int32_t count, bool next)
{
    if (count <= 0)
        return std::nullopt;
    if (next)
        return position + 1 > count ? 1 : position + 1;
    return position - 1 < 1 ? count : position - 1;
}
