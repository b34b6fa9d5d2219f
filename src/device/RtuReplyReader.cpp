#include "RtuReplyReader.h"

#include "core/mdlTools.h"

namespace {

// Bytes that follow the unit and function bytes (and the byte count, for reads).
int tailLength(uint8_t function, const QByteArray &head)
{
    if (function == 5 || function == 6 || function == 16)
        return 6;
    if (function >= 128)
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
    const bool hasByteCount = function < 128 && function != 5 && function != 6 && function != 16;
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
