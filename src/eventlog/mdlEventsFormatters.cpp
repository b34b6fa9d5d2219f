#include "mdlEvents.h"
#include "mdlEventsFields.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "platform/Runtime.h"

#include <cmath>

namespace mdlEvents {
namespace {

constexpr txt::Id UnitAcceleration = txt::MetresPerSecond2;
constexpr txt::Id UnitVelocity = txt::MillimetresPerSecond;
constexpr txt::Id UnitMillivolt = txt::Millivolts;
constexpr txt::Id UnitCelsius = txt::DegreesCelsius;
constexpr txt::Id UnitMicron = txt::Micron;
constexpr txt::Id UnitHertz = txt::Hz;
constexpr txt::Id UnitDegree = txt::Degrees;
constexpr txt::Id UnitSecond = txt::Seconds;

// The divisor 16 x K as the firmware's single-precision constant holds it.
constexpr double SingleSixteenK = static_cast<float>(133.6106);
constexpr double ClampLimit = 1000;

// Rounded to two decimals, halves to even, written without trailing zeros.
QString rounded(double x, txt::Id unitId)
{
    return withUnit(platform::runtime::numberText(platform::runtime::round(x, 2)), unitId);
}

// The same for a quantity the firmware holds in single precision.
QString roundedSingle(double x, txt::Id unitId)
{
    return rounded(static_cast<float>(x), unitId);
}

// Exactly one decimal.
QString oneDecimal(double x, txt::Id unitId)
{
    return withUnit(platform::runtime::format(x, QStringLiteral("0.0")), unitId);
}

double clampMagnitude(double r)
{
    return std::fabs(r) > ClampLimit ? std::copysign(ClampLimit, r) : r;
}

// The channels of the older multi-channel firmware: accelerations, velocities, a voltage and a
// temperature, each from a 12-bit reading.
QString channelText(double v, int32_t channel)
{
    switch (channel) {
    case 0:
    case 1:
    case 2: return roundedSingle((v - 2048) / K, UnitAcceleration);
    case 4:
    case 5:
    case 6: return roundedSingle((v - 2048) / K / 32 * 1000, UnitVelocity);
    case 7: return roundedSingle(v * 5000 / 4096, UnitMillivolt);
    case 8: return rounded((v - 2048) / 6.55 + 25, UnitCelsius);
    default: return QString();
    }
}

}  // namespace

QString withUnit(const QString &number, txt::Id unitId)
{
    return number + QLatin1Char(' ') + mdlStrings::Translate(unitId);
}

QString FrequencyText(double v)
{
    return v > 0 ? rounded(9600 / v, UnitHertz) : QString();
}

QString TurnOffDelayText(int raw)
{
    return withUnit(platform::runtime::numberText(raw / 4.0), UnitSecond);
}

QString AccTextSqrK(double v)
{
    return rounded(std::sqrt(v) * 256 / SingleSixteenK, UnitAcceleration);
}

QString AccTextSqr2048(double v)
{
    return rounded(std::sqrt(v * 2048) / K, UnitAcceleration);
}

QString AccTextX16(double v)
{
    return rounded(v / K * 16, UnitAcceleration);
}

QString AccTextSqrX16(double v)
{
    return rounded(std::sqrt(v) / K * 16, UnitAcceleration);
}

QString AccTextOffset(double v)
{
    return rounded((v - 2048) / K, UnitAcceleration);
}

QString AccTextSqr256(double v)
{
    return rounded(std::sqrt(v * 256) / K, UnitAcceleration);
}

QString AccTextSqr256b(double v)
{
    return AccTextSqr256(v);
}

QString AccTextDiv16Offset(double v)
{
    return rounded((v / 16 - 2048) / K, UnitAcceleration);
}

QString AccTextSqr(double v)
{
    return rounded(std::sqrt(v) / K, UnitAcceleration);
}

QString VelTextSqrA(double v)
{
    return rounded(std::sqrt(v) * 0.103374635782441, UnitVelocity);
}

QString VelTextSqrB(double v)
{
    return rounded(std::sqrt(v) * 0.413498543129764, UnitVelocity);
}

QString DisplacementText60(double v)
{
    return roundedSingle(v / 60 / K, UnitMicron);
}

QString DisplacementText150(double v)
{
    return roundedSingle(v / 150 / K, UnitMicron);
}

QString AccText128(double v)
{
    return oneDecimal(static_cast<float>(v / K / 128), UnitAcceleration);
}

// The tilt from the gravity component: twice the arc sine of half the chord, the chord held in
// single precision and limited to 2 (a half turn).
QString TiltAngleText(double v)
{
    float chord = static_cast<float>(std::sqrt(v) / 9.81 / K / 8);
    if (chord > 2)
        chord = 2;
    const double angle = 2 * mdlTools::ArcSin(static_cast<double>(chord) / 2) / 3.14159265358979 * 180;
    return oneDecimal(angle, UnitDegree);
}

QString ChannelValueText(double v, int32_t channel)
{
    return channelText(v, channel);
}

QString ChannelValueText16(double v, int32_t channel)
{
    return channelText(v / 16, channel);
}

// The channels of the collision and vibration relay: axis values offset by 32768, the module as a
// sum of squares and the RMS velocity.
QString ChannelValueText0(float v, int32_t channel)
{
    const double value = v;
    switch (channel) {
    case 4: return oneDecimal(std::sqrt(value) * 256 / 12 / K, UnitAcceleration);
    case 5: return oneDecimal(std::sqrt(value) / 7.44, UnitVelocity);
    default: return oneDecimal((value - 32768) / 12 / K, UnitAcceleration);
    }
}

float AccFromSquare(float v)
{
    return static_cast<float>(platform::runtime::round(std::sqrt(static_cast<double>(v) * 256) / K, 2));
}

double ScaleSqrtClamped(double x)
{
    return clampMagnitude(platform::runtime::round(2 * std::sqrt(x) / 34204.3125, 2));
}

double ScaleLinearClamped(double x)
{
    return clampMagnitude(platform::runtime::round(x / 4275.5390625 * 1.155, 2));
}

}  // namespace mdlEvents
