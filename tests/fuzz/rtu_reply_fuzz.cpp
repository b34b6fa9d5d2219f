// The serial input after a request: replies cut out by the RTU reader go to the device object.
#include "FuzzedDevice.h"
#include "device/RtuReplyReader.h"

namespace {

// All of the input has arrived; nothing more ever comes.
class ArrivedBytes : public RtuReplyReader::Source {
public:
    explicit ArrivedBytes(QByteArray bytes) : bytes_(std::move(bytes)) {}

    int waiting() override { return static_cast<int>(bytes_.size()); }
    QByteArray read(int count) override
    {
        const QByteArray head = bytes_.left(count);
        bytes_.remove(0, head.size());
        return head;
    }
    bool waitFor(int count) override { return bytes_.size() >= count; }
    void flush() override { bytes_.clear(); }

private:
    QByteArray bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    if (input.size() < FuzzedDevice::RequestBytes)
        return 0;
    FuzzedDevice device(input);
    ArrivedBytes serial(input.mid(FuzzedDevice::RequestBytes));
    for (;;) {
        const auto result = RtuReplyReader::readOne(serial, CDevice::UnitAddress);
        if (result.outcome == RtuReplyReader::Outcome::Idle || result.outcome == RtuReplyReader::Outcome::Flushed)
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
