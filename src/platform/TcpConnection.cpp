#include "TcpConnection.h"

#include "ByteView.h"

#include <QHostInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {
// Taken from the system per wake-up; a Modbus reply is a few hundred bytes at most.
constexpr size_t ReadChunk = 16384;

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A peer that resets or is gone when written to has closed the connection, as an ended read shows.
bool endedByPeer(int error)
{
    return error == ECONNRESET || error == EPIPE;
}

void dropNotifier(QSocketNotifier *&notifier)
{
    if (!notifier)
        return;
    notifier->setEnabled(false);
    notifier->deleteLater();
    notifier = nullptr;
}

quint16 portOf(const sockaddr_storage &address)
{
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in &>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6 &>(address).sin6_port);
    return 0;
}
}  // namespace

TcpConnection::TcpConnection(QObject *parent) : QObject(parent) {}

TcpConnection::~TcpConnection()
{
    close();
}

void TcpConnection::connectTo(const QString &host, quint16 port)
{
    close();
    port_ = port;
    const QHostAddress address(host);
    if (!address.isNull()) {
        addresses_ = {address};
        connectToNextAddress();
        return;
    }
    state_ = State::LookingUp;
    lookupId_ = QHostInfo::lookupHost(host, this, &TcpConnection::onLookedUp);
}

void TcpConnection::close()
{
    if (lookupId_ >= 0)
        QHostInfo::abortHostLookup(lookupId_);
    lookupId_ = -1;
    closeDescriptor();
    addresses_.clear();
    received_.clear();
    pending_.clear();
    errorText_.clear();
    state_ = State::Unconnected;
}

void TcpConnection::closeDescriptor()
{
    dropNotifier(readNotifier_);
    dropNotifier(writeNotifier_);
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void TcpConnection::onLookedUp(const QHostInfo &info)
{
    if (info.lookupId() != lookupId_)
        return;
    lookupId_ = -1;
    const QList<QHostAddress> found = info.addresses();
    if (info.error() != QHostInfo::NoError || found.isEmpty()) {
        fail(info.errorString());
        return;
    }
    addresses_.assign(found.begin(), found.end());
    connectToNextAddress();
}

void TcpConnection::connectToNextAddress()
{
    closeDescriptor();
    const QHostAddress address = addresses_.front();
    addresses_.erase(addresses_.begin());
    sockaddr_storage target{};
    socklen_t length = 0;
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        auto &v4 = reinterpret_cast<sockaddr_in &>(target);
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port_);
        v4.sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof v4;
    } else {
        auto &v6 = reinterpret_cast<sockaddr_in6 &>(target);
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port_);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&v6.sin6_addr, &bytes, sizeof bytes);
        v6.sin6_scope_id = address.scopeId().toUInt();
        length = sizeof v6;
    }
    fd_ = ::socket(target.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        fail(systemText(errno));
        return;
    }
    state_ = State::Connecting;
    if (::connect(fd_, reinterpret_cast<const sockaddr *>(&target), length) == 0) {
        onConnected();
        return;
    }
    if (errno != EINPROGRESS) {
        fail(systemText(errno));
        return;
    }
    // The outcome shows when the socket becomes writable.
    watchWrites(true);
}

void TcpConnection::watchWrites(bool on)
{
    if (!writeNotifier_ && on) {
        writeNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Write, this);
        connect(writeNotifier_, &QSocketNotifier::activated, this, &TcpConnection::onWritable);
    }
    if (writeNotifier_)
        writeNotifier_->setEnabled(on);
}

void TcpConnection::onWritable()
{
    if (state_ == State::Connecting)
        onConnectFinished();
    else
        sendPending();
}

void TcpConnection::onConnectFinished()
{
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        error = errno;
    if (error == 0)
        onConnected();
    else
        fail(systemText(error));
}

void TcpConnection::onConnected()
{
    addresses_.clear();
    watchWrites(false);
    state_ = State::Connected;
    readNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &TcpConnection::onReadable);
}

void TcpConnection::fail(const QString &text)
{
    if (state_ == State::Connecting && !addresses_.empty()) {
        connectToNextAddress();
        return;
    }
    closeDescriptor();
    addresses_.clear();
    pending_.clear();
    errorText_ = text;
    state_ = State::Failed;
}

void TcpConnection::endByPeer()
{
    // Nothing more can come or go; the descriptor stays until close.
    dropNotifier(readNotifier_);
    dropNotifier(writeNotifier_);
    pending_.clear();
    state_ = State::PeerClosed;
    if (listener_)
        listener_->tcpPeerClosed();
}

void TcpConnection::onReadable()
{
    // Straight into the held bytes, whose block is kept from one arrival to the next.
    const qsizetype held = received_.size();
    received_.resize(held + static_cast<qsizetype>(ReadChunk));
    ssize_t got = 0;
    do {
        got = ::recv(fd_, received_.data() + held, ReadChunk, 0);
    } while (got < 0 && errno == EINTR);
    const int error = errno;
    received_.resize(held + std::max<qsizetype>(got, 0));
    if (got > 0) {
        if (listener_)
            listener_->tcpReadyRead();
    } else if (got == 0 || endedByPeer(error)) {
        endByPeer();
    } else if (error != EAGAIN && error != EWOULDBLOCK) {
        fail(systemText(error));
    }
}

QByteArrayView TcpConnection::peek(qint64 maxLength) const
{
    return front(received_, maxLength);
}

QByteArray TcpConnection::read(qint64 maxLength)
{
    // A copy of its own, so the held block stays for the next arrival.
    QByteArray taken = peek(maxLength).toByteArray();
    skip(taken.size());
    return taken;
}

void TcpConnection::skip(qint64 count)
{
    received_.remove(0, std::clamp<qint64>(count, 0, received_.size()));
}

void TcpConnection::write(const QByteArray &data)
{
    if (state_ != State::Connected)
        return;
    if (!pending_.isEmpty()) {
        pending_ += data;
        return;
    }
    const qsizetype sent = sendNow(data);
    if (sent >= 0 && sent < data.size()) {
        pending_ = data.sliced(sent);
        watchWrites(true);
    }
}

void TcpConnection::sendPending()
{
    const qsizetype sent = sendNow(pending_);
    if (sent < 0)
        return;
    pending_.remove(0, sent);
    // What the connection did not take waits for it to take more.
    watchWrites(!pending_.isEmpty());
}

qsizetype TcpConnection::sendNow(const QByteArray &data)
{
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t taken =
            ::send(fd_, data.constData() + sent, static_cast<size_t>(data.size() - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (taken >= 0) {
            sent += taken;
            continue;
        }
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error == EAGAIN || error == EWOULDBLOCK)
            break;
        endedByPeer(error) ? endByPeer() : fail(systemText(error));
        return -1;
    }
    return sent;
}

quint16 TcpConnection::localPort() const
{
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr *>(&address), &size) != 0)
        return 0;
    return portOf(address);
}

QHostAddress TcpConnection::peerAddress() const
{
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (fd_ < 0 || ::getpeername(fd_, reinterpret_cast<sockaddr *>(&address), &size) != 0)
        return {};
    return QHostAddress(reinterpret_cast<const sockaddr *>(&address));
}

}  // namespace platform
