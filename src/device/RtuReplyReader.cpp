#include "RtuReplyReader.h"

#include "ModbusFunction.h"

#include "core/mdlTools.h"
#include "platform/ByteView.h"

namespace {

// A write is answered by an echo of its address and value or quantity, with no byte count.
bool isWriteEcho(uint8_t function)
{
    return function == modbus::WriteSingleCoil || function == modbus::WriteSingleRegister ||
           function == modbus::WriteMultipleRegisters;
}

// Bytes that follow the first three (unit, function, and the byte count of a read).
int tailLength(uint8_t function, QByteArrayView head)
{
    if (isWriteEcho(function))
        return 5;
    if (modbus::isException(function))
        return 2;
    return static_cast<uint8_t>(head[2]) + 2;
}

}  // namespace

bool RtuReplyReader::crcValid(QByteArrayView frame)
{
    return mdlTools::CRC16(frame) == 0;
}

RtuReplyReader::Result RtuReplyReader::readOne(Source &source, int expectedUnit, QByteArray &&spare)
{
    if (source.waiting() < MinimumReply)
        return {};
    if (expectedUnit < 0) {
        source.flush();
        return {Outcome::Flushed, {}};
    }
    // The shortest reply is longer than three bytes, and those are waiting.
    const QByteArrayView head = source.peek(3);
    if (head.size() < 3)
        return {Outcome::Dropped, {}};
    if (static_cast<uint8_t>(head[0]) != expectedUnit) {
        source.flush();
        return {Outcome::Flushed, {}};
    }
    const int length = 3 + tailLength(static_cast<uint8_t>(head[1]), head);
    if (source.waiting() < length)
        return {Outcome::Incomplete, {}, length};
    const QByteArrayView frame = source.peek(length);
    Result result{Outcome::Dropped, {}};
    if (frame.size() == length && crcValid(frame)) {
        result = {Outcome::Reply, std::move(spare)};
        platform::assign(result.frame, frame);
    }
    source.skip(length);
    return result;
}
