#include "RtuReplyReader.h"

#include "ModbusFunction.h"

#include "core/mdlTools.h"

namespace {

// A write is answered by an echo of its address and value or quantity, with no byte count.
bool isWriteEcho(uint8_t function)
{
    return function == modbus::WriteSingleCoil || function == modbus::WriteSingleRegister ||
           function == modbus::WriteMultipleRegisters;
}

// Bytes that follow the unit and function bytes (and the byte count, for reads).
int tailLength(uint8_t function, const QByteArray &head)
{
    if (isWriteEcho(function))
        return 6;
    if (modbus::isException(function))
        return 3;
    return static_cast<uint8_t>(head[2]) + 2;
}

}  // namespace

bool RtuReplyReader::crcValid(const QByteArray &frame)
{
    int32_t crc = 0xFFFF;
    for (const char byte : frame)
        mdlTools::CRC16Update(static_cast<uint8_t>(byte), crc);
    return crc == 0;
}

RtuReplyReader::Result RtuReplyReader::readOne(Source &source, int expectedUnit)
{
    if (source.waiting() < MinimumReply)
        return {};
    if (expectedUnit < 0) {
        source.flush();
        return {Outcome::Flushed, {}};
    }
    QByteArray frame = source.read(2);
    if (frame.size() < 2)
        return {Outcome::Dropped, {}};
    if (static_cast<uint8_t>(frame[0]) != expectedUnit) {
        source.flush();
        return {Outcome::Flushed, {}};
    }
    const auto function = static_cast<uint8_t>(frame[1]);
    const bool hasByteCount = !isWriteEcho(function) && !modbus::isException(function);
    if (hasByteCount) {
        frame += source.read(1);
        if (frame.size() < 3)
            return {Outcome::Dropped, {}};
    }
    const int tail = tailLength(function, frame);
    if (!source.waitFor(tail))
        return {Outcome::Dropped, {}};
    const QByteArray rest = source.read(tail);
    if (rest.size() < tail)
        return {Outcome::Dropped, {}};
    frame += rest;
    if (!crcValid(frame))
        return {Outcome::Dropped, {}};
    return {Outcome::Reply, frame};
}
