#pragma once

#include <QList>
#include <QString>

namespace platform {

struct NetworkCard {
    QString description;  // the interface's human-readable name
    QString ipAddress;    // its fixed IPv4 address, else the one a DHCP server lent it
    QString subnetMask;
};

// The PC's network cards that are up and carry an IPv4 address, in the system's order; the
// loopback card is left out.
QList<NetworkCard> networkCards();

}  // namespace platform
