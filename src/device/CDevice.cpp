#include "CDevice.h"
#include "StatusBit.h"

#include "CommPort.h"
#include "DeviceClock.h"
#include "MbapFrameReader.h"
#include "ModbusFunction.h"
#include "PortWait.h"
#include "RtuReplyReader.h"
#include "SerialReplySource.h"
#include "SocketReplySource.h"
#include "platform/AnsiText.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/WinSocket.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr int32_t CommandRegister = 205;
constexpr int32_t EnterBootLoaderCommand = 3;
constexpr int32_t ParameterBlock = 215;
constexpr int PasswordLength = 8;
constexpr int32_t LogOnStateByte = 38;
constexpr int32_t LogNFirstRegister = 4096;
constexpr int32_t LogVFirstRegister = 12288;
constexpr int32_t LogLastRegister = 16383;
constexpr int RecordLength = 8;
constexpr int StatusBytes = 25;  // data bytes 0..24 of the status poll
constexpr int32_t StatusRegisters = 21;
constexpr int32_t CoilOn = 0xFF00;
// How often unanswered TCP requests are looked at for their age.
constexpr int TcpAgeingIntervalMs = 1000;

[[noreturn]] void subscriptOutOfRange(const char *member)
{
    throw platform::Error(platform::err::SubscriptOutOfRange, QStringLiteral("CDevice.") + QLatin1String(member),
                          QStringLiteral("Subscript out of range"));
}

bool asksTheSame(const MBRequest &a, const MBRequest &b)
{
    return a.MBAddress() == b.MBAddress() && a.MBFunction() == b.MBFunction() && a.StartAddress() == b.StartAddress() &&
           a.Quantity() == b.Quantity();
}

// "K" and the transaction id, built in one go.
QString requestKey(int32_t transactionId)
{
    char text[16] = {'K'};
    const char *end = std::to_chars(text + 1, text + sizeof text, transactionId).ptr;
    return QString::fromLatin1(text, end - text);
}

uint8_t byteAt(const QByteArray &data, int index)
{
    return static_cast<uint8_t>(data[index]);
}

QByteArray rowCopy(const std::vector<CDevice::LogRow> &table, int index, const char *member)
{
    if (index < 0 || index >= static_cast<int>(table.size()))
        subscriptOutOfRange(member);
    const CDevice::LogRow &row = table[static_cast<std::size_t>(index)];
    return QByteArray(reinterpret_cast<const char *>(row.data()), RecordLength);
}

// Copies the record at data[offset] into row index of a log table.
void storeRow(std::vector<CDevice::LogRow> &table, const QByteArray &data, int offset, int index, const char *member)
{
    if (index < 0 || index >= static_cast<int>(table.size()))
        subscriptOutOfRange(member);
    std::copy_n(data.constBegin() + offset, RecordLength, table[static_cast<std::size_t>(index)].begin());
}

}  // namespace

CDevice::CDevice(QObject *parent)
    : QObject(parent), queue_(std::make_shared<MBRequests>()), logV_(LogVRows), logN_(LogNRows)
{
    ClearData();
    tcpAgeing_.setParent(this);
    tcpAgeing_.setObjectName(QStringLiteral("tcpAgeing"));
    tcpAgeing_.setInterval(TcpAgeingIntervalMs);
    connect(&tcpAgeing_, &QTimer::timeout, this, &CDevice::ageOutTcpRequests);
    lineTurn_.setParent(this);
    lineTurn_.setSingleShot(true);
    lineTurn_.setInterval(0);
    connect(&lineTurn_, &QTimer::timeout, this, &CDevice::serveNextTurn);
}

CDevice::~CDevice() = default;

void CDevice::setEthernetPort(platform::WinSocket *socket)
{
    if (ethernetPort_)
        ethernetPort_->disconnect(this);
    ethernetPort_ = socket;
    if (socket)
        connect(socket, &platform::WinSocket::DataArrival, this, &CDevice::pEthernetPort_DataArrival);
}

void CDevice::setPort(CommPort *port)
{
    if (port != commPort_)
        portWait_.reset();
    commPort_ = port;
}

PortWait &CDevice::portWait()
{
    if (!portWait_)
        portWait_ = std::make_unique<PortWait>(*commPort_);
    return *portWait_;
}

