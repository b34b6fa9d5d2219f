#include "platform/NetworkCards.h"

#include <QHostAddress>
#include <gtest/gtest.h>

namespace {

TEST(NetworkCards, ListsUsableIpv4CardsWithoutLoopback)
{
    const QList<platform::NetworkCard> cards = platform::networkCards();
    for (const platform::NetworkCard &card : cards) {
        EXPECT_FALSE(card.description.isEmpty());
        const QHostAddress ip(card.ipAddress);
        ASSERT_EQ(ip.protocol(), QAbstractSocket::IPv4Protocol) << card.ipAddress.toStdString();
        EXPECT_FALSE(ip.isLoopback()) << card.ipAddress.toStdString();
        EXPECT_NE(card.ipAddress, "0.0.0.0");
        // The mask is a run of ones followed by zeros.
        const QHostAddress mask(card.subnetMask);
        ASSERT_EQ(mask.protocol(), QAbstractSocket::IPv4Protocol) << card.subnetMask.toStdString();
        const quint32 hostBits = ~mask.toIPv4Address();
        EXPECT_EQ(hostBits & (hostBits + 1), 0u) << card.subnetMask.toStdString();
    }
}

}  // namespace
