#pragma once

#include "EventLogTable.h"
#include "MBRequest.h"
#include "MBRequests.h"
#include "RequestLanes.h"
#include "TcpRequestWindow.h"
#include "platform/WinSocket.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class CommPort;
class PortWait;

// The console's picture of the connected device: its register image, status, identity and
// event logs, and the Modbus traffic that keeps them current over the serial port or TCP.
class CDevice : public QObject {
    Q_OBJECT
public:
    static constexpr int ImageSize = 256;
    static constexpr int LogNRows = 8192;
    static constexpr int LogVRows = 4096;
    static constexpr int32_t UnitAddress = 1;
    // Seconds a serial request waits for its reply, and a TCP request for its match.
    static constexpr double SerialReplyTimeout = 0.2;
    static constexpr double TcpRequestLifetime = 10.0;
    // The serial time-out that brings the missed-reply count to this marks the device lost; on TCP
    // the poll that does.
    static constexpr int32_t MissedRepliesToDisconnect = 8;

    explicit CDevice(QObject *parent = nullptr);
    ~CDevice() override;

    // The links. The serial port and the choice of link are the shell's; the choice is read
    // at every request.
    platform::WinSocket *EthernetPort() const { return ethernetPort_; }
    void setEthernetPort(platform::WinSocket *socket);
    CommPort *Port() const { return commPort_; }
    void setPort(CommPort *port);
    void setUseEthernet(std::function<bool()> useEthernet) { useEthernet_ = std::move(useEthernet); }

    bool IO(int bit) const;
    uint8_t RAM(int index) const;
    int32_t SRAM(int index) const;
    void setRAM(int index, int32_t value);
    int32_t RAM2(int index) const;
    void setRAM2(int index, int32_t value);
    int32_t RAM3(int index) const;
    // Four bytes as an unsigned value taken modulo 2^32 into the signed result.
    int32_t RAM4(int index) const;
    bool Bit(int n) const;
    void setBit(int n, bool value);
    int32_t MBTransactionID();
    int16_t FirmwareID() const;
    int16_t FirmwareVersion() const;

    // Commands, passwords and the clock, written through the command register.
    void WritePsw(QString &password);
    void SendCommand(int32_t code);
    void AdminLogOn(const QString &password);
    void ChangeAdminPsw(QString &password);
    void AdminLogOff();
    void SuperUserLogOn(const QString &password);
    void ChangeSuperUserPsw(QString &password);
    void SuperUserLogOff();
    void SetClock(const QDateTime &when = QDateTime::currentDateTime());
    int32_t MostRecentEventN() const;
    int32_t MostRecentEventV() const;
    QByteArray LogListN(int index) const;
    QByteArray LogListV(int index) const;
    QDateTime DateTime() const;

    uint8_t PacketSize() const { return RAM(11); }
    bool Connected() const { return connected_; }
    void CheckStatus();
    // The watchdog's status poll: on the serial link it is queued without waiting for its reply,
    // as on TCP, so the watchdog's tick returns whatever other windows read.
    void QueueStatusPoll();
    void Reset();
    bool Connecting() const { return missedReplies_ == 0; }
    QString SerialNumber() const { return serialNumber_; }
    int32_t MissedReplies() const { return missedReplies_; }

    void MBRead(int16_t functionCode, int32_t startAddress, int32_t quantity);
    // A read queued without waiting for its reply, on either link, to take its kind's share of a
    // busy line; what a handler of a reply, a tick or a loss reads goes this way. Returns the request
    // while it is queued, none when it could not be.
    MBRequestPtr QueueRead(ReadKind kind, int16_t functionCode, int32_t startAddress, int32_t quantity);
    void MBWriteMultipleRegisters(int32_t startAddress, int32_t quantity, const std::vector<int32_t> &data);
    void MBWriteRegister(int32_t address, int32_t value);
    void MBWriteCoil(int32_t address, bool value);

    // The IO status byte; setting a different value raises IOStatusChanged.
    uint8_t IOByte() const { return ioByte_; }
    void setIOByte(uint8_t value);

    // The requests waiting for replies.
    const MBRequests &PendingRequests() const { return *queue_; }
    // Whether a write has yet to be taken by the device: over TCP writes may wait their turns at a
    // gateway after the call has returned; on the serial line the caller waits for them.
    bool WritesPending() const { return tcpWindow_.writesPending(); }

    // The firmware download speaks to the boot loaders on the link itself. For the life of a
    // loan the device object neither sends on the link nor reads from it: what was queued is
    // dropped, and so are requests made meanwhile, except EnterBootLoader.
    class LinkLoan {
    public:
        explicit LinkLoan(CDevice &device);
        ~LinkLoan();
        LinkLoan(const LinkLoan &) = delete;
        LinkLoan &operator=(const LinkLoan &) = delete;

