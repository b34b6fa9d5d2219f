#include "DeviceSim.h"

#include "ApplicationResponder.h"
#include "BootLoaders.h"
#include "Bytes.h"
#include "DeviceMemory.h"
#include "DeviceServer.h"
#include "MbapFramer.h"
#include "PtyLink.h"
#include "RtuFramer.h"
#include "TcpGateway.h"
#include "TcpLink.h"
#include "VibrationApplication.h"

#include <QDir>
#include <QTcpSocket>
#include <QTimer>

#include <chrono>

namespace devsim {

namespace {

constexpr quint8 ForeignUnit = DeviceSim::UnitAddress + 1;
constexpr int WriteRegisters = 16;
constexpr int ResetAfterPartialMs = 50;
constexpr quint8 ExceptionFlag = 0x80;
constexpr quint8 GatewayTargetFailed = 0x0B;

// Fills in the fields a request names; a PDU too short for them leaves them 0.
void describe(SimRequest &request, const QByteArray &pdu)
{
    if (pdu.isEmpty())
        return;
    request.function = static_cast<quint8>(pdu.at(0));
    if (pdu.size() < 5)
        return;
    request.address = wordAt(pdu, 1);
    request.quantity = wordAt(pdu, 3);
    if (request.function == WriteRegisters && pdu.size() == 5 + 2 * request.quantity) {
        for (int i = 0; i < request.quantity; ++i)
            request.values.append(wordAt(pdu, 5 + 2 * i));
    }
}

int newestByte(EventLog log)
{
    return log == EventLog::N ? DeviceMemory::NewestNByte : DeviceMemory::NewestVByte;
}

}  // namespace

DeviceSim::DeviceSim(QObject *parent)
    : QObject(parent), memory_(std::make_unique<DeviceMemory>()),
      application_(std::make_unique<VibrationApplication>(*memory_)),
      responder_(std::make_unique<ApplicationResponder>(*memory_, *application_)),
      bootLoaders_(std::make_unique<BootLoaders>(*memory_)),
      gateway_(std::make_unique<TcpGateway>(
          [this](const QPointer<QTcpSocket> &client, const MbapFrame &frame) { answerTcp(client, frame); })),
      deviceServer_(std::make_unique<DeviceServer>())
{
    qRegisterMetaType<SimRequest>();
    connect(deviceServer_.get(), &DeviceServer::addressAssigned, this, [this](const QHostAddress &address) {
        if (tcp_ && !tcp_->moveTo(address))
            error_ = tcp_->errorString();
    });
}

DeviceSim::~DeviceSim() = default;

QString DeviceSim::startSerial(const QString &programFolder, int comNumber)
{
    if (!pty_)
        pty_ = std::make_unique<PtyLink>([this](QByteArray &buffer, bool idle) { onSerialBytes(buffer, idle); });
    pty_->setPacing(linePacing_);
    const QString link = QDir(programFolder).filePath(QStringLiteral("dosdevices/com%1").arg(comNumber));
    if (!pty_->open(link)) {
        error_ = pty_->errorString();
        return {};
    }
    return pty_->slavePath();
}

quint16 DeviceSim::startTcp(quint16 port)
{
    if (!tcp_)
        tcp_ =
            std::make_unique<TcpLink>([this](QTcpSocket *client, QByteArray &buffer) { onTcpBytes(client, buffer); });
    if (!tcp_->listen(deviceServer_->address(), port)) {
        error_ = tcp_->errorString();
        return 0;
    }
    return tcp_->port();
}

void DeviceSim::stop()
{
    if (pty_)
        pty_->close();
    if (tcp_)
        tcp_->close();
    deviceServer_->stop();
}

QString DeviceSim::serialPath() const
{
    return pty_ && pty_->isOpen() ? pty_->slavePath() : QString();
}

QString DeviceSim::serialLinkPath() const
{
    return pty_ ? pty_->linkPath() : QString();
}

quint16 DeviceSim::tcpPort() const
{
    return tcp_ ? tcp_->port() : 0;
}

int DeviceSim::tcpClientCount() const
{
    return tcp_ ? tcp_->clientCount() : 0;
}

QString DeviceSim::errorString() const
{
    return error_;
}

void DeviceSim::onSerialBytes(QByteArray &buffer, bool lineIdle)
{
    // A device at a fixed speed hears only noise from a line set to another one.
    if (lineSpeed_ > 0 && pty_->lineSpeed() != lineSpeed_) {
        buffer.clear();
        return;
    }
    if (bootLoaders_->takesRawBytes()) {
        onRawBytes(Link::Serial, nullptr, buffer, lineIdle);
        return;
    }
    while (const std::optional<QByteArray> frame = RtuFramer::takeFrame(buffer, lineIdle)) {
        SimRequest request;
        request.link = Link::Serial;
        request.unit = static_cast<quint8>(frame->at(0));
        request.frame = *frame;
        const QByteArray pdu = frame->mid(1, frame->size() - 3);
        describe(request, pdu);
        if (!receive(request))
            continue;
        const QByteArray reply = bootLoaders_->respond(pdu, *responder_);
        if (!reply.isEmpty())
            sendReply(Link::Serial, nullptr, RtuFramer::encode(replyUnit(), reply, wrongCrc_));
    }
}

void DeviceSim::onTcpBytes(QTcpSocket *client, QByteArray &buffer)
{
    if (bootLoaders_->takesRawBytes()) {
        onRawBytes(Link::Tcp, client, buffer, false);
        return;
    }
    while (const std::optional<MbapFrame> frame = MbapFramer::takeFrame(buffer)) {
        SimRequest request;
        request.link = Link::Tcp;
        request.transactionId = frame->transactionId;
        request.unit = frame->unit;
        request.frame = frame->bytes;
        describe(request, frame->pdu);
        if (!receive(request))
            continue;
        if (gateway_->inUse())
            gateway_->enqueue(client, *frame);
        else
            answerTcp(client, *frame);
    }
}

void DeviceSim::answerTcp(const QPointer<QTcpSocket> &client, const MbapFrame &frame)
{
    QByteArray reply;
    if (gatewayDeviceDead_) {
        const quint8 function = frame.pdu.isEmpty() ? 0 : static_cast<quint8>(frame.pdu.at(0));
        reply.append(static_cast<char>(function | ExceptionFlag)).append(static_cast<char>(GatewayTargetFailed));
    } else {
        reply = bootLoaders_->respond(frame.pdu, *responder_);
    }
    if (!reply.isEmpty())
        sendReply(Link::Tcp, client, MbapFramer::encode(frame.transactionId, replyUnit(), reply));
}

void DeviceSim::onRawBytes(Link link, QTcpSocket *client, QByteArray &buffer, bool lineIdle)
{
    while (const std::optional<QByteArray> frame = BootLoaders::takeRawFrame(buffer, lineIdle)) {
        SimRequest request;
        request.link = link;
        // Raw frames carry no address: they are for whichever device is on the line.
        request.unit = UnitAddress;
        request.frame = *frame;
        if (!receive(request))
            continue;
        const QByteArray reply = bootLoaders_->respondRaw(*frame);
        if (!reply.isEmpty())
            sendReply(link, client, reply);
    }
}

bool DeviceSim::receive(SimRequest request)
{
    // Stamped as soon as the frame is complete: tests measure the client's pauses between frames.
    request.receivedUs =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    const bool forUs = request.unit == UnitAddress;
    requests_.append(request);
    emit requestReceived(request);
    return forUs && !silent_;
}

quint8 DeviceSim::replyUnit() const
{
    return foreignUnit_ ? ForeignUnit : UnitAddress;
}

void DeviceSim::sendReply(Link link, QTcpSocket *client, const QByteArray &frame)
{
    const QPointer<QTcpSocket> target(client);
    const bool cut = link == Link::Tcp && std::exchange(resetMidway_, false);
    const int split = splitReplyMs_;
    auto send = [this, link, target, frame, cut, split] {
        if (!cut) {
            deliverInTurn(link, target, frame, split);
            return;
        }
        deliver(link, target, frame.left(frame.size() / 2));
        QTimer::singleShot(ResetAfterPartialMs, this, [this, target] {
            if (target && tcp_)
                tcp_->reset(target);
        });
    };
    if (replyDelayMs_ > 0)
        QTimer::singleShot(replyDelayMs_, this, send);
    else
        send();
}

void DeviceSim::deliverInTurn(Link link, const QPointer<QTcpSocket> &client, const QByteArray &frame, int split)
{
    // A line or a stream carries one reply after the other: a reply due while another one's second
    // piece is still on its way follows that piece at once, whole, so that the pieces hold up no more
    // replies than they would without the split.
    const auto stream = std::make_pair(link, static_cast<const QTcpSocket *>(client.data()));
    if (const auto busy = splitting_.find(stream); busy != splitting_.end()) {
        busy->second.append(frame);
        return;
    }
    if (split <= 0) {
        deliver(link, client, frame);
        return;
    }
    const qsizetype half = frame.size() / 2;
    deliver(link, client, frame.left(half));
    splitting_[stream];
    QTimer::singleShot(split, this, [this, link, client, stream, rest = frame.mid(half)] {
        deliver(link, client, rest);
        const QList<QByteArray> held = splitting_.extract(stream).mapped();
        for (const QByteArray &next : held)
            deliver(link, client, next);
    });
}

void DeviceSim::deliver(Link link, const QPointer<QTcpSocket> &client, const QByteArray &bytes)
{
    if (link == Link::Serial) {
        if (pty_)
            pty_->write(bytes);
    } else if (client && tcp_) {
        tcp_->write(client, bytes);
    }
}

void DeviceSim::setIdentity(quint8 firmwareVersion, quint8 softwareId, const QByteArray &serialNumber)
{
    memory_->firmwareVersion = firmwareVersion;
    memory_->softwareId = softwareId;
    memory_->serialNumber = serialNumber.left(16);
    bootLoaders_->powerCycle();
}

quint8 DeviceSim::firmwareVersion() const
{
    return memory_->firmwareVersion;
}

quint8 DeviceSim::softwareId() const
{
    return memory_->softwareId;
}

QByteArray DeviceSim::serialNumber() const
{
    return memory_->serialNumber;
}

void DeviceSim::setRAM(int index, quint8 value)
{
    memory_->setByte(index, value);
}

quint8 DeviceSim::RAM(int index) const
{
    return memory_->byte(index);
}

void DeviceSim::setStatusBit(int n, bool on)
{
    memory_->setStatusBit(n, on);
}

bool DeviceSim::statusBit(int n) const
{
    return memory_->statusBit(n);
}

void DeviceSim::setIOByte(quint8 value)
{
    memory_->ioByte = value;
}

quint8 DeviceSim::IOByte() const
{
    return memory_->ioByte;
}

void DeviceSim::setTurnOffDelay(quint8 value)
{
    memory_->setByte(DeviceMemory::TurnOffDelayByte, value);
}

quint8 DeviceSim::turnOffDelay() const
{
    return memory_->byte(DeviceMemory::TurnOffDelayByte);
}

void DeviceSim::setAdminPassword(const QByteArray &password)
{
    memory_->setAdminPassword(DeviceMemory::encodePassword(password));
}

QByteArray DeviceSim::adminPassword() const
{
    return DeviceMemory::decodePassword(memory_->adminPassword);
}

void DeviceSim::setSuperUserPassword(const QByteArray &password)
{
    memory_->setSuperUserPassword(DeviceMemory::encodePassword(password));
}

QByteArray DeviceSim::superUserPassword() const
{
    return DeviceMemory::decodePassword(memory_->superUserPassword);
}

void DeviceSim::setClock(const QDateTime &when)
{
    memory_->clock.set(when);
}

QDateTime DeviceSim::clock() const
{
    return memory_->clock.now();
}

void DeviceSim::setLogRecord(EventLog log, int row, const QByteArray &record)
{
    QByteArray &rows = memory_->log(log == EventLog::V);
    const qsizetype at = static_cast<qsizetype>(row) * DeviceMemory::RecordSize;
    if (row < 0 || at >= rows.size())
        return;
    QByteArray bytes = record.left(DeviceMemory::RecordSize);
    bytes.append(DeviceMemory::RecordSize - bytes.size(), '\0');
    rows.replace(at, DeviceMemory::RecordSize, bytes);
}

QByteArray DeviceSim::logRecord(EventLog log, int row) const
{
    const QByteArray &rows = memory_->log(log == EventLog::V);
    const qsizetype at = static_cast<qsizetype>(row) * DeviceMemory::RecordSize;
    return row < 0 || at >= rows.size() ? QByteArray() : rows.mid(at, DeviceMemory::RecordSize);
}

void DeviceSim::setNewestRecord(EventLog log, int row)
{
    memory_->setByte(newestByte(log), static_cast<quint8>(row & 0xFF));
    memory_->setByte(newestByte(log) + 1, static_cast<quint8>((row >> 8) & 0xFF));
}

int DeviceSim::newestRecord(EventLog log) const
{
    return memory_->byte(newestByte(log)) | (memory_->byte(newestByte(log) + 1) << 8);
}

void DeviceSim::setSilent(bool on)
{
    silent_ = on;
}

void DeviceSim::setReplyDelayMs(int ms)
{
    replyDelayMs_ = ms;
}

void DeviceSim::setSplitReplyMs(int ms)
{
    splitReplyMs_ = ms;
}

void DeviceSim::setWrongCrc(bool on)
{
    wrongCrc_ = on;
}

void DeviceSim::setForeignUnit(bool on)
{
    foreignUnit_ = on;
}

void DeviceSim::setLinePacing(int baud)
{
    linePacing_ = baud;
    if (pty_)
        pty_->setPacing(baud);
}

void DeviceSim::setLineSpeed(int baud)
{
    lineSpeed_ = baud;
}

void DeviceSim::pullCable()
{
    if (pty_)
        pty_->close();
}

bool DeviceSim::plugCable()
{
    if (!pty_ || pty_->linkPath().isEmpty())
        return false;
    if (pty_->isOpen())
        return true;
    if (!pty_->open(pty_->linkPath())) {
        error_ = pty_->errorString();
        return false;
    }
    return true;
}

bool DeviceSim::setRefuseConnections(bool on)
{
    if (!tcp_)
        return false;
    if (!tcp_->setRefusing(on)) {
        error_ = tcp_->errorString();
        return false;
    }
    return true;
}

void DeviceSim::dropConnections()
{
    if (tcp_)
        tcp_->dropAll();
}

void DeviceSim::resetConnections()
{
    if (tcp_)
        tcp_->resetAll();
}

void DeviceSim::resetNextReplyMidway()
{
    resetMidway_ = true;
}

void DeviceSim::injectBytes(const QByteArray &bytes)
{
    if (pty_)
        pty_->write(bytes);
    if (tcp_)
        tcp_->writeAll(bytes);
}

void DeviceSim::setGatewayMs(int ms)
{
    gateway_->setServiceMs(ms);
}

void DeviceSim::setGatewayDeviceDead(bool on)
{
    gatewayDeviceDead_ = on;
}

int DeviceSim::gatewayBacklog() const
{
    return gateway_->backlog();
}

QList<SimRequest> DeviceSim::requests() const
{
    return requests_;
}

void DeviceSim::clearRequests()
{
    requests_.clear();
}

}  // namespace devsim
