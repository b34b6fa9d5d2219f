#include "NetworkAddress.h"

#include "platform/Runtime.h"

#include <QStringList>

namespace NetworkAddress {

namespace {
constexpr int OctetCount = 4;
constexpr int MaxOctet = 255;

quint32 valueOf(const Octets &octets)
{
    quint32 value = 0;
    for (const uint8_t octet : octets)
        value = (value << 8) | octet;
    return value;
}

}  // namespace

std::optional<Octets> ParseDottedQuad(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != OctetCount)
        return std::nullopt;
    Octets octets{};
    for (int i = 0; i < OctetCount; ++i) {
        const QString part = parts[i].trimmed();
        bool ok = false;
        const uint value = part.toUInt(&ok, 10);
        // toUInt accepts a sign; an octet is digits only.
        if (!ok || part.isEmpty() || !part.front().isDigit() || value > MaxOctet)
            return std::nullopt;
        octets[static_cast<std::size_t>(i)] = static_cast<uint8_t>(value);
    }
    return octets;
}

QString DottedText(const Octets &octets)
{
    QStringList parts;
    for (const uint8_t octet : octets)
        parts << QString::number(octet);
    return parts.join(QLatin1Char('.'));
}

QString BroadcastAddress(const QString &ip, const QString &mask)
{
    const std::optional<Octets> address = ParseDottedQuad(ip);
    const std::optional<Octets> bits = ParseDottedQuad(mask);
    if (!address || !bits)
        return {};
    Octets broadcast{};
    for (std::size_t i = 0; i < broadcast.size(); ++i)
        broadcast[i] = static_cast<uint8_t>((*address)[i] | (~(*bits)[i] & 0xFF));
    return DottedText(broadcast);
}

bool IsHostAddress(const QString &address, const QList<Subnet> &subnets)
{
    const std::optional<Octets> octets = ParseDottedQuad(address);
    if (!octets)
        return false;
    const quint32 value = valueOf(*octets);
    if (value == 0 || value == 0xFFFFFFFF)
        return false;
    for (const Subnet &subnet : subnets) {
        const std::optional<Octets> card = ParseDottedQuad(subnet.address);
        const std::optional<Octets> mask = ParseDottedQuad(subnet.mask);
        if (!card || !mask)
            continue;
        const quint32 hostBits = ~valueOf(*mask);
        if (hostBits <= 1 || (value & ~hostBits) != (valueOf(*card) & ~hostBits))
            continue;
        const quint32 host = value & hostBits;
        if (host == 0 || host == hostBits)
            return false;
    }
    return true;
}

std::optional<Octets> ParseTypedAddress(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() < OctetCount)
        return std::nullopt;
    Octets octets{};
    for (int i = 0; i < OctetCount; ++i) {
        const double value = platform::runtime::val(parts[i]);
        if (!(value >= 0 && value <= MaxOctet))
            return std::nullopt;
        octets[static_cast<std::size_t>(i)] = platform::runtime::toByte(value);
    }
    return octets;
}

}  // namespace NetworkAddress
