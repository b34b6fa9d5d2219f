#pragma once

#include <QByteArray>

#include <optional>

namespace devsim {

// One Modbus/TCP request: MBAP header fields and the PDU behind the unit byte.
struct MbapFrame {
    quint16 transactionId = 0;
    quint8 unit = 0;
    QByteArray pdu;
    QByteArray bytes;  // the whole frame as received
};

// Cuts Modbus/TCP frames out of a TCP stream.
class MbapFramer {
public:
    // Takes the first complete frame off the front of buffer. A header whose length cannot be a
    // Modbus frame leaves the stream without a frame boundary: everything pending is discarded.
    // Frames of another protocol id are consumed and skipped.
    static std::optional<MbapFrame> takeFrame(QByteArray &buffer);

    static QByteArray encode(quint16 transactionId, quint8 unit, const QByteArray &pdu);
};

}  // namespace devsim
