#pragma once

#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// Dotted IPv4 texts as the network dialog reads, compares and writes them.
namespace NetworkAddress {

using Octets = std::array<uint8_t, 4>;

// Four dot-separated whole numbers of 0 to 255 (blanks around a part allowed); nullopt otherwise.
std::optional<Octets> ParseDottedQuad(const QString &text);
// The four values in decimal without leading zeros, joined by ".".
QString DottedText(const Octets &octets);

// The directed broadcast address of the subnet of ip under mask: each octet is the address's
// octet with every host bit of the mask set. Empty when either text is not a dotted address.
QString BroadcastAddress(const QString &ip, const QString &mask);

// A subnet of one of the PC's cards: the card's address and mask, dotted texts.
struct Subnet {
    QString address;
    QString mask;
};

// True when both dotted addresses lie in one subnet under the mask; false when a text is not one.
bool SameSubnet(const QString &address, const QString &otherAddress, const QString &mask);

// Why no single host can have an address.
enum class Unusable { Unspecified, LimitedBroadcast, Multicast, SubnetNetwork, SubnetBroadcast };

// Why no host can have the address: 0.0.0.0, 255.255.255.255, a multicast address, or the network
// or broadcast address of the subnet when the address lies in it (a /31 or /32 subnet has
// neither). nullopt when a host can have it; a subnet whose texts are not dotted addresses is left
// out.
std::optional<Unusable> WhyUnusable(const Octets &address, const Subnet &subnet);

// True for a dotted address a single host can send from: WhyUnusable finds nothing against it in
// any of the subnets.
bool IsHostAddress(const QString &address, const QList<Subnet> &subnets);

}  // namespace NetworkAddress