bool CDevice::usingEthernet() const
{
    return useEthernet_ && useEthernet_();
}

// ---- image and identity ----

bool CDevice::IO(int bit) const
{
    return bit >= 0 && bit < 8 && (ioByte_ >> bit) & 1;
}

uint8_t CDevice::RAM(int index) const
{
    if (index < 0 || index >= ImageSize)
        subscriptOutOfRange("RAM");
    return ram_[static_cast<std::size_t>(index)];
}

int32_t CDevice::SRAM(int index) const
{
    const int32_t value = RAM(index);
    return value < 128 ? value : value - 256;
}

void CDevice::setRAM(int index, int32_t value)
{
    MBWriteRegister(index, std::clamp(value, 0, 255));
}

int32_t CDevice::RAM2(int index) const
{
    return index < ImageSize - 2 ? RAM(index) + 256 * RAM(index + 1) : 0;
}

void CDevice::setRAM2(int index, int32_t value)
{
    if (index < 0 || index >= ImageSize - 1)
        return;
    // Even bytes start a word of the even window, odd bytes one of the odd window.
    const int32_t base = index % 2 == 0 ? 256 : 512;
    MBWriteRegister(base + index / 2, std::clamp(value, 0, 65535));
}

int32_t CDevice::RAM3(int index) const
{
    return index < ImageSize - 2 ? RAM(index) + 256 * RAM(index + 1) + 65536 * RAM(index + 2) : 0;
}

int32_t CDevice::RAM4(int index) const
{
    if (index >= ImageSize - 3)
        return 0;
    const uint32_t value =
        RAM(index) | RAM(index + 1) << 8 | RAM(index + 2) << 16 | static_cast<uint32_t>(RAM(index + 3)) << 24;
    return static_cast<int32_t>(value);
}

bool CDevice::Bit(int n) const
{
    if (n < 0 || n > 8 * (ImageSize - 32) - 1)
        subscriptOutOfRange("Bit");
    return (RAM(32 + n / 8) >> (n % 8)) & 1;
}

void CDevice::setBit(int n, bool value)
{
    MBWriteCoil(n + 256, value);
}

int32_t CDevice::MBTransactionID()
{
    transactionCounter_ = (transactionCounter_ + 1) % 65536;
    return transactionCounter_;
}

int16_t CDevice::FirmwareID() const
{
    return connected_ ? softwareId_ : 0;
}

int16_t CDevice::FirmwareVersion() const
{
    return connected_ ? firmwareVersion_ : 0;
}

void CDevice::setIOByte(uint8_t value)
{
    if (value == ioByte_)
        return;
    ioByte_ = value;
    emit IOStatusChanged();
}

void CDevice::SetConnected(bool value)
{
    if (value != connected_) {
        if (!value)
            ClearData();
        connected_ = value;
        emit ConnectionStatusChanged();
    }
    if (connected_)
        missedReplies_ = 0;
}

void CDevice::ClearData()
{
    ram_.fill(0);
    std::fill(logN_.begin(), logN_.end(), LogRow{});
    std::fill(logV_.begin(), logV_.end(), LogRow{});
}

void CDevice::CheckStatus()
{
    MBRead(modbus::ReadInputRegisters, 0, StatusRegisters);
    countPoll();
}

void CDevice::QueueStatusPoll()
{
    request(modbus::ReadInputRegisters, 0, StatusRegisters, nullptr, false, false);
    countPoll();
}

void CDevice::countPoll()
{
    ++missedReplies_;
    // A device silent behind a live socket ends none of its requests: as many unanswered polls as
    // the serial link tolerates mark it lost there too.
    if (usingEthernet() && missedReplies_ >= MissedRepliesToDisconnect)
        SetConnected(false);
}

void CDevice::Reset()
{
    SetConnected(false);
    // Requests sent over TCP wait only for their reply, which may still be on its way (a slow
    // device behind a gateway takes longer than a watchdog tick): they stay until it comes or they
    // age out.
    std::vector<MBRequestPtr> sent;
    for (const MBRequestPtr &request : *queue_) {
        if (request->MBMode() == MBRequest::ModeTCP)
            sent.push_back(request);
    }
    dropRequests();
    for (const MBRequestPtr &request : sent)
        queue_->Add(request, request->Key);
}

