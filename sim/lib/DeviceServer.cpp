#include "DeviceServer.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <cstring>

#include <netinet/in.h>
#include <sys/socket.h>

namespace devsim {

namespace {

constexpr quint8 Discovery = 0xF6;
constexpr quint8 DiscoveryReply = 0xF7;
constexpr quint8 SetupQuery = 0xF8;
constexpr quint8 SetupReply = 0xF9;
constexpr quint8 Assignment = 0xFC;
constexpr quint8 SetupWrite = 0xFD;
constexpr int DiscoveryReplyLength = 30;
constexpr int AssignmentLength = 20;

void putAddress(QByteArray &bytes, int at, const QHostAddress &address)
{
    const quint32 value = address.toIPv4Address();
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

QByteArray header(quint8 kind)
{
    QByteArray bytes(4, '\0');
    bytes[3] = static_cast<char>(kind);
    return bytes;
}

// The settings of its own a record holds from byte `from` on: each byte says something, so a write
// that spoils one shows.
void fillSettings(QByteArray &record, int from)
{
    for (int i = from; i < record.size(); ++i)
        record[i] = static_cast<char>((i * 37 + 11) & 0xFF);
}

// A setup record with a serial channel at 9600 8N1, Modbus/TCP port 502 and a name of the module.
QByteArray initialRecord()
{
    QByteArray record = header(SetupReply);
    record.resize(DeviceServer::RecordLength);
    fillSettings(record, 4);
    record[10] = 8;
    putAddress(record, 16, QHostAddress(QStringLiteral("0.0.0.0")));
    record.replace(24, 6, QByteArray::fromHex("00002580034C"));
    record.replace(30, 2, QByteArray::fromHex("01F6"));
    record.replace(40, 16, QByteArrayLiteral("VARIX-ETH\0\0\0\0\0\0\0"));
    return record;
}

// One datagram that leaves from the given local address. Qt's sender address fills only the
// field Linux ignores on sending, so the source goes into ipi_spec_dst here.
void sendFrom(qintptr socket, const QByteArray &bytes, const QHostAddress &to, quint16 port, const QHostAddress &from)
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(to.toIPv4Address());
    iovec data{const_cast<char *>(bytes.constData()), static_cast<size_t>(bytes.size())};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))]{};
    msghdr message{};
    message.msg_name = &target;
    message.msg_namelen = sizeof target;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr *header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_spec_dst.s_addr = htonl(from.toIPv4Address());
    std::memcpy(CMSG_DATA(header), &info, sizeof info);
    ::sendmsg(static_cast<int>(socket), &message, 0);
}

}  // namespace

DeviceServer::DeviceServer(QObject *parent)
    : QObject(parent), mac_(QByteArray::fromHex("00204A5A0001")), record_(initialRecord())
{
    putAddress(record_, 4, address_);
    connect(&socket_, &QUdpSocket::readyRead, this, &DeviceServer::readDatagrams);
}

quint16 DeviceServer::start(quint16 port)
{
    socket_.close();
    if (!socket_.bind(QHostAddress::AnyIPv4, port, QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint))
        return 0;
    return socket_.localPort();
}

void DeviceServer::stop()
{
    socket_.close();
}

void DeviceServer::setAddress(const QHostAddress &address)
{
    address_ = address;
    putAddress(record_, 4, address);
}

void DeviceServer::setRecordLength(int length)
{
    const int kept = static_cast<int>(record_.size());
    record_.resize(length);
    fillSettings(record_, kept);
}

void DeviceServer::readDatagrams()
{
    while (socket_.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket_.receiveDatagram();
        if (datagram.isNull())
            break;
        const Datagram received{datagram.data(), datagram.senderAddress(), static_cast<quint16>(datagram.senderPort())};
        received_.append(received);
        emit datagramReceived(received);
        handle(received);
    }
}

void DeviceServer::handle(const Datagram &datagram)
{
    const QByteArray &bytes = datagram.bytes;
    if (bytes.size() < 4 || !bytes.startsWith(QByteArrayView("\0\0\0", 3)))
        return;
    switch (static_cast<quint8>(bytes.at(3))) {
    case Discovery: {
        QByteArray answer = header(DiscoveryReply);
        answer.resize(DiscoveryReplyLength);
        answer.replace(4, 20, record_.mid(20, 20));
        answer.replace(24, 6, mac_);
        reply(datagram, answer);
        break;
    }
    case SetupQuery: reply(datagram, record_); break;
    case SetupWrite:
        if (bytes.size() == record_.size()) {
            record_ = bytes;
            record_[3] = static_cast<char>(SetupReply);
        }
        break;
    case Assignment: assignAddress(bytes); break;
    default: break;
    }
}

void DeviceServer::assignAddress(const QByteArray &assignment)
{
    if (assignment.size() != AssignmentLength || assignment.mid(4, 8) != "IP-SETUP" ||
        assignment.mid(14, 2) != mac_.right(2))
        return;
    quint32 value = 0;
    for (int i = 16; i < 20; ++i)
        value = (value << 8) | static_cast<quint8>(assignment.at(i));
    setAddress(QHostAddress(value));
    emit addressAssigned(address_);
}

void DeviceServer::reply(const Datagram &to, const QByteArray &bytes)
{
    if (replyDelayMs_ > 0)
        QTimer::singleShot(replyDelayMs_, this, [this, to, bytes] { send(to, bytes); });
    else
        send(to, bytes);
}

void DeviceServer::send(const Datagram &to, const QByteArray &bytes)
{
    // From the module's own address, also when its card has several or it moved meanwhile.
    for (int copy = 0; copy < replyCopies_; ++copy)
        sendFrom(socket_.socketDescriptor(), bytes, to.sender, to.senderPort, address_);
}

}  // namespace devsim
