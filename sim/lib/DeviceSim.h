#pragma once

#include "SimRequest.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <map>
#include <memory>

class QTcpSocket;

namespace devsim {

class BootLoaders;
class DeviceMemory;
class DeviceServer;
class PduResponder;
class PtyLink;
class TcpGateway;
class TcpLink;
class VibrationApplication;
struct MbapFrame;

enum class EventLog { N, V };

// A stand-in for the vibration sensor: Modbus RTU on a pseudo-terminal and Modbus/TCP on a
// loopback port, served on the event loop of the thread that owns it.
class DeviceSim : public QObject {
    Q_OBJECT
public:
    static constexpr quint8 UnitAddress = 1;

    explicit DeviceSim(QObject *parent = nullptr);
    ~DeviceSim() override;

    // Opens a pseudo-terminal and links <programFolder>/dosdevices/com<comNumber> to its slave side.
    // Returns the slave path, or an empty text (see errorString()).
    QString startSerial(const QString &programFolder, int comNumber);
    // Listens on the interface module's address (127.0.0.1 unless set there); port 0 picks a free
    // one. Returns the port, or 0 (see errorString()).
    quint16 startTcp(quint16 port = 0);
    // The Ethernet interface module: its address, MAC and setup record; start() answers its
    // datagrams. An IP assignment moves the Modbus/TCP listener to the new address.
    DeviceServer &deviceServer() { return *deviceServer_; }
    // Closes both links and removes the dosdevices link.
    void stop();
    QString serialPath() const;
    QString serialLinkPath() const;
    quint16 tcpPort() const;
    int tcpClientCount() const;
    QString errorString() const;

    // Identity reported by the status block: the device runs this firmware from now on, so it
    // leaves a boot loader it was in.
    void setIdentity(quint8 firmwareVersion, quint8 softwareId, const QByteArray &serialNumber);
    quint8 firmwareVersion() const;
    quint8 softwareId() const;
    QByteArray serialNumber() const;

    // The 256-byte register image; status bit n is bit n % 8 of byte 32 + n / 8 (n = 0..1791).
    void setRAM(int index, quint8 value);
    quint8 RAM(int index) const;
    void setStatusBit(int n, bool on);
    bool statusBit(int n) const;
    void setIOByte(quint8 value);
    quint8 IOByte() const;
    void setTurnOffDelay(quint8 value);
    quint8 turnOffDelay() const;

    // Passwords as typed (at most 8 characters are kept); an empty one disables the role's password.
    void setAdminPassword(const QByteArray &password);
    QByteArray adminPassword() const;
    void setSuperUserPassword(const QByteArray &password);
    QByteArray superUserPassword() const;

    // The device clock runs from the moment it is set.
    void setClock(const QDateTime &when);
    QDateTime clock() const;

    // Event logs: N has 8192 rows, V 4096; each row is one 8-byte record.
    void setLogRecord(EventLog log, int row, const QByteArray &record);
    QByteArray logRecord(EventLog log, int row) const;
    void setNewestRecord(EventLog log, int row);
    int newestRecord(EventLog log) const;

    // Fault switches.
    void setSilent(bool on);                    // requests are recorded but neither carried out nor answered
    void setReplyDelayMs(int ms);               // every reply leaves this much later
    void setSplitReplyMs(int ms);               // replies leave in two pieces this far apart (0 = whole)
    void setWrongCrc(bool on);                  // RTU replies carry a spoilt CRC
    void setForeignUnit(bool on);               // replies carry another unit address
    void setLineSpeed(int baud);                // serial bytes at any other speed are noise (0 = any speed)
    void setLinePacing(int baud);               // serial replies leave at this speed, 10 bits a byte (0 = at once)
    void pullCable();                           // the pty disappears: the client's side reads EIO, the link goes
    bool plugCable();                           // a fresh pty behind the same dosdevices link
    bool setRefuseConnections(bool on);         // stop listening (connections are refused) or listen again
    void dropConnections();                     // orderly close of every TCP client
    void resetConnections();                    // abortive close (RST) of every TCP client
    void resetNextReplyMidway();                // the next TCP reply stops half-way with a reset
    void injectBytes(const QByteArray &bytes);  // raw bytes onto the pty and every TCP client
    // Modbus/TCP through a gateway to the device's serial line: one request at a time, each taking
    // this long (0 = no gateway). Its dead device leaves it answering every request with
    // exception 0x0B (gateway target device failed to respond), after the same time.
    void setGatewayMs(int ms);
    void setGatewayDeviceDead(bool on);
    int gatewayBacklog() const;  // requests the gateway is carrying out or holds waiting

    // The two boot loaders: which one command 3 starts, their switches, and what was programmed.
    BootLoaders &bootLoaders() { return *bootLoaders_; }

    // The vibration relay application: its band counters, table uploads and monostable resets.
    VibrationApplication &application() { return *application_; }

    // Every request received, oldest first. A raw frame of the legacy boot loader is kept with
    // its bytes in frame and function 0.
    QList<SimRequest> requests() const;
    void clearRequests();

signals:
    void requestReceived(const devsim::SimRequest &request);

private:
    void onSerialBytes(QByteArray &buffer, bool lineIdle);
    void onTcpBytes(QTcpSocket *client, QByteArray &buffer);
    void onRawBytes(Link link, QTcpSocket *client, QByteArray &buffer, bool lineIdle);
    void answerTcp(const QPointer<QTcpSocket> &client, const MbapFrame &frame);
    // Records the request; true when the device is to carry it out and answer.
    bool receive(SimRequest request);
    quint8 replyUnit() const;
    void sendReply(Link link, QTcpSocket *client, const QByteArray &frame);
    void deliver(Link link, const QPointer<QTcpSocket> &client, const QByteArray &bytes);
    // Delivers a reply, in two pieces `split` ms apart when split, after any reply whose second
    // piece is still due.
    void deliverInTurn(Link link, const QPointer<QTcpSocket> &client, const QByteArray &frame, int split);

    std::unique_ptr<DeviceMemory> memory_;
    std::unique_ptr<VibrationApplication> application_;
    std::unique_ptr<PduResponder> responder_;
    std::unique_ptr<BootLoaders> bootLoaders_;
    std::unique_ptr<PtyLink> pty_;
    std::unique_ptr<TcpLink> tcp_;
    std::unique_ptr<TcpGateway> gateway_;
    std::unique_ptr<DeviceServer> deviceServer_;
    QList<SimRequest> requests_;
    QString error_;
    bool silent_ = false;
    int replyDelayMs_ = 0;
    int splitReplyMs_ = 0;
    bool wrongCrc_ = false;
    bool foreignUnit_ = false;
    int lineSpeed_ = 0;
    int linePacing_ = 0;
    bool resetMidway_ = false;
    // Replies held behind one whose second piece is still due, per line or TCP stream.
    std::map<std::pair<Link, const QTcpSocket *>, QList<QByteArray>> splitting_;
    bool gatewayDeviceDead_ = false;
};

}  // namespace devsim
