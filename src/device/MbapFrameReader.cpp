#include "MbapFrameReader.h"

std::optional<MbapFrameReader::Frame> MbapFrameReader::next(Source &source)
{
    while (source.available() >= HeaderLength) {
        const QByteArrayView header = source.peek(HeaderLength);
        if (header.size() < HeaderLength)
            return std::nullopt;
        const int length = static_cast<uint8_t>(header[4]) * 256 + static_cast<uint8_t>(header[5]);
        // Replies are matched by transaction id alone; only a length no reply can have shows
        // that the stream is out of step.
        if (length >= ImpossibleLength) {
            source.take(source.available());
            continue;
        }
        if (source.available() < length + HeaderLength)
            return std::nullopt;
        Frame frame;
        frame.transactionId = static_cast<uint8_t>(header[0]) * 256 + static_cast<uint8_t>(header[1]);
        // Header and data in one take; the header is then dropped in place.
        frame.pdu = source.take(HeaderLength + length);
        frame.pdu.remove(0, HeaderLength);
        return frame;
    }
    return std::nullopt;
}
