#pragma once

#include <QList>
#include <QString>

namespace platform {

struct NetworkCard {
    QString description;  // the interface's human-readable name
    QString ipAddress;    // its first IPv4 address
    QString subnetMask;
};

// The PC's network cards that carry an IPv4 address.
QList<NetworkCard> networkCards();

}  // namespace platform
