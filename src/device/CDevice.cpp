// The device object's construction, links, register image and bits, connection state and request methods.
#include "CDevice.h"
#include "CDeviceShared.h"

#include "CommPort.h"
#include "ModbusFunction.h"
#include "PortWait.h"
#include "platform/Error.h"
#include "platform/PumpingWait.h"
#include "platform/WinSocket.h"

#include <QScopedValueRollback>
#include <algorithm>

using cdevice::StatusRegisters;
using cdevice::subscriptOutOfRange;

namespace {

constexpr int32_t CoilOn = 0xFF00;
// How often unanswered TCP requests are looked at for their age.
constexpr int TcpAgeingIntervalMs = 1000;

}  // namespace

CDevice::CDevice(QObject *parent)
    : QObject(parent), queue_(std::make_shared<MBRequests>()), logV_(LogVRows), logN_(LogNRows)
{
    ClearData();
    tcpAgeing_.setParent(this);
    tcpAgeing_.setObjectName(QStringLiteral("tcpAgeing"));
    tcpAgeing_.setInterval(TcpAgeingIntervalMs);
    connect(&tcpAgeing_, &QTimer::timeout, this, &CDevice::ageOutTcpRequests);
    tcpGiveUp_.setParent(this);
    tcpGiveUp_.setSingleShot(true);
    connect(&tcpGiveUp_, &QTimer::timeout, this, &CDevice::sendTcpRequests);
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
    const int32_t base = index % 2 == 0 ? cdevice::EvenWordRegisters : cdevice::OddWordRegisters;
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
    // The answer counts before its event runs: what the event's handlers send may time out, and
    // must not find the count of a device that had not answered.
    if (value)
        missedReplies_ = 0;
    if (value != connected_) {
        if (!value)
            ClearData();
        connected_ = value;
        const QScopedValueRollback<int> handlers(replyHandlerDepth_, platform::pumping::depth());
        emit ConnectionStatusChanged();
    }
}

void CDevice::ClearData()
{
    ram_.fill(0);
    logN_.clear();
    logV_.clear();
}

void CDevice::CheckStatus()
{
    MBRead(modbus::ReadInputRegisters, 0, StatusRegisters);
    countPoll();
}

void CDevice::QueueStatusPoll()
{
    request(modbus::ReadInputRegisters, 0, StatusRegisters, nullptr, {.waitForReply = false});
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
    // age out, and keep their places in the window. Those not yet sent go.
    for (const MBRequestPtr &request : tcpWindow_.takeWaiting())
        queue_->Remove(request);
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
    serialLanes_.clear();
    currentSerial_.reset();
    tailDeadline_ = 0.0;
    lateRequests_.clear();
}

CDevice::LinkLoan::LinkLoan(CDevice &device) : device_(device)
{
    device_.dropRequests();
    device_.tcpWindow_.clear();
    device_.tcpSent_.clear();
    device_.linkLent_ = true;
}

CDevice::LinkLoan::~LinkLoan()
{
    device_.linkLent_ = false;
}

// ---- queueing ----

void CDevice::MBRead(int16_t functionCode, int32_t startAddress, int32_t quantity)
{
    request(functionCode, startAddress, quantity, nullptr, {});
}

MBRequestPtr CDevice::QueueRead(ReadKind kind, int16_t functionCode, int32_t startAddress, int32_t quantity)
{
    return request(functionCode, startAddress, quantity, nullptr, {.kind = kind, .waitForReply = false});
}

void CDevice::MBWriteMultipleRegisters(int32_t startAddress, int32_t quantity, const std::vector<int32_t> &data)
{
    request(modbus::WriteMultipleRegisters, startAddress, quantity, &data, {});
}

void CDevice::MBWriteRegister(int32_t address, int32_t value)
{
    request(modbus::WriteSingleRegister, address, value, nullptr, {});
}

void CDevice::MBWriteCoil(int32_t address, bool value)
{
    request(modbus::WriteSingleCoil, address, value ? CoilOn : 0, nullptr, {});
}

MBRequestPtr CDevice::newRequest()
{
    if (!spareRequest_)
        return std::make_shared<MBRequest>();
    MBRequestPtr request = std::move(spareRequest_);
    request->reuse();
    return request;
}

void CDevice::retire(MBRequestPtr request)
{
    if (request.use_count() == 1)
        spareRequest_ = std::move(request);
}

bool CDevice::inReplyHandler() const
{
    return replyHandlerDepth_ == platform::pumping::depth();
}

MBRequestPtr CDevice::request(int16_t function, int32_t startAddress, int32_t quantity,
                              const std::vector<int32_t> *data, RequestOptions options)
{
    // A handler of a reply or a loss that waited for another reply would wait inside the wait that
    // delivered its event: on a slow line such waits nest without end, and nothing they hold up
    // (the window closing among them) ever finishes. Such a handler queues its request and goes on.
    Q_ASSERT_X(!(options.waitForReply && inReplyHandler()), "CDevice::request",
               "a handler of a reply's event waits for another reply");
    if (inReplyHandler())
        options.waitForReply = false;
    const bool ethernet = usingEthernet();
    if ((ethernet ? !ethernetPort_ : !commPort_) || (linkLent_ && !options.whileLent))
        return nullptr;
    try {
        MBRequestPtr request = newRequest();
        request->setMBMode(ethernet ? MBRequest::ModeTCP : MBRequest::ModeRTU);
        request->setTransactionID(MBTransactionID());
        request->setMBAddress(UnitAddress);
        request->setMBFunction(function);
        request->setStartAddress(startAddress);
        request->setQuantity(quantity);
        if (data) {
            if (quantity > static_cast<int32_t>(data->size()))
                return nullptr;
            for (int32_t i = 0; i < quantity; ++i)
                request->setMBData(i, (*data)[static_cast<std::size_t>(i)]);
        }
        // A request that cannot be framed is refused here: queued, it would block the serial
        // pump or linger unsent. The frame is kept by the request for its sending.
        request->CommandString();
        cdevice::writeRequestKey(request->Key, request->TransactionID());
        queue_->Add(request, request->Key);
        if (ethernet) {
            if (!tcpAgeing_.isActive())
                tcpAgeing_.start();
            if (const MBRequestPtr replaced = tcpWindow_.queue(request, options.kind))
                queue_->Remove(replaced);
            sendTcpRequests();
            return request;
        }
        // A request its caller waits for is its caller's own: no later one takes its place.
        if (const MBRequestPtr replaced = serialLanes_.queue(request, options.kind, !options.waitForReply))
            queue_->Remove(replaced);
        if (!commPort_->PortOpen())
            return request;
        if (!options.waitForReply) {
            lineTurn_.start();
            return request;
        }
        ProcessQueue(request);
        retire(std::move(request));
    } catch (const platform::Error &) {
        // The request methods end silently; a lost request shows as a missed reply.
    }
    return nullptr;
}
