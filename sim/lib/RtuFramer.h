#pragma once

#include <QByteArray>

#include <optional>

namespace devsim {

// Cuts RTU request frames out of the bytes a serial line delivers. A frame ends where it parses
// with a good CRC; whatever does not parse is thrown away once the line has gone quiet.
class RtuFramer {
public:
    static constexpr int MaxFrame = 256;

    // Takes the first complete frame (unit, PDU, CRC) off the front of buffer. lineIdle says the
    // line has been silent for a frame gap, so bytes that are still incomplete or corrupt are dropped.
    static std::optional<QByteArray> takeFrame(QByteArray &buffer, bool lineIdle);

    // unit, PDU and CRC low byte first; spoilCrc flips the CRC so that a client must reject it.
    static QByteArray encode(quint8 unit, const QByteArray &pdu, bool spoilCrc);

private:
    static int expectedLength(const QByteArray &buffer);
};

}  // namespace devsim
