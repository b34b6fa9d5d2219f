#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <cstdint>
#include <deque>
#include <memory>

class QUdpSocket;

namespace platform {

class TcpConnection;

// The socket control of the links and the network tools: one object, TCP client or UDP by
// Protocol, with the state numbers and members the program uses. Its notifications are
// guarded: an error escaping a handler is shown and never unwinds through the network library.
class WinSocket : public QObject {
    Q_OBJECT
public:
    enum StateValue : int16_t {
        sckClosed = 0,
        sckOpen = 1,
        sckResolvingHost = 4,
        sckConnecting = 6,
        sckConnected = 7,
        sckClosing = 8,
        sckError = 9,
    };
    enum ProtocolValue : int16_t { sckTCPProtocol = 0, sckUDPProtocol = 1 };

    explicit WinSocket(QObject *parent = nullptr);
    ~WinSocket() override;

    int16_t State() const;
    // Why the last connection attempt failed, in the socket's own words; empty after Connect and Close.
    QString LastError() const;

    // TCP: bytes waiting in the stream. UDP: the size of the next datagram.
    qint64 BytesReceived() const;
    // Up to maxLength bytes (all when negative); PeekData leaves them waiting. UDP reads the next
    // datagram whole; a shorter maxLength cuts it and the rest is lost.
    QByteArray PeekData(qint64 maxLength = -1);
    QByteArray GetData(qint64 maxLength = -1);
    // TCP: up to maxLength waiting bytes, left waiting and not copied; valid until the next
    // GetData, SkipStream or arrival.
    QByteArrayView PeekStream(qint64 maxLength) const;
    // TCP: drops up to count waiting bytes, as GetData would take them, without copying them.
    void SkipStream(qint64 count);
    // TCP: onto the connection. UDP: one datagram to RemoteHost:RemotePort; raises an error when
    // it cannot be sent.
    void SendData(const QByteArray &data);

    QString RemoteHost() const { return remoteHost_; }
    void setRemoteHost(const QString &host) { remoteHost_ = host; }
    int32_t RemotePort() const { return remotePort_; }
    void setRemotePort(int32_t port) { remotePort_ = port; }
    int32_t LocalPort() const;
    void setLocalPort(int32_t port) { localPort_ = port; }
    int16_t Protocol() const { return protocol_; }
    void setProtocol(int16_t protocol);
    // The address of the peer: the connected host, or the sender of the last datagram read.
    QString RemoteHostIP() const;

    // UDP: binds to localPort (LocalPort when 0 is given and set) on localIP or every address.
    void Bind(int32_t localPort = 0, const QString &localIP = QString());
    // TCP: connects to RemoteHost:RemotePort; progress shows in State.
    void Connect();
    void Close();

signals:
    void DataArrival(qint64 bytesTotal);
    // The peer closed the connection (the control's close notification).
    void Closed();

private:
    // Hands the TCP connection's arrivals and end to the two below.
    class TcpEvents;
    void onTcpReadyRead();
    void onTcpPeerClosed();
    void onUdpReadyRead();
    void dropSockets();

    struct Datagram {
        QByteArray data;
        QHostAddress sender;
    };

    int16_t protocol_ = sckTCPProtocol;
    QString remoteHost_;
    int32_t remotePort_ = 0;
    int32_t localPort_ = 0;
    std::unique_ptr<TcpEvents> tcpEvents_;
    std::unique_ptr<TcpConnection> tcp_;
    std::unique_ptr<QUdpSocket> udp_;
    std::deque<Datagram> datagrams_;
    QHostAddress lastSender_;
};

}  // namespace platform
