#include "NetworkAddress.h"

#include <QStringList>
#include <algorithm>

namespace NetworkAddress {

namespace {
constexpr int OctetCount = 4;
constexpr int MaxOctet = 255;
// 224.0.0.0/4, the first four bits of every multicast address.
constexpr quint32 MulticastPrefix = 0xE;

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

bool SameSubnet(const QString &address, const QString &otherAddress, const QString &mask)
{
    const QString broadcast = BroadcastAddress(address, mask);
    return !broadcast.isEmpty() && broadcast == BroadcastAddress(otherAddress, mask);
}

std::optional<Unusable> WhyUnusable(const Octets &address, const Subnet &subnet)
{
    const quint32 value = valueOf(address);
    if (value == 0)
        return Unusable::Unspecified;
    if (value == 0xFFFFFFFF)
        return Unusable::LimitedBroadcast;
    if ((value >> 28) == MulticastPrefix)
        return Unusable::Multicast;
    const std::optional<Octets> card = ParseDottedQuad(subnet.address);
    const std::optional<Octets> mask = ParseDottedQuad(subnet.mask);
    if (!card || !mask)
        return std::nullopt;
    const quint32 hostBits = ~valueOf(*mask);
    if (hostBits <= 1 || (value & ~hostBits) != (valueOf(*card) & ~hostBits))
        return std::nullopt;
    const quint32 host = value & hostBits;
    if (host == 0)
        return Unusable::SubnetNetwork;
    if (host == hostBits)
        return Unusable::SubnetBroadcast;
    return std::nullopt;
}

bool IsHostAddress(const QString &address, const QList<Subnet> &subnets)
{
    const std::optional<Octets> octets = ParseDottedQuad(address);
    if (!octets || WhyUnusable(*octets, {}))
        return false;
    return std::none_of(subnets.begin(), subnets.end(),
                        [&octets](const Subnet &subnet) { return WhyUnusable(*octets, subnet).has_value(); });
}

}  // namespace NetworkAddress
