#include "NetworkCards.h"

#include <QNetworkInterface>
#include <optional>

namespace platform {

namespace {

bool usable(const QNetworkAddressEntry &entry)
{
    return entry.ip().protocol() == QAbstractSocket::IPv4Protocol && entry.ip().toIPv4Address() != 0;
}

// The card's fixed address, or, when it has none, the first one a DHCP server lent it (an address
// with a lifetime).
std::optional<QNetworkAddressEntry> cardAddress(const QNetworkInterface &card)
{
    std::optional<QNetworkAddressEntry> lent;
    const auto entries = card.addressEntries();
    for (const QNetworkAddressEntry &entry : entries) {
        if (!usable(entry))
            continue;
        if (entry.isPermanent())
            return entry;
        if (!lent)
            lent = entry;
    }
    return lent;
}

}  // namespace

QList<NetworkCard> networkCards()
{
    QList<NetworkCard> cards;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &card : interfaces) {
        // The loopback card reaches no device server, and a card that is down sends nothing.
        const auto flags = card.flags();
        if (flags.testFlag(QNetworkInterface::IsLoopBack) || !flags.testFlag(QNetworkInterface::IsUp))
            continue;
        if (const std::optional<QNetworkAddressEntry> entry = cardAddress(card))
            cards.append({card.humanReadableName(), entry->ip().toString(), entry->netmask().toString()});
    }
    return cards;
}

}  // namespace platform
