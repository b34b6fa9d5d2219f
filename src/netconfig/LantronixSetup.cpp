#include "LantronixSetup.h"

#include "platform/Runtime.h"

#include <QStringList>
#include <cmath>

namespace LantronixSetup {

namespace {

constexpr int AutoIPOff = 1;
constexpr int DhcpOff = 2;
constexpr int BootPOff = 4;
constexpr int MaxHostBits = 24;
const QString NoMask = QStringLiteral("---");

double numericValue(const QStringList &parts, int index)
{
    return index < parts.size() ? platform::runtime::val(parts[index]) : 0.0;
}

// 256 - 2^bits: the one octet of the mask that is neither 255 nor 0.
QString partialOctet(int bits)
{
    return QString::number(256 - (1 << bits));
}

}  // namespace

std::optional<DynamicMethods> DynamicAddressing(const QString &ipAddress)
{
    const QStringList parts = ipAddress.split(QLatin1Char('.'));
    if (numericValue(parts, 0) != 0 || numericValue(parts, 1) != 0 || numericValue(parts, 3) != 0)
        return std::nullopt;
    const double flagValue = numericValue(parts, 2);
    const int flags = std::isfinite(flagValue) ? static_cast<int>(std::fmod(std::trunc(flagValue), 256.0)) : 0;
    return DynamicMethods{(flags & AutoIPOff) == 0, (flags & DhcpOff) == 0, (flags & BootPOff) == 0};
}

QString DynamicAddress(const DynamicMethods &methods)
{
    const int flags = (methods.autoIP ? 0 : AutoIPOff) + (methods.dhcp ? 0 : DhcpOff) + (methods.bootP ? 0 : BootPOff);
    return QStringLiteral("0.0.%1.0").arg(flags);
}

QString SubnetMaskText(const QString &subnetBits, const QString &firstOctet)
{
    const double value = platform::runtime::val(subnetBits);
    if (!(value > -0.5 && value < MaxHostBits + 0.5))
        return NoMask;
    const int n = static_cast<int>(platform::runtime::round(value));
    if (n == 0) {
        const double first = platform::runtime::val(firstOctet);
        if (first < 128)
            return QStringLiteral("255.0.0.0");
        return first < 192 ? QStringLiteral("255.255.0.0") : QStringLiteral("255.255.255.0");
    }
    if (n <= 8)
        return QStringLiteral("255.255.255.") + partialOctet(n);
    if (n <= 16)
        return QStringLiteral("255.255.") + partialOctet(n - 8) + QStringLiteral(".0");
    return QStringLiteral("255.") + partialOctet(n - 16) + QStringLiteral(".0.0");
}

std::optional<int> WholeNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const int value = trimmed.toInt(&ok, 10);
    if (!ok || trimmed.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return value;
}

}  // namespace LantronixSetup
