#include "WinSocket.h"

#include "Error.h"
#include "EventGuard.h"
#include "TcpConnection.h"

#include <QUdpSocket>
#include <algorithm>

namespace platform {

namespace {
constexpr int32_t InvalidOperation = 40020;
constexpr int32_t DatagramNotSent = 10051;

[[noreturn]] void invalidOperation(const char *member)
{
    throw Error(InvalidOperation, QStringLiteral("Winsock.") + QLatin1String(member),
                QStringLiteral("Invalid operation at current state"));
}
}  // namespace

class WinSocket::TcpEvents final : public TcpConnection::Listener {
public:
    explicit TcpEvents(WinSocket &socket) : socket_(socket) {}
    void tcpReadyRead() override { socket_.onTcpReadyRead(); }
    void tcpPeerClosed() override { socket_.onTcpPeerClosed(); }

private:
    WinSocket &socket_;
};

WinSocket::WinSocket(QObject *parent) : QObject(parent), tcpEvents_(std::make_unique<TcpEvents>(*this)) {}

WinSocket::~WinSocket()
{
    dropSockets();
}

void WinSocket::dropSockets()
{
    if (tcp_) {
        // A handler of its notifications may close the link: the connection ends now and goes
        // once it has returned.
        tcp_->setListener(nullptr);
        tcp_->close();
        tcp_.release()->deleteLater();
    }
    if (udp_) {
        udp_->disconnect(this);
        udp_->abort();
        udp_.release()->deleteLater();
    }
    datagrams_.clear();
}

int16_t WinSocket::State() const
{
    if (udp_)
        return udp_->state() == QAbstractSocket::BoundState ? sckOpen : sckClosed;
    if (!tcp_)
        return sckClosed;
    switch (tcp_->state()) {
    case TcpConnection::State::LookingUp: return sckResolvingHost;
    case TcpConnection::State::Connecting: return sckConnecting;
    case TcpConnection::State::Connected: return sckConnected;
    case TcpConnection::State::PeerClosed: return sckClosing;
    case TcpConnection::State::Failed: return sckError;
    case TcpConnection::State::Unconnected: break;
    }
    return sckClosed;
}

QString WinSocket::LastError() const
{
    return tcp_ ? tcp_->errorText() : QString();
}

void WinSocket::setProtocol(int16_t protocol)
{
    if (protocol != sckTCPProtocol && protocol != sckUDPProtocol)
        throw Error(380, QStringLiteral("Winsock.Protocol"), QStringLiteral("Invalid property value"));
    if (protocol != protocol_ && (tcp_ || udp_))
        invalidOperation("Protocol");
    protocol_ = protocol;
}

qint64 WinSocket::BytesReceived() const
{
    if (udp_)
        return datagrams_.empty() ? 0 : datagrams_.front().data.size();
    return tcp_ ? tcp_->available() : 0;
}

QByteArray WinSocket::PeekData(qint64 maxLength)
{
    if (udp_) {
        if (datagrams_.empty())
            return {};
        const QByteArray &data = datagrams_.front().data;
        return maxLength < 0 ? data : data.left(maxLength);
    }
    if (!tcp_)
        return {};
    return PeekStream(maxLength < 0 ? tcp_->available() : maxLength).toByteArray();
}

QByteArrayView WinSocket::PeekStream(qint64 maxLength) const
{
    return tcp_ ? tcp_->peek(maxLength) : QByteArrayView();
}

void WinSocket::SkipStream(qint64 count)
{
    if (tcp_)
        tcp_->skip(count);
}

QByteArray WinSocket::GetData(qint64 maxLength)
{
    if (udp_) {
        if (datagrams_.empty())
            return {};
        Datagram datagram = std::move(datagrams_.front());
        datagrams_.pop_front();
        lastSender_ = datagram.sender;
        return maxLength < 0 ? datagram.data : datagram.data.left(maxLength);
    }
    if (!tcp_)
        return {};
    return tcp_->read(maxLength < 0 ? tcp_->available() : maxLength);
}

void WinSocket::SendData(const QByteArray &data)
{
    if (protocol_ == sckUDPProtocol) {
        if (!udp_)
            Bind();
        // A datagram that cannot leave (no route, no such address) must not pass for sent.
        if (udp_->writeDatagram(data, QHostAddress(remoteHost_), static_cast<quint16>(remotePort_)) < 0)
            throw Error(DatagramNotSent, QStringLiteral("Winsock.SendData"), udp_->errorString());
        return;
    }
    if (State() != sckConnected)
        invalidOperation("SendData");
    tcp_->write(data);
}

int32_t WinSocket::LocalPort() const
{
    if (udp_)
        return udp_->localPort();
    if (tcp_ && tcp_->state() == TcpConnection::State::Connected)
        return tcp_->localPort();
    return localPort_;
}

QString WinSocket::RemoteHostIP() const
{
    if (protocol_ == sckUDPProtocol)
        return lastSender_.isNull() ? QString() : QHostAddress(lastSender_.toIPv4Address()).toString();
    return tcp_ ? tcp_->peerAddress().toString() : QString();
}

void WinSocket::Bind(int32_t localPort, const QString &localIP)
{
    if (protocol_ != sckUDPProtocol || udp_)
        invalidOperation("Bind");
    if (localPort != 0)
        localPort_ = localPort;
    auto socket = std::make_unique<QUdpSocket>();
    const QHostAddress address = localIP.isEmpty() ? QHostAddress(QHostAddress::AnyIPv4) : QHostAddress(localIP);
    if (!socket->bind(address, static_cast<quint16>(localPort_),
                      QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint))
        throw Error(10048, QStringLiteral("Winsock.Bind"), socket->errorString());
    connect(socket.get(), &QUdpSocket::readyRead, this, &WinSocket::onUdpReadyRead);
    udp_ = std::move(socket);
}

void WinSocket::Connect()
{
    if (protocol_ != sckTCPProtocol)
        invalidOperation("Connect");
    dropSockets();
    tcp_ = std::make_unique<TcpConnection>();
    tcp_->setListener(tcpEvents_.get());
    tcp_->connectTo(remoteHost_, static_cast<quint16>(remotePort_));
}

void WinSocket::Close()
{
    dropSockets();
}

void WinSocket::onTcpPeerClosed()
{
    guard::run([this] { emit Closed(); });
}

void WinSocket::onTcpReadyRead()
{
    guard::run([this] { emit DataArrival(tcp_->available()); });
}

void WinSocket::onUdpReadyRead()
{
    while (udp_ && udp_->hasPendingDatagrams()) {
        Datagram datagram;
        datagram.data.resize(std::max<qint64>(udp_->pendingDatagramSize(), 0));
        const qint64 got = udp_->readDatagram(datagram.data.data(), datagram.data.size(), &datagram.sender);
        if (got < 0)
            break;
        datagram.data.truncate(got);
        datagrams_.push_back(std::move(datagram));
        guard::run([this, got] { emit DataArrival(got); });
    }
}

}  // namespace platform
