#include "RmsStatistics.h"

#include "core/mdlTools.h"
#include "platform/Runtime.h"

#include <cmath>

namespace kvr {
namespace {

constexpr int Groups = 5;
constexpr int BytesPerGroup = 4;
constexpr int32_t DigitBase = 33;
constexpr double SecondsPerHour = 3600;
constexpr double TheoreticalHours = 5000;

}  // namespace

int32_t ClearedBitCount(uint8_t b)
{
    return platform::runtime::toLong(mdlTools::Log2(256.0 - b));
}

int32_t DecodeTallyCounter(const QByteArray &data, int offset)
{
    int32_t value = 0;
    int32_t weight = 1;
    for (int j = 0; j < Groups; ++j) {
        int32_t digit = 0;
        for (int k = 0; k < BytesPerGroup; ++k)
            digit += ClearedBitCount(static_cast<uint8_t>(data.at(offset + BytesPerGroup * j + k)));
        value += weight * digit;
        weight *= DigitBase;
    }
    return value;
}

// Rounded to whole seconds before it is split, so that a fraction just below an hour carries
// into the hours instead of showing 0:00:00 behind the smaller count.
QString FormatHours(float hours)
{
    const double seconds = platform::runtime::round(static_cast<double>(hours) * SecondsPerHour);
    if (!std::isfinite(seconds))
        return platform::runtime::str(hours);
    const double whole = std::floor(seconds / SecondsPerHour);
    const double rest = seconds - whole * SecondsPerHour;
    const int minutes = static_cast<int>(rest / 60);
    const int secs = static_cast<int>(rest) % 60;
    return platform::runtime::str(whole) +
           QStringLiteral(":%1:%2").arg(minutes, 2, 10, QLatin1Char('0')).arg(secs, 2, 10, QLatin1Char('0'));
}

int BandOf(const std::array<float, 9> &limits, float rms)
{
    for (std::size_t i = 0; i < limits.size(); ++i) {
        if (limits[i] > rms)
            return static_cast<int>(i);
    }
    return static_cast<int>(limits.size());
}

QString TheoreticalLength(double factor)
{
    if (factor <= 0)
        return QStringLiteral("-");
    return platform::runtime::format(TheoreticalHours / factor, QStringLiteral("0"));
}

}  // namespace kvr
