#include "WinSocket.h"

#include "Error.h"
#include "EventGuard.h"

#include <QTcpSocket>
#include <QUdpSocket>
#include <algorithm>
#include <sys/socket.h>

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

WinSocket::WinSocket(QObject *parent) : QObject(parent) {}

WinSocket::~WinSocket()
{
    dropSockets();
}

void WinSocket::dropSockets()
{
    if (tcp_) {
        tcp_->disconnect(this);
        tcp_->abort();
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
        return failed_ ? sckError : sckClosed;
    if (peerClosed_)
        return sckClosing;
    switch (tcp_->state()) {
    case QAbstractSocket::HostLookupState: return sckResolvingHost;
    case QAbstractSocket::ConnectingState: return sckConnecting;
    case QAbstractSocket::ConnectedState: return sckConnected;
    case QAbstractSocket::ClosingState: return sckClosing;
    default: return failed_ ? sckError : sckClosed;
    }
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
    return tcp_ ? tcp_->bytesAvailable() : 0;
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
    return tcp_->peek(maxLength < 0 ? tcp_->bytesAvailable() : maxLength);
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
    return tcp_->read(maxLength < 0 ? tcp_->bytesAvailable() : maxLength);
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
    sendTcp(data);
}

void WinSocket::sendTcp(const QByteArray &data)
{
    // The socket object hands written bytes to the connection on the event loop's next pass and
    // switches its write watch on and off for them. With nothing queued before them, they go onto
    // the connection at once; what the connection does not take now is queued as before.
    qsizetype sent = 0;
    if (tcp_->bytesToWrite() == 0) {
        const ssize_t written = ::send(static_cast<int>(tcp_->socketDescriptor()), data.constData(),
                                       static_cast<size_t>(data.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        sent = std::max<ssize_t>(written, 0);
    }
    if (sent < data.size())
        tcp_->write(data.constData() + sent, data.size() - sent);
}

int32_t WinSocket::LocalPort() const
{
    if (udp_)
        return udp_->localPort();
    if (tcp_ && tcp_->state() == QAbstractSocket::ConnectedState)
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
    failed_ = false;
    peerClosed_ = false;
    lastError_.clear();
    tcp_ = std::make_unique<QTcpSocket>();
    connect(tcp_.get(), &QTcpSocket::readyRead, this, &WinSocket::onTcpReadyRead);
    connect(tcp_.get(), &QTcpSocket::errorOccurred, this, &WinSocket::onTcpError);
    tcp_->connectToHost(remoteHost_, static_cast<quint16>(remotePort_));
}

void WinSocket::Close()
{
    dropSockets();
    failed_ = false;
    peerClosed_ = false;
    lastError_.clear();
}

void WinSocket::onTcpError()
{
    if (tcp_->error() == QAbstractSocket::RemoteHostClosedError) {
        peerClosed_ = true;
        guard::run([this] { emit Closed(); });
        return;
    }
    failed_ = true;
    lastError_ = tcp_->errorString();
    // A failed connection leaves no usable socket; the state reads as an error until Close.
    if (tcp_->state() == QAbstractSocket::UnconnectedState) {
        tcp_->disconnect(this);
        tcp_.release()->deleteLater();
    }
}

void WinSocket::onTcpReadyRead()
{
    if (tcp_->bytesAvailable() > 0)
        guard::run([this] { emit DataArrival(tcp_->bytesAvailable()); });
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
