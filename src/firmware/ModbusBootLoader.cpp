#include "ModbusBootLoader.h"

#include "BootLoaderLink.h"
#include "FirmwareImage.h"
#include "device/MBRequest.h"
#include "device/ModbusFunction.h"
#include "platform/Clock.h"

namespace {
constexpr int IdentityBytes = 2 * ModbusBootLoader::IdentityRegisters;
// Unit, function and byte count in front of the registers, the CRC behind them.
constexpr int SerialHeader = 3;
constexpr int SerialIdentityReply = SerialHeader + IdentityBytes + 2;
// MBAP header, unit, function and byte count. Over TCP the reply is read once all but its last
// byte have come: the fields read from it end well before.
constexpr int TcpHeader = 9;
constexpr int TcpIdentityReply = TcpHeader + IdentityBytes - 1;
// The echo of a register write: unit, function, address and quantity, then the CRC on serial;
// the MBAP header and the same six bytes on TCP.
constexpr int SerialEcho = 8;
constexpr int TcpEcho = 12;
// Before each identification request: time for the line to settle, less on TCP.
constexpr double SerialSettle = 0.1;
constexpr double TcpSettle = 0.01;
// The loader's fixed time to answer its identification: the reply is looked at only after it.
constexpr double ReplyWait = 0.1;
// Sleep between passes while the link is down, so that a closed link is not polled in a spin.
constexpr double LinkDownPause = 0.1;

double now()
{
    return platform::clock::monotonicSeconds();
}

uint8_t byteAt(const QByteArray &bytes, int i)
{
    return static_cast<uint8_t>(bytes.at(i));
}
}  // namespace

ModbusBootLoader::ModbusBootLoader(BootLoaderLink &link, int32_t unitAddress) : link_(link), unit_(unitAddress) {}

MBRequest ModbusBootLoader::request(int32_t function, int32_t start, int32_t quantity) const
{
    MBRequest request;
    request.setMBMode(link_.ethernet() ? MBRequest::ModeTCP : MBRequest::ModeRTU);
    request.setMBAddress(unit_);
    request.setMBFunction(function);
    request.setStartAddress(start);
    request.setQuantity(quantity);
    return request;
}

bool ModbusBootLoader::Identify(DeviceIdRecord &record)
{
    link_.open();
    const QByteArray frame = request(modbus::ReadInputRegisters, IdentityAddress, IdentityRegisters).CommandString();
    const int replySize = link_.ethernet() ? TcpIdentityReply : SerialIdentityReply;
    const double deadline = now() + IdentifySeconds;
    while (now() < deadline) {
        if (!link_.ready()) {
            link_.pause(LinkDownPause);
            continue;
        }
        link_.pause(link_.ethernet() ? TcpSettle : SerialSettle);
        // A reply that came too late for the last request, or a foreign one, must not be taken
        // for the answer to this one.
        link_.discard();
        link_.send(frame);
        link_.pause(ReplyWait);
        if (link_.waiting() >= replySize && takeIdentity(record))
            return BeginDownload();
    }
    return false;
}

bool ModbusBootLoader::takeIdentity(DeviceIdRecord &record)
{
    const int headerSize = link_.ethernet() ? TcpHeader : SerialHeader;
    const QByteArray header = link_.read(headerSize);
    if (header.size() != headerSize)
        return false;
    const QByteArray pdu = header.right(SerialHeader);
    if (byteAt(pdu, 0) != unit_ || byteAt(pdu, 1) != modbus::ReadInputRegisters || byteAt(pdu, 2) != IdentityBytes)
        return false;
    // Fields 0 to 6 fill the registers; field 7 is whatever follows them (the CRC on serial).
    record = DeviceIdRecord::fromBlock(link_.read(-1));
    return true;
}

bool ModbusBootLoader::BeginDownload()
{
    return command(BeginAddress);
}

bool ModbusBootLoader::StartProgram()
{
    return command(StartAddress);
}

bool ModbusBootLoader::command(int32_t address)
{
    MBRequest begin = request(modbus::WriteMultipleRegisters, address, 1);
    begin.setMBData(0, 0);
    return SendAndWait(begin);
}

bool ModbusBootLoader::WriteData(const HexRecord &record)
{
    MBRequest write = request(modbus::WriteMultipleRegisters, record.address, record.length);
    for (int i = 0; i < record.length; ++i)
        write.setMBData(i, static_cast<uint8_t>(record.data.at(i)));
    return SendAndWait(write);
}

bool ModbusBootLoader::SendAndWait(MBRequest &request)
{
    const bool tcp = link_.ethernet();
    request.setMBMode(tcp ? MBRequest::ModeTCP : MBRequest::ModeRTU);
    // The echo's address, quantity and CRC are not compared: unit and function make the answer.
    const int unitAt = tcp ? TcpEcho - 6 : 0;
    const int32_t unit = unit_;
    // Serial gives the loader its settle time before the echo is read; TCP reads it as it comes.
    return link_.exchange(request.CommandString(), tcp ? 0.0 : BootLoaderLink::FrameSettle, tcp ? TcpEcho : SerialEcho,
                          tcp ? -1 : SerialEcho, [unit, unitAt](const QByteArray &reply) {
                              return reply.size() >= unitAt + 2 && byteAt(reply, unitAt) == unit &&
                                     byteAt(reply, unitAt + 1) == modbus::WriteMultipleRegisters;
                          });
}