void CDevice::dropRequests()
{
    queue_ = std::make_shared<MBRequests>();
    currentSerial_.reset();
    tailDeadline_ = 0.0;
    lateRequest_.reset();
}

CDevice::LinkLoan::LinkLoan(CDevice &device) : device_(device)
{
    device_.dropRequests();
    device_.linkLent_ = true;
}

CDevice::LinkLoan::~LinkLoan()
{
    device_.linkLent_ = false;
}

// ---- queueing ----

void CDevice::MBRead(int16_t functionCode, int32_t startAddress, int32_t quantity)
{
    request(functionCode, startAddress, quantity);
}

void CDevice::MBWriteMultipleRegisters(int32_t startAddress, int32_t quantity, const std::vector<int32_t> &data)
{
    request(modbus::WriteMultipleRegisters, startAddress, quantity, &data);
}

void CDevice::MBWriteRegister(int32_t address, int32_t value)
{
    request(modbus::WriteSingleRegister, address, value);
}

void CDevice::MBWriteCoil(int32_t address, bool value)
{
    request(modbus::WriteSingleCoil, address, value ? CoilOn : 0);
}

void CDevice::request(int16_t function, int32_t startAddress, int32_t quantity, const std::vector<int32_t> *data,
                      bool whileLent, bool waitForReply)
{
    const bool ethernet = usingEthernet();
    if ((ethernet ? !ethernetPort_ : !commPort_) || (linkLent_ && !whileLent))
        return;
    try {
        auto request = std::make_shared<MBRequest>();
        request->setMBMode(ethernet ? MBRequest::ModeTCP : MBRequest::ModeRTU);
        request->setTransactionID(MBTransactionID());
        request->setMBAddress(UnitAddress);
        request->setMBFunction(function);
        request->setStartAddress(startAddress);
        request->setQuantity(quantity);
        if (data) {
            if (quantity > static_cast<int32_t>(data->size()))
                return;
            for (int32_t i = 0; i < quantity; ++i)
                request->setMBData(i, (*data)[static_cast<std::size_t>(i)]);
        }
        // A request that cannot be framed is refused here: queued, it would block the serial
        // pump or linger unsent.
        const QByteArray frame = request->CommandString();
        queue_->Add(request, requestKey(request->TransactionID()));
        if (ethernet) {
            if (!tcpAgeing_.isActive())
                tcpAgeing_.start();
            if (ethernetPort_->State() == platform::WinSocket::sckConnected)
                ethernetPort_->SendData(frame);
        } else if (commPort_->PortOpen()) {
            if (waitForReply)
                ProcessQueue(request);
            else
                lineTurn_.start();
        }
    } catch (const platform::Error &) {
        // The request methods end silently; a lost request shows as a missed reply.
    }
}

// ---- serial link ----

void CDevice::ProcessQueue(const MBRequestPtr &own)
{
    // The line serves the queue in order; a caller waits for its own request alone and returns as
    // soon as that one is done. A caller that comes in from an event of another caller's wait (a
    // timer, a box) takes the line over where it stands: the state of the request in flight lives
    // here, not on a caller's stack, so no request waits for a caller lower on the stack.
    const bool wasOpen = commPort_ && commPort_->PortOpen();
    while (isQueued(own) && commPort_ && commPort_->PortOpen()) {
        if (currentSerial_)
            serveCurrent();
        else
            sendNext();
    }
    if (wasOpen && commPort_ && !commPort_->PortOpen())
        portLost();
    // Requests whose callers did not wait, or were served no further by a caller that has its
    // reply, get their turn from the event loop.
    if (queue_->Count() > 0)
        lineTurn_.start();
    // Nothing left to wait for: the wake-up set for the last deadline goes once the loop idles, where
    // it would only stir it; a request that follows at once still uses it.
    if (portWait_)
        portWait_->finish();
}

void CDevice::serveNextTurn()
{
    if (queue_->Count() == 0 || !commPort_ || !commPort_->PortOpen() || usingEthernet() || linkLent_)
        return;
    // One request per turn: a turn taken inside another caller's wait holds that caller no longer.
    ProcessQueue(currentSerial_ ? currentSerial_ : queue_->Item(1));
}

