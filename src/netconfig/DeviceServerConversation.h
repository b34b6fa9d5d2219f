#pragma once

#include "DeviceServerProtocol.h"
#include "NetworkAddress.h"
#include "platform/WinSocket.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

// One network card of the PC: its address, mask and name.
struct NicRecord {
    QString IP;
    QString Mask;
    QString Description;
};

// The network dialog's datagrams with the Ethernet interface modules, through one socket bound to
// the chosen card: the search, the read and write of a module's setup record, and the assignment
// of an address. Each send prepares the socket anew, so each may use another card and module.
class DeviceServerConversation : public QObject {
    Q_OBJECT
public:
    explicit DeviceServerConversation(QObject *parent = nullptr);

    // The PC's cards: a reply from another address than a host of theirs is not a module's.
    void setCards(const QList<NicRecord> &cards);
    // The card the datagrams go out on; an empty record when none is chosen.
    void setCard(const NicRecord &card);

    // One discovery query to the chosen card's subnet, then a second of listening; the replies
    // come as ModuleAnswered. Without a card, or with a socket that cannot be bound, it ends at once.
    void Search();
    // Asks the module at the address for its setup record and waits up to 5 seconds for it, or
    // until endEarly says so. Only the first record from that address is taken, and only whole: one
    // of another length ends the read without it. True when the record came. Throws platform::Error
    // when the query cannot go out.
    bool ReadSetup(const QString &module, const std::function<bool()> &endEarly);
    // Writes the last record received back to the module with the fields replaced. False when a
    // field does not fit the record; throws platform::Error when the write cannot go out.
    bool WriteSetup(const QString &module, const DeviceServerProtocol::SetupFields &fields);
    // Gives the module whose MAC ends as mac's the address, by a broadcast; no reply is awaited.
    // Throws platform::Error when it cannot go out, or, sending nothing, when mac is not a MAC text
    // or address not a dotted address.
    void AssignAddress(const QString &mac, const QString &address);
    // Stops listening, so the replies meant for the main window's search of a machine reach it.
    void Close();

    void wskEnumerate_DataArrival();

    // The last setup record received, whole, and its fields; kept until the next one replaces them.
    bool SetupReceived = false;
    QByteArray SetupRecord;
    DeviceServerProtocol::SetupFields Setup;

    platform::WinSocket wskEnumerate;

signals:
    // A module answered a discovery query from this address, on the chosen card's subnet or not.
    // The socket, bound to the card's address, takes the replies meant for the main window's
    // search as well.
    void ModuleAnswered(const QString &mac, const QString &address, bool onCardSubnet);

private:
    // Closes the socket, binds it anew to the chosen card for datagrams to destination, and sends.
    void sendTo(const QString &destination, const QByteArray &datagram);

    QList<NetworkAddress::Subnet> cardSubnets_;
    NicRecord card_;
    // The module a setup read waits for; empty when no read waits. Records from any other
    // address, or after the first, are not taken.
    QString setupFrom_;
    // The module answered the read with a record of another length than its setup's.
    bool setupRefused_ = false;
};
