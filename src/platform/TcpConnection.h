#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <vector>

class QHostInfo;
class QSocketNotifier;

namespace platform {

// A TCP client connection on the system's socket, watched by the event loop. What arrives is
// taken with one read per wake-up and held until read; what the connection does not take at once
// waits behind in order. A link polling a device many times a second pays for nothing more.
class TcpConnection : public QObject {
    Q_OBJECT
public:
    enum class State { Unconnected, LookingUp, Connecting, Connected, PeerClosed, Failed };

    // Told of what arrives, called straight rather than through a signal: a link polling many
    // times a second pays for every hop of each reply.
    class Listener {
    public:
        virtual void tcpReadyRead() = 0;
        // The peer ended or reset the connection; what it sent before stays readable.
        virtual void tcpPeerClosed() = 0;

    protected:
        ~Listener() = default;
    };

    explicit TcpConnection(QObject *parent = nullptr);
    ~TcpConnection() override;

    // Looks the host up when it is not an address, then tries its addresses in turn.
    void connectTo(const QString &host, quint16 port);
    void close();

    State state() const { return state_; }
    // Why the connection failed, in the system's words; empty unless Failed.
    QString errorText() const { return errorText_; }

    qint64 available() const { return received_.size(); }
    // Valid until the next read, skip or arrival.
    QByteArrayView peek(qint64 maxLength) const;
    QByteArray read(qint64 maxLength);
    void skip(qint64 count);
    // Onto the connection in order; ignored unless Connected.
    void write(const QByteArray &data);

    quint16 localPort() const;
    QHostAddress peerAddress() const;

    // None stops the calls: a listener that drops the connection from one of them sets none first.
    void setListener(Listener *listener) { listener_ = listener; }

private:
    void onLookedUp(const QHostInfo &info);
    void connectToNextAddress();
    void onConnectFinished();
    void onConnected();
    void onReadable();
    void onWritable();
    void sendPending();
    // As much of data as the connection takes now; -1 when it has ended.
    qsizetype sendNow(const QByteArray &data);
    void watchWrites(bool on);
    void fail(const QString &text);
    void endByPeer();
    void closeDescriptor();

    State state_ = State::Unconnected;
    QString errorText_;
    int fd_ = -1;
    int lookupId_ = -1;
    quint16 port_ = 0;
    std::vector<QHostAddress> addresses_;
    // Children, dropped with deleteLater: a listener may close the connection while
    // the read watch is still delivering.
    QSocketNotifier *readNotifier_ = nullptr;
    QSocketNotifier *writeNotifier_ = nullptr;
    Listener *listener_ = nullptr;
    QByteArray received_;
    QByteArray pending_;
};

}  // namespace platform