    private:
        CDevice &device_;
    };
    // Asks the running firmware to start its boot loader (command 3); it goes out also while the
    // link is lent, since the download that holds it asks for it.
    void EnterBootLoader();

signals:
    void NewRTData(const MBRequestPtr &request, const QByteArray &data);
    void NewRAMData(int32_t first, int32_t count);
    void MBException(const MBRequestPtr &request, const QByteArray &data);
    void LogUpdated(int32_t first, int32_t count);
    void ConnectionStatusChanged();
    void IOStatusChanged();

protected:
    // Turns one reply into image bytes, identity, log rows and events. Data starts with the unit
    // and function bytes; a serial reply still carries its CRC.
    void ProcessReply(const MBRequestPtr &request, const QByteArray &data);

private:
    void SetConnected(bool value);
    void ClearData();
    struct RequestOptions {
        ReadKind kind = ReadKind::Other;
        // On the serial link the caller waits for its reply unless told otherwise.
        bool waitForReply = true;
        bool whileLent = false;
    };
    MBRequestPtr request(int16_t function, int32_t startAddress, int32_t quantity, const std::vector<int32_t> *data,
                         RequestOptions options);
    // Whether the running code is a handler of a reply's or a loss's event itself, rather than code
    // that runs inside a wait it began.
    bool inReplyHandler() const;
    void countPoll();
    // The event loop's turn of the serial line: one request for which no caller waits.
    void serveNextTurn();
    // Drops what is queued or in flight.
    void dropRequests();
    // Serves the serial queue in order until `own` has had its turn; without one, for the turn of
    // the request in flight or the next.
    void ProcessQueue(MBRequestPtr own);
    bool isQueued(const MBRequestPtr &request) const;
    // Sends the request whose turn has come; false when none waits.
    bool sendNext();
    // One look at the request in flight: its reply, its time-out, or a sleep until either.
    void serveCurrent();
    void portLost();
    void SerialReceive();
    // Takes a reply for the oldest request that went unanswered and is answered by it; requests
    // passed over were never answered. False when no such request is left.
    bool takeLateReply(const QByteArray &frame);
    void EthernetReceive();
    // Sends what the TCP window has room for; what waits while the socket is not connected is never
    // sent and only ages out.
    void sendTcpRequests();
    // The ageing timer's tick: a silent device behind a live socket sends no data that would age
    // its requests out otherwise. The timer stops at the first tick that finds none waiting.
    void ageOutTcpRequests();
    // Drops TCP requests older than their lifetime, oldest first; true while younger ones still wait.
    bool dropExpiredTcpRequests();
    void endSerialRequest(const MBRequestPtr &request);
    PortWait &portWait();
    void pEthernetPort_DataArrival();
    // A read of either event log: its records stored and announced.
    void storeLogPage(int32_t startRegister, const QByteArray &data);
    void storeRegisters(const QByteArray &data, int first, int count, int step);
    void decodeStatus(const QByteArray &data);
    void writePasswordCommand(QString password, int32_t code);
    void changePassword(QString &password, int statusBit, int32_t code);
    bool usingEthernet() const;
    // A new request, made of the last one retired: its key and frame keep their blocks, so a busy
    // link does not allocate them for every request.
    MBRequestPtr newRequest();
    // A request whose reply has been handled is kept for the next when nothing else holds it.
    void retire(MBRequestPtr request);

    QPointer<platform::WinSocket> ethernetPort_;
    CommPort *commPort_ = nullptr;
    std::unique_ptr<PortWait> portWait_;
    std::function<bool()> useEthernet_;
    std::shared_ptr<MBRequests> queue_;
    // The serial requests not yet sent, in the order they go.
    RequestLanes serialLanes_;
    MBRequestPtr currentSerial_;
    // The request in flight's reply once started: when its tail is due, and its whole length.
    double tailDeadline_ = 0.0;
    int replyLength_ = 0;
    // Serial requests whose replies may still come after their time-out, oldest first.
    std::deque<MBRequestPtr> lateRequests_;
    TcpRequestWindow tcpWindow_;
    // TCP requests sent (or given up unsent) in that order, for their ageing; answered ones leave
    // it as they reach its front.
    std::deque<MBRequestPtr> tcpSent_;
    MBRequestPtr spareRequest_;
    QByteArray spareReply_;  // the block of the last reply handled, for the next
    QTimer tcpGiveUp_;
    QTimer tcpAgeing_;
    QTimer lineTurn_;
    uint8_t ioByte_ = 0;
    std::array<uint8_t, ImageSize> ram_{};
    bool connected_ = false;
    EventLogTable logV_;
    EventLogTable logN_;
    uint8_t firmwareVersion_ = 0;
    uint8_t softwareId_ = 0;
    int32_t missedReplies_ = 100;
    QString serialNumber_;
    QByteArray serialBytes_;
    int32_t transactionCounter_ = 0;
    bool linkLent_ = false;
    // The depth of waits that pump events at which the innermost running handler of a reply's or a
    // loss's event was called; -1 while none runs.
    int replyHandlerDepth_ = -1;
};
