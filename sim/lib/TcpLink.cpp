#include "TcpLink.h"

#include <QTcpSocket>

#include <sys/socket.h>

#include <utility>

namespace devsim {

TcpLink::TcpLink(Receiver receiver, QObject *parent) : QObject(parent), receiver_(std::move(receiver))
{
    connect(&server_, &QTcpServer::newConnection, this, &TcpLink::acceptClients);
}

TcpLink::~TcpLink()
{
    close();
}

bool TcpLink::listen(const QHostAddress &address, quint16 port)
{
    server_.close();
    address_ = address;
    if (!server_.listen(address, port)) {
        error_ = server_.errorString();
        return false;
    }
    port_ = server_.serverPort();
    error_.clear();
    return true;
}

void TcpLink::close()
{
    server_.close();
    dropAll();
}

bool TcpLink::setRefusing(bool refusing)
{
    if (refusing) {
        server_.close();
        return true;
    }
    return server_.isListening() || listen(address_, port_);
}

bool TcpLink::moveTo(const QHostAddress &address)
{
    dropAll();
    return listen(address, port_);
}

void TcpLink::acceptClients()
{
    while (QTcpSocket *client = server_.nextPendingConnection()) {
        buffers_.insert(client, QByteArray());
        connect(client, &QTcpSocket::readyRead, this, [this, client] {
            auto it = buffers_.find(client);
            if (it == buffers_.end())
                return;
            // The receiver may drop the client, and its buffer with it: work on a copy.
            QByteArray pending = std::exchange(*it, QByteArray()) + client->readAll();
            receiver_(client, pending);
            it = buffers_.find(client);
            if (it != buffers_.end())
                it->prepend(pending);
        });
        connect(client, &QTcpSocket::disconnected, this, [this, client] { forget(client); });
    }
}

void TcpLink::forget(QTcpSocket *client)
{
    if (buffers_.remove(client))
        client->deleteLater();
}

void TcpLink::write(QTcpSocket *client, const QByteArray &bytes)
{
    if (buffers_.contains(client)) {
        client->write(bytes);
        client->flush();
    }
}

void TcpLink::writeAll(const QByteArray &bytes)
{
    for (QTcpSocket *client : buffers_.keys())
        write(client, bytes);
}

void TcpLink::dropAll()
{
    for (QTcpSocket *client : buffers_.keys()) {
        forget(client);
        client->disconnectFromHost();
    }
}

void TcpLink::resetAll()
{
    for (QTcpSocket *client : buffers_.keys())
        reset(client);
}

void TcpLink::reset(QTcpSocket *client)
{
    if (!buffers_.contains(client))
        return;
    const linger hard{1, 0};
    ::setsockopt(static_cast<int>(client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    forget(client);
    client->abort();
}

}  // namespace devsim