bool CDevice::isQueued(const MBRequestPtr &request) const
{
    return queue_->Contains(request->Key) && queue_->Item(request->Key) == request;
}

void CDevice::sendNext()
{
    const MBRequestPtr request = queue_->Item(1);
    currentSerial_ = request;
    tailDeadline_ = 0.0;
    QByteArray frame;
    try {
        frame = request->CommandString();
    } catch (const platform::Error &) {
        endSerialRequest(request);
        return;
    }
    // Whatever is waiting now came before this request: the late reply of the request that
    // went unanswered last, or noise. Only a request that asks the same may take it; a slow
    // device is then answered one request behind. Anything else is discarded.
    const bool takeLateReply = lateRequest_ && asksTheSame(*lateRequest_, *request) && commPort_->InBufferCount() > 0;
    if (!takeLateReply)
        SerialReplySource(*commPort_).flush();
    // Answered by the reply of the request before it, this one's own reply is still to come.
    lateRequest_ = takeLateReply ? request : nullptr;
    request->markSent();
    commPort_->setOutput(frame);
}

void CDevice::serveCurrent()
{
    const MBRequestPtr request = currentSerial_;
    SerialReceive();
    if (currentSerial_ != request || !commPort_->PortOpen())
        return;
    // A reply has 0.2 s to start; once started, its tail has 0.5 s to come.
    const bool started = tailDeadline_ > 0.0;
    const double deadline = started ? tailDeadline_ : request->SentAt() + SerialReplyTimeout;
    if (platform::clock::monotonicSeconds() <= deadline) {
        portWait().sleep(started ? replyLength_ : RtuReplyReader::MinimumReply, deadline);
        return;
    }
    endSerialRequest(request);
    // A tail that never came counts as answered, as a wrong CRC does.
    if (started)
        return;
    lateRequest_ = request;
    // From the threshold on, not only at it: a status poll adds its own 1 after its time-out, so
    // the count may pass the threshold between two time-outs, and a device gone silent would then
    // show connected for ever and its port never be reopened.
    if (++missedReplies_ >= MissedRepliesToDisconnect)
        SetConnected(false);
}

void CDevice::portLost()
{
    // The port closed itself because its device went away: the device is lost at once, so the
    // watchdog's next tick reopens the port rather than writing to a dead one.
    dropRequests();
    missedReplies_ = std::max(missedReplies_, MissedRepliesToDisconnect);
    SetConnected(false);
}

void CDevice::endSerialRequest(const MBRequestPtr &request)
{
    if (!request)
        return;
    queue_->Remove(request);
    if (currentSerial_ == request) {
        currentSerial_.reset();
        tailDeadline_ = 0.0;
    }
}

void CDevice::SerialReceive()
{
    while (commPort_) {
        SerialReplySource source(*commPort_);
        const MBRequestPtr request = currentSerial_;
        const auto result = RtuReplyReader::readOne(source, request ? request->MBAddress() : -1);
        switch (result.outcome) {
        case RtuReplyReader::Outcome::Idle:
        case RtuReplyReader::Outcome::Flushed: return;
        case RtuReplyReader::Outcome::Incomplete:
            if (tailDeadline_ <= 0.0)
                tailDeadline_ = platform::clock::monotonicSeconds() + SerialReplySource::TailTimeout;
            replyLength_ = result.length;
            return;
        case RtuReplyReader::Outcome::Reply:
            // Done before its events: a request made from one of them goes out at once.
            endSerialRequest(request);
            ProcessReply(request, result.frame);
            break;
        case RtuReplyReader::Outcome::Dropped:
            if (!request)
                return;
            endSerialRequest(request);
            break;
        }
    }
}

// ---- TCP link ----

void CDevice::pEthernetPort_DataArrival()
{
    if (linkLent_)
        return;
    if (missedReplies_ != 0) {
        missedReplies_ = 0;
        if (!connected_)
            emit ConnectionStatusChanged();
    }
    EthernetReceive();
}

