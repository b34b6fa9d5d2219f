#pragma once

#include "NetworkAddress.h"

#include <QHash>
#include <QString>
#include <utility>

// What the console checks before it gives a module an address, so that it sends none that cannot
// work: an address no host can have is refused, one that another listed module holds is asked
// about. Each check says why in the user's words.
class AddressPolicy {
public:
    AddressPolicy() = default;
    // card: the subnet of the card the modules are reached on; heldBy: the captions of the other
    // listed modules by their addresses.
    AddressPolicy(NetworkAddress::Subnet card, QHash<QString, QString> heldBy)
        : card_(std::move(card)), heldBy_(std::move(heldBy))
    {}

    const NetworkAddress::Subnet &card() const { return card_; }

    // Why no module can have the address in the subnet, as a sentence; empty when one can.
    static QString Refusal(const NetworkAddress::Octets &address, const NetworkAddress::Subnet &subnet);
    // The question to ask before the address is given to a module when another listed module
    // holds it; empty when none does.
    QString TakenQuestion(const QString &address) const;

private:
    NetworkAddress::Subnet card_;
    QHash<QString, QString> heldBy_;
};

// Asks a Yes/No question about an address, with No as the default; true when the user says Yes.
bool ConfirmAddress(const QString &question);
