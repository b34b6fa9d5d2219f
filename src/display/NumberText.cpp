#include "NumberText.h"

#include "core/mdlTools.h"
#include "platform/Runtime.h"

#include <QRegularExpression>
#include <cfloat>
#include <charconv>
#include <cmath>

namespace NumberText {

double fromSingle(float value)
{
    if (!std::isfinite(value))
        return value;
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    double result = value;
    std::from_chars(text, written.ptr, result);
    return result;
}

QString ofSingle(float value)
{
    return platform::runtime::numberText(value);
}

std::optional<double> readTyped(const QString &text)
{
    static const QRegularExpression number(QStringLiteral(R"(^\s*[+-]?(\d+([.,]\d*)?|[.,]\d+)([eE][+-]?\d+)?\s*$)"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    const double value = mdlTools::ValDot(text);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<float> readTypedSingle(const QString &text)
{
    const auto value = readTyped(text);
    if (!value || std::fabs(*value) > FLT_MAX)
        return std::nullopt;
    return static_cast<float>(*value);
}

}  // namespace NumberText