void CDevice::EthernetReceive()
{
    while (ethernetPort_) {
        SocketReplySource source(*ethernetPort_);
        const auto frame = MbapFrameReader::next(source);
        if (!frame)
            return;
        // Transaction ids are the requests' keys, so at most one request matches.
        MBRequestPtr request;
        for (const MBRequestPtr &pending : *queue_) {
            if (pending->TransactionID() == frame->transactionId) {
                request = pending;
                break;
            }
        }
        if (request) {
            ProcessReply(request, frame->pdu);
            queue_->Remove(request);
        }
        // The ageing timer keeps running: started and stopped for every reply of a busy link, it
        // would cost more than handling the reply.
        dropExpiredTcpRequests();
    }
}

void CDevice::ageOutTcpRequests()
{
    if (!dropExpiredTcpRequests())
        tcpAgeing_.stop();
}

bool CDevice::dropExpiredTcpRequests()
{
    const double now = platform::clock::monotonicSeconds();
    std::vector<MBRequestPtr> expired;
    bool waiting = false;
    for (const MBRequestPtr &request : *queue_) {
        if (request->MBMode() != MBRequest::ModeTCP)
            continue;
        if (now - request->SentAt() > TcpRequestLifetime)
            expired.push_back(request);
        else
            waiting = true;
    }
    for (const MBRequestPtr &request : expired)
        queue_->Remove(request);
    return waiting;
}

// ---- replies ----

void CDevice::ProcessReply(const MBRequestPtr &request, const QByteArray &data)
{
    if (data.size() < 2 || !request)
        return;
    const uint8_t function = byteAt(data, 1);
    if (modbus::isException(function)) {
        emit MBException(request, data);
        return;
    }
    if (function != modbus::ReadHoldingRegisters && function != modbus::ReadInputRegisters)
        return;
    const int32_t start = request->StartAddress();
    const int32_t quantity = request->Quantity();
    if (data.size() < 3 || quantity <= 0 || data.size() < 3 + 2 * quantity)
        return;
    // A read of holding registers needs at least the registers asked for and stores those; a read
    // of input registers must carry exactly them.
    const int count = byteAt(data, 2);
    if (function == modbus::ReadHoldingRegisters ? count < 2 * quantity : count != 2 * quantity)
        return;
    if (function == modbus::ReadHoldingRegisters) {
        if (start < 256)
            storeRegisters(data, start, quantity, 1);
        else if (start >= 256 && start < 384)
            storeRegisters(data, (start - 256) * 2, quantity, 2);
        else if (start >= 512 && start < 640)
            storeRegisters(data, (start - 512) * 2 + 1, quantity, 2);
        return;
    }
    if (start >= LogNFirstRegister && start <= LogLastRegister) {
        const int count = byteAt(data, 2);
        int stored = 0;
        for (int j = 0; j + RecordLength <= count; j += RecordLength) {
            if (start < LogVFirstRegister) {
                const int row = start - LogNFirstRegister + j / RecordLength;
                if (row >= LogNRows)
                    break;
                StoreLogN(data, 3 + j, row);
            } else {
                const int row = start - LogVFirstRegister + j / RecordLength;
                if (row >= LogVRows)
                    break;
                StoreLogV(data, 3 + j, row);
            }
            ++stored;
        }
        if (stored > 0)
            emit LogUpdated(start - LogNFirstRegister, stored);
        return;
    }
    if (start == 0 && 2 * quantity >= StatusBytes)
        decodeStatus(data);
    emit NewRTData(request, data);
}

void CDevice::storeRegisters(const QByteArray &data, int first, int count, int bytesPerRegister)
{
    // Registers that would land past the image's end are not stored.
    int stored = 0;
    for (int i = 0; i < count; ++i) {
        const int target = first + bytesPerRegister * i;
        if (target + bytesPerRegister > ImageSize)
            break;
        ram_[static_cast<std::size_t>(target)] = byteAt(data, 4 + 2 * i);
        if (bytesPerRegister == 2)
            ram_[static_cast<std::size_t>(target) + 1] = byteAt(data, 3 + 2 * i);
        stored += bytesPerRegister;
    }
    if (stored > 0)
        emit NewRAMData(first, stored);
}

