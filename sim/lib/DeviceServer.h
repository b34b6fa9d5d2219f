#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QUdpSocket>

namespace devsim {

// The device's Ethernet interface module as the network sees it: an address of its own, a MAC in
// one of its maker's blocks and a setup record, served by the device-server datagrams on UDP.
//
// Every datagram begins with 00 00 00 and its kind. F6 is answered with a 30-byte F7 that carries
// the MAC in bytes 24-29; F8 with the setup record, kind F9: address in bytes 4-7, subnet bits in
// byte 10, gateway in 16-19, the other bytes settings of its own. An FD of the record's length
// replaces the record (the module's address stays until an FC). An FC of 20 bytes, "IP-SETUP" in
// bytes 4-11, whose bytes 14-15 equal the last two octets of the MAC, moves the module to the
// address in bytes 16-19. Replies go to the sender and leave from the module's address.
//
// Faults for the console's tests: a record of another length than the setup's (short or
// oversized), answers that leave late, and answers sent more than once.
class DeviceServer : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 Port = 30718;
    static constexpr int RecordLength = 120;

    struct Datagram {
        QByteArray bytes;
        QHostAddress sender;
        quint16 senderPort = 0;
    };

    explicit DeviceServer(QObject *parent = nullptr);

    // Listens on every address (so broadcasts arrive); port 0 picks a free one. Returns the port,
    // or 0 (see errorString()).
    quint16 start(quint16 port = Port);
    void stop();
    QString errorString() const { return socket_.errorString(); }

    // Where Modbus/TCP listens and replies leave from; loopback until told otherwise.
    void setAddress(const QHostAddress &address);
    QHostAddress address() const { return address_; }
    // Six bytes; the default lies in the 00-20-4A block.
    void setMac(const QByteArray &mac) { mac_ = mac; }
    QByteArray mac() const { return mac_; }
    QByteArray setupRecord() const { return record_; }
    // The record answered to F8 becomes this long: cut, or filled with more settings of its own.
    void setRecordLength(int length);
    void setReplyDelayMs(int ms) { replyDelayMs_ = ms; }
    void setReplyCopies(int copies) { replyCopies_ = copies; }

    // Every datagram received, oldest first.
    QList<Datagram> received() const { return received_; }

signals:
    void datagramReceived(const devsim::DeviceServer::Datagram &datagram);
    // An FC gave the module a new address.
    void addressAssigned(const QHostAddress &address);

private:
    void readDatagrams();
    void handle(const Datagram &datagram);
    void reply(const Datagram &to, const QByteArray &bytes);
    void send(const Datagram &to, const QByteArray &bytes);
    void assignAddress(const QByteArray &assignment);

    QUdpSocket socket_;
    QHostAddress address_{QHostAddress::LocalHost};
    QByteArray mac_;
    QByteArray record_;
    QList<Datagram> received_;
    int replyDelayMs_ = 0;
    int replyCopies_ = 1;
};

}  // namespace devsim
