#pragma once

#include "platform/WinSocket.h"

#include <QHash>
#include <QObject>
#include <QString>

// The main window's own search for a module by its MAC: one discovery query to every module the
// system's default interface reaches, and the addresses of the modules that answered, kept for
// the whole run. What the console learns later of a module's address, from a newer reply or from
// the address it gave the module, replaces what it knew: a moved module is not looked for where it
// was.
class DeviceServerDirectory : public QObject {
    Q_OBJECT
public:
    explicit DeviceServerDirectory(QObject *parent = nullptr);

    // The address of the module, searched for at most 5 seconds unless it answered before;
    // empty when it did not answer.
    QString Discover(const QString &mac);

    void wskService_DataArrival();
    // A discovery reply another socket of the console took: while the network dialog is open,
    // its socket, bound to the card's address on the same port, gets the replies to this search.
    // Outside a search it only brings a module already known up to date: a module first found by
    // the network dialog is still searched for once.
    void ReplyHeard(const QString &mac, const QString &address);
    // The console gave the module this address.
    void AddressAssigned(const QString &mac, const QString &address);

    // IP address texts by MAC text: the address each module last answered from or was given.
    QHash<QString, QString> DeviceServers;
    platform::WinSocket wskService;

private:
    void record(const QString &mac, const QString &address);

    // Searches under way; replies heard elsewhere count only while one waits.
    int searches_ = 0;
};
