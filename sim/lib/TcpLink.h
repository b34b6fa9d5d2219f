#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

namespace devsim {

// The Ethernet side of the stand-in: Modbus/TCP clients on one address and port (loopback unless
// told otherwise), each with its own receive buffer.
class TcpLink : public QObject {
    Q_OBJECT
public:
    using Receiver = std::function<void(QTcpSocket *client, QByteArray &buffer)>;

    explicit TcpLink(Receiver receiver, QObject *parent = nullptr);
    ~TcpLink() override;

    // Port 0 picks one. The address and port are kept for listening again later.
    bool listen(const QHostAddress &address, quint16 port);
    // Listens on another address, same port; the clients of the old one are dropped.
    bool moveTo(const QHostAddress &address);
    void close();
    quint16 port() const { return port_; }
    int clientCount() const { return static_cast<int>(buffers_.size()); }
    QString errorString() const { return error_; }

    // Refusing closes the listening socket, so connection attempts meet a refusal; false when
    // listening again on the old port fails.
    bool setRefusing(bool refusing);
    void write(QTcpSocket *client, const QByteArray &bytes);
    void writeAll(const QByteArray &bytes);
    void dropAll();
    void resetAll();
    // Abortive close: SO_LINGER 0 makes the close send RST instead of FIN.
    void reset(QTcpSocket *client);

private:
    void acceptClients();
    void forget(QTcpSocket *client);

    Receiver receiver_;
    QTcpServer server_;
    QHash<QTcpSocket *, QByteArray> buffers_;
    QHostAddress address_{QHostAddress::LocalHost};
    quint16 port_ = 0;
    QString error_;
};

}  // namespace devsim
