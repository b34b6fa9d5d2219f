#pragma once

#include "platform/WinSocket.h"

#include <QHash>
#include <QObject>
#include <QString>

// The main window's own search for a module by its MAC: one discovery query to every module the
// system's default interface reaches, and the addresses of the modules that answered, kept for
// the whole run.
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
    void ReplyHeard(const QString &mac, const QString &address);

    // IP address texts by MAC text; a module keeps the address it first answered from.
    QHash<QString, QString> DeviceServers;
    platform::WinSocket wskService;

private:
    void record(const QString &mac, const QString &address);

    // Searches under way; replies heard elsewhere count only while one waits.
    int searches_ = 0;
};
