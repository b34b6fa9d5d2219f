#include "MbapFrameReader.h"

#include "platform/ByteView.h"

std::optional<MbapFrameReader::Frame> MbapFrameReader::next(Source &source, QByteArray &&spare)
{
    while (source.available() >= HeaderLength) {
        const QByteArrayView header = source.peek(HeaderLength);
        if (header.size() < HeaderLength)
            return std::nullopt;
        const int length = static_cast<uint8_t>(header[4]) * 256 + static_cast<uint8_t>(header[5]);
        // Replies are matched by transaction id alone; only a length no reply can have shows
        // that the stream is out of step.
        if (length >= ImpossibleLength) {
            source.skip(source.available());
            continue;
        }
        if (source.available() < length + HeaderLength)
            return std::nullopt;
        Frame frame{static_cast<uint8_t>(header[0]) * 256 + static_cast<uint8_t>(header[1]), std::move(spare)};
        platform::assign(frame.pdu, source.peek(HeaderLength + length).sliced(HeaderLength));
        source.skip(HeaderLength + length);
        return frame;
    }
    return std::nullopt;
}
