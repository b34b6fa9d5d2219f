#include "NetworkCards.h"

#include <QNetworkInterface>

namespace platform {

QList<NetworkCard> networkCards()
{
    QList<NetworkCard> cards;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &card : interfaces) {
        // The loopback card reaches no device server, and a card that is down sends nothing.
        const auto flags = card.flags();
        if (flags.testFlag(QNetworkInterface::IsLoopBack) || !flags.testFlag(QNetworkInterface::IsUp))
            continue;
        const auto entries = card.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() != QAbstractSocket::IPv4Protocol || ip.toIPv4Address() == 0)
                continue;
            cards.append({card.humanReadableName(), ip.toString(), entry.netmask().toString()});
            break;
        }
    }
    return cards;
}

}  // namespace platform
