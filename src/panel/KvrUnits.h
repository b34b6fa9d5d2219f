#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The vibration relay's limit functions and the conversions between raw device words and
// engineering units.
namespace kvr {

enum LimitFunction : int32_t { Disabled = 0, XAxis = 1, YAxis = 2, ZAxis = 3, Module = 4, Rms = 5 };

// Conversion kinds of a raw word: 1..3 live axes, 4 live module, 5 RMS, 6..8 waveform axes,
// 9 waveform module; any other kind converts to 0.
enum ChannelKind : int32_t { KindRms = 5, FirstWaveformKind = 6 };

// The function a limit word selects: its lowest set bit among 1, 2, 4, 8, 16; 0 without one.
int32_t LimitFunctionOf(int32_t word);
// The word the device stores for a function: 0, 1, 2, 4, 8 or 16.
int32_t LimitWordOf(int32_t function);
// The function combos' item keys: "N", "X", "Y", "Z", "M", "R".
QString ComboKey(int32_t function);
std::optional<int32_t> FunctionOfKey(const QString &key);

// m/s² for axis and module kinds, mm/s for RMS.
float RawToUnits(float raw, int32_t kind);
// Rounded halves to even; values far beyond any raw word saturate instead of overflowing, since
// the device object clamps every word it writes anyway.
int32_t UnitsToRaw(float value, int32_t kind);
// Rounded halves to even, saturated to the 32-bit range.
int32_t SaturatedRound(double value);

// The range of a limit's threshold in the units of its function; the bounds belong to it.
struct ThresholdRange {
    double low;
    double high;
};
ThresholdRange ThresholdRangeOf(int32_t function);
// The bound's text ("200", "-200", "0", "20") when the value lies outside the range.
std::optional<QString> ThresholdBoundText(double value, int32_t function);

// Filter sliders run in Hz from 1 to 610; 610 and above stands for the coefficient 255.
inline constexpr int MinFilterFrequency = 1;
inline constexpr int MaxFilterFrequency = 610;
int SliderFrequency(int32_t coefficient);
int32_t FilterCoefficient(int frequency);

}  // namespace kvr
