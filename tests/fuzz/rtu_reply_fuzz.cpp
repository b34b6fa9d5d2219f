// The serial input after a request: replies cut out by the RTU reader go to the device object.
// Byte 4 of the input says how the rest arrives: odd, as it stands; even, as one frame that gets
// its CRC appended, so that mutated replies pass the CRC and reach the reply processing.
#include "FuzzedDevice.h"
#include "core/mdlTools.h"
#include "device/RtuReplyReader.h"
#include "platform/ByteView.h"

namespace {

// All of the input has arrived; nothing more ever comes.
class ArrivedBytes : public RtuReplyReader::Source {
public:
    explicit ArrivedBytes(QByteArray bytes) : bytes_(std::move(bytes)) {}

    int waiting() override { return static_cast<int>(bytes_.size()); }
    QByteArrayView peek(int count) override { return platform::front(bytes_, count); }
    void skip(int count) override { bytes_.remove(0, count); }
    void flush() override { bytes_.clear(); }

private:
    QByteArray bytes_;
};

QByteArray withCrc(QByteArray frame)
{
    const int32_t crc = mdlTools::CRC16(frame);
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>((crc >> 8) & 0xFF));
    return frame;
}

constexpr int HeaderBytes = FuzzedDevice::RequestBytes + 1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    if (input.size() < HeaderBytes)
        return 0;
    FuzzedDevice device(input);
    const QByteArray stream = input.mid(HeaderBytes);
    const bool asItStands = (static_cast<uint8_t>(input.at(FuzzedDevice::RequestBytes)) & 1) != 0;
    ArrivedBytes serial(asItStands ? stream : withCrc(stream));
    for (;;) {
        const auto result = RtuReplyReader::readOne(serial, CDevice::UnitAddress);
        if (result.outcome == RtuReplyReader::Outcome::Idle || result.outcome == RtuReplyReader::Outcome::Flushed ||
            result.outcome == RtuReplyReader::Outcome::Incomplete)
            break;
        if (result.outcome == RtuReplyReader::Outcome::Reply) {
            fuzz::check(result.frame.size() >= RtuReplyReader::MinimumReply &&
                            result.frame.at(0) == CDevice::UnitAddress,
                        "a reply comes from the unit asked");
            device.process(result.frame);
        }
    }
    return 0;
}
