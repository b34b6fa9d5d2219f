#include "KvrUnits.h"

#include "core/mdlTools.h"
#include "platform/Runtime.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace kvr {
namespace {

// The single-precision value of the device's counts per m/s² and per axis, 12 x it per m/s².
constexpr double CountsPerUnit = static_cast<double>(8.350662f);
constexpr double AxisFactor = 12;
constexpr double AxisOffset = 32768;
constexpr double ModuleScale = 256;
constexpr double RmsCountsPerMmS = static_cast<double>(7.44f);
constexpr float FilterSampleRate = 1000;
constexpr int32_t FilterFullScale = 256;
constexpr int32_t FullCoefficient = 255;

constexpr std::array<const char *, 6> Keys = {"N", "X", "Y", "Z", "M", "R"};

bool isAxisKind(int32_t kind)
{
    return (kind >= 1 && kind <= 3) || (kind >= 6 && kind <= 8);
}

bool isModuleKind(int32_t kind)
{
    return kind == Module || kind == 9;
}

}  // namespace

int32_t LimitFunctionOf(int32_t word)
{
    for (int32_t function = XAxis; function <= Rms; ++function) {
        if (word & LimitWordOf(function))
            return function;
    }
    return Disabled;
}

int32_t LimitWordOf(int32_t function)
{
    return function >= XAxis && function <= Rms ? 1 << (function - 1) : 0;
}

QString ComboKey(int32_t function)
{
    return function >= Disabled && function <= Rms ? QLatin1String(Keys[static_cast<std::size_t>(function)])
                                                   : QString();
}

std::optional<int32_t> FunctionOfKey(const QString &key)
{
    for (std::size_t i = 0; i < Keys.size(); ++i) {
        if (key == QLatin1String(Keys[i]))
            return static_cast<int32_t>(i);
    }
    return std::nullopt;
}

float RawToUnits(float raw, int32_t kind)
{
    if (isAxisKind(kind))
        return static_cast<float>((raw - AxisOffset) / AxisFactor / CountsPerUnit);
    if (isModuleKind(kind))
        return static_cast<float>(std::sqrt(static_cast<double>(raw)) * ModuleScale / AxisFactor / CountsPerUnit);
    if (kind == KindRms)
        return static_cast<float>(std::sqrt(static_cast<double>(raw)) / RmsCountsPerMmS);
    return 0;
}

int32_t SaturatedRound(double value)
{
    constexpr double low = std::numeric_limits<int32_t>::min();
    constexpr double high = std::numeric_limits<int32_t>::max();
    if (std::isnan(value))
        return 0;
    return platform::runtime::toLong(std::clamp(value, low, high));
}

int32_t UnitsToRaw(float value, int32_t kind)
{
    const double v = value;
    if (isModuleKind(kind)) {
        const double root = v * CountsPerUnit * AxisFactor / ModuleScale;
        return SaturatedRound(root * root);
    }
    if (kind == KindRms) {
        const double root = v * RmsCountsPerMmS;
        return SaturatedRound(root * root);
    }
    return SaturatedRound(v * CountsPerUnit * AxisFactor + AxisOffset);
}

ThresholdRange ThresholdRangeOf(int32_t function)
{
    switch (function) {
    case Module: return {0, 200};
    case Rms: return {0, 20};
    default: return {-200, 200};
    }
}

std::optional<QString> ThresholdBoundText(double value, int32_t function)
{
    const ThresholdRange range = ThresholdRangeOf(function);
    if (value < range.low)
        return QString::number(range.low);
    if (value > range.high)
        return QString::number(range.high);
    return std::nullopt;
}

int SliderFrequency(int32_t coefficient)
{
    return SaturatedRound(mdlTools::FilterCoefToFreq(FilterSampleRate, coefficient, FilterFullScale));
}

int32_t FilterCoefficient(int frequency)
{
    if (frequency >= MaxFilterFrequency)
        return FullCoefficient;
    return SaturatedRound(mdlTools::FilterFreqToCoef(FilterSampleRate, static_cast<float>(frequency), FilterFullScale));
}

}  // namespace kvr