void CDevice::decodeStatus(const QByteArray &data)
{
    const auto status = [&data](int k) { return byteAt(data, 3 + k); };
    firmwareVersion_ = status(0);
    softwareId_ = status(1);
    // Data bytes 2..17, up to the first 0 byte; decoded again only when they change.
    const QByteArrayView serial = QByteArrayView(data).sliced(3 + 2, 16);
    if (serial != serialBytes_) {
        serialBytes_ = serial.toByteArray();
        const qsizetype end = serial.indexOf('\0');
        serialNumber_ = platform::ansi::decode(serialBytes_.left(end < 0 ? serial.size() : end));
    }
    SetConnected(true);
    ram_[LogOnStateByte] = status(18);
    setIOByte(status(19));
    ram_[231] = status(20);
    ram_[232] = status(21);
    ram_[241] = status(22);
    ram_[242] = status(23);
    emit NewRAMData(231, 2);
    emit NewRAMData(241, 2);
    ram_[208] = status(24);
}

// ---- commands, passwords, clock, logs ----

void CDevice::SendCommand(int32_t code)
{
    MBWriteRegister(CommandRegister, code);
}

void CDevice::EnterBootLoader()
{
    request(modbus::WriteSingleRegister, CommandRegister, EnterBootLoaderCommand, nullptr, true);
}

void CDevice::WritePsw(QString &password)
{
    password += QChar(0) + QString(7, QChar(255));
    // Character codes in the program's 8-bit character set, the one the password dialogs type in.
    const QByteArray codes = platform::ansi::encode(password).left(PasswordLength);
    for (int i = 0; i < PasswordLength; ++i)
        MBWriteRegister(ParameterBlock + i, static_cast<uint8_t>(codes[i]));
}

void CDevice::writePasswordCommand(QString password, int32_t code)
{
    password.truncate(PasswordLength);
    WritePsw(password);
    SendCommand(code);
}

void CDevice::changePassword(QString &password, int statusBit, int32_t code)
{
    // An empty password switches the password off: the device keeps eight 255s and shows the
    // role's "disabled" bit.
    const bool disable = password.isEmpty();
    if (disable)
        password = QString(PasswordLength, QChar(255));
    setBit(statusBit, disable);
    writePasswordCommand(password, code);
}

void CDevice::AdminLogOn(const QString &password)
{
    writePasswordCommand(password, 4);
}

void CDevice::ChangeAdminPsw(QString &password)
{
    changePassword(password, AdminPswDisabled, 6);
}

void CDevice::AdminLogOff()
{
    SendCommand(5);
    SendCommand(8);
    MBRead(modbus::ReadHoldingRegisters, LogOnStateByte, 1);
}

void CDevice::SuperUserLogOn(const QString &password)
{
    writePasswordCommand(password, 7);
}

void CDevice::ChangeSuperUserPsw(QString &password)
{
    changePassword(password, SuperUserPswDisabled, 9);
}

void CDevice::SuperUserLogOff()
{
    SendCommand(8);
    MBRead(modbus::ReadHoldingRegisters, LogOnStateByte, 1);
}

void CDevice::SetClock(const QDateTime &when)
{
    const auto values = DeviceClock::encode(when);
    for (std::size_t i = 0; i < values.size(); ++i)
        MBWriteRegister(ParameterBlock + static_cast<int32_t>(i), values[i]);
    SendCommand(2);
}

QDateTime CDevice::DateTime() const
{
    const DeviceClock::Image bytes{ram_[233], ram_[234], ram_[235], ram_[236], ram_[237]};
    return DeviceClock::decode(bytes, QDate::currentDate().year());
}

int32_t CDevice::MostRecentEventN() const
{
    return RAM(231) + 256 * RAM(232);
}

int32_t CDevice::MostRecentEventV() const
{
    return RAM(241) + 256 * RAM(242);
}

QByteArray CDevice::LogListN(int index) const
{
    return rowCopy(logN_, index, "LogListN");
}

QByteArray CDevice::LogListV(int index) const
{
    return rowCopy(logV_, index, "LogListV");
}

void CDevice::StoreLogN(const QByteArray &data, int offset, int index)
{
    storeRow(logN_, data, offset, index, "StoreLogN");
}

void CDevice::StoreLogV(const QByteArray &data, int offset, int index)
{
    storeRow(logV_, data, offset, index, "StoreLogV");
}
