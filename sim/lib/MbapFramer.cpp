#include "MbapFramer.h"

#include "Bytes.h"

namespace devsim {

namespace {

constexpr int HeaderSize = 6;
constexpr int MinLength = 2;    // unit and function
constexpr int MaxLength = 254;  // unit and the largest PDU

}  // namespace

std::optional<MbapFrame> MbapFramer::takeFrame(QByteArray &buffer)
{
    while (buffer.size() >= HeaderSize) {
        const int length = wordAt(buffer, 4);
        if (length < MinLength || length > MaxLength) {
            buffer.clear();
            return std::nullopt;
        }
        if (buffer.size() < HeaderSize + length)
            return std::nullopt;
        MbapFrame frame;
        frame.bytes = buffer.left(HeaderSize + length);
        buffer.remove(0, HeaderSize + length);
        if (wordAt(frame.bytes, 2) != 0)
            continue;
        frame.transactionId = wordAt(frame.bytes, 0);
        frame.unit = static_cast<quint8>(frame.bytes.at(HeaderSize));
        frame.pdu = frame.bytes.mid(HeaderSize + 1);
        return frame;
    }
    return std::nullopt;
}

QByteArray MbapFramer::encode(quint16 transactionId, quint8 unit, const QByteArray &pdu)
{
    QByteArray frame;
    frame.reserve(HeaderSize + 1 + pdu.size());
    appendWord(frame, transactionId);
    appendWord(frame, 0);
    appendWord(frame, static_cast<quint16>(pdu.size() + 1));
    frame.append(static_cast<char>(unit));
    frame.append(pdu);
    return frame;
}

}  // namespace devsim
