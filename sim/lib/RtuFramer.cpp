#include "RtuFramer.h"

#include "Bytes.h"
#include "Crc16.h"

namespace devsim {

namespace {

constexpr int NotYetKnown = 0;
constexpr int Unknown = -1;

bool crcMatches(const QByteArray &buffer, int length)
{
    return length >= 4 && crc16(buffer.constData(), length) == 0;
}

}  // namespace

// The length of the frame at the front of buffer by its function code; the device's function 16
// carries no byte count, so its length follows from the quantity.
int RtuFramer::expectedLength(const QByteArray &buffer)
{
    if (buffer.size() < 2)
        return NotYetKnown;
    switch (static_cast<quint8>(buffer.at(1))) {
    case 3:
    case 4:
    case 5:
    case 6: return 8;
    case 16: {
        if (buffer.size() < 6)
            return NotYetKnown;
        const int quantity = wordAt(buffer, 4);
        const int length = 8 + 2 * quantity;
        return quantity == 0 || length > MaxFrame ? Unknown : length;
    }
    default: return Unknown;
    }
}

std::optional<QByteArray> RtuFramer::takeFrame(QByteArray &buffer, bool lineIdle)
{
    const int length = expectedLength(buffer);
    if (length > 0 && buffer.size() >= length && crcMatches(buffer, length)) {
        QByteArray frame = buffer.left(length);
        buffer.remove(0, length);
        return frame;
    }
    if (!lineIdle)
        return std::nullopt;
    // The line went quiet: an unknown function or a malformed length is still a frame when its
    // CRC holds (it earns an exception reply); anything else is noise.
    if (length == Unknown && buffer.size() <= MaxFrame && crcMatches(buffer, static_cast<int>(buffer.size()))) {
        QByteArray frame = buffer;
        buffer.clear();
        return frame;
    }
    buffer.clear();
    return std::nullopt;
}

QByteArray RtuFramer::encode(quint8 unit, const QByteArray &pdu, bool spoilCrc)
{
    QByteArray frame;
    frame.reserve(pdu.size() + 3);
    frame.append(static_cast<char>(unit));
    frame.append(pdu);
    quint16 crc = crc16(frame);
    if (spoilCrc)
        crc ^= 0xFFFF;
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
    return frame;
}

}  // namespace devsim
