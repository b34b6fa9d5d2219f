#include "CursorSpan.h"

#include "platform/Runtime.h"

#include <cmath>

std::optional<CursorSpan> CursorSpan::measure(int32_t c1, int32_t c2, int32_t bufferSize,
                                              const std::function<float(int32_t)> &value)
{
    if (bufferSize < 0 || c1 < 0 || c2 < 0 || c1 > bufferSize || c2 > bufferSize)
        return std::nullopt;

    CursorSpan span;
    span.count = c1 <= c2 ? c2 - c1 + 1 : bufferSize - c1 + c2 + 2;
    double sum = 0;
    double sumOfSquares = 0;
    int32_t slot = c1;
    for (int32_t k = 0; k < span.count; ++k) {
        const double v = value(slot);
        if (k == 0) {
            span.minimum = v;
            span.maximum = v;
        } else if (v < span.minimum) {
            span.minimum = v;
        } else if (v > span.maximum) {
            span.maximum = v;
        }
        sum += v;
        sumOfSquares += v * v;
        slot = slot == bufferSize ? 0 : slot + 1;
    }
    span.average = sum / span.count;
    span.rms = std::sqrt(sumOfSquares / span.count);
    return span;
}

std::array<QString, 7> CursorSpan::labels(int32_t samplesPerSecond) const
{
    const QString blank = QStringLiteral(" ");
    const auto fixed = [&](double v) { return platform::runtime::format(v, QStringLiteral("0.00")) + blank; };
    const double timeMs = static_cast<double>(count) / samplesPerSecond * 1000.0;
    return {QString::number(platform::runtime::toLong(timeMs)) + blank,
            QString::number(count) + blank,
            fixed(minimum),
            fixed(maximum),
            fixed(maximum - minimum),
            fixed(rms),
            fixed(average)};
}
