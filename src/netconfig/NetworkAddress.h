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

// True for a dotted address a single host can send from: not 0.0.0.0 or 255.255.255.255, and
// neither the network nor the broadcast address of one of the subnets (a /31 or /32 subnet has
// neither).
bool IsHostAddress(const QString &address, const QList<Subnet> &subnets);

// An address typed by the user: at least four dot-separated parts, each of the first four
// read by its leading number (none counts as 0) and lying in 0 to 255; later parts are ignored.
std::optional<Octets> ParseTypedAddress(const QString &text);

}  // namespace NetworkAddress
