// The TCP stream after a request: frames cut out by the MBAP reader whose transaction id is the
// request's go to the device object. Bytes 4 and 5 of the input are that id, byte 6 the size of
// the pieces in which the stream arrives (0: all at once).
#include "FuzzedDevice.h"
#include "device/MbapFrameReader.h"
#include "platform/ByteView.h"

namespace {

class SocketBuffer : public MbapFrameReader::Source {
public:
    void arrive(const QByteArray &piece) { bytes_ += piece; }

    qint64 available() override { return bytes_.size(); }
    QByteArrayView peek(qint64 count) override { return platform::front(bytes_, count); }
    void skip(qint64 count) override { bytes_.remove(0, count); }

    // After the reader returned nothing: too little for a header, or a frame still incomplete.
    bool holdsNoWholeFrame() const
    {
        if (bytes_.size() < MbapFrameReader::HeaderLength)
            return true;
        const int length = static_cast<uint8_t>(bytes_.at(4)) * 256 + static_cast<uint8_t>(bytes_.at(5));
        return length < MbapFrameReader::ImpossibleLength && bytes_.size() < MbapFrameReader::HeaderLength + length;
    }

private:
    QByteArray bytes_;
};

constexpr int HeaderBytes = FuzzedDevice::RequestBytes + 3;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    if (input.size() < HeaderBytes)
        return 0;
    FuzzedDevice device(input);
    const int transactionId = static_cast<uint8_t>(input.at(4)) * 256 + static_cast<uint8_t>(input.at(5));
    const QByteArray stream = input.mid(HeaderBytes);
    const qsizetype piece = static_cast<uint8_t>(input.at(6)) == 0 ? stream.size() : static_cast<uint8_t>(input.at(6));
    SocketBuffer socket;
    for (qsizetype at = 0; at < stream.size(); at += piece) {
        socket.arrive(stream.mid(at, piece));
        while (const auto frame = MbapFrameReader::next(socket)) {
            if (frame->transactionId == transactionId)
                device.process(frame->pdu);
        }
        fuzz::check(socket.holdsNoWholeFrame(), "the reader leaves no whole frame behind");
    }
    return 0;
}
