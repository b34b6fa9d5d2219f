#pragma once

#include <QByteArray>

#include <optional>

namespace devsim {

class BootLoaderFlash;

// The older boot loader: raw byte frames with neither Modbus framing nor CRC. The entry request
// DE AD DA DE is acknowledged with 0xAC followed by DA DE AD ED and a 256-byte identification
// block; after it, AA frames (AA, length, address high and low, type, data, Intel HEX checksum)
// of type 00 write data and of type 01 end the download, each acknowledged with 0xAC.
class LegacyBootLoader {
public:
    static constexpr quint8 Acknowledge = 0xAC;
    static constexpr quint8 FrameStart = 0xAA;
    static constexpr int IdentityBlock = 256;

    explicit LegacyBootLoader(BootLoaderFlash &flash) : flash_(flash) {}

    // Takes the next entry request or AA frame with a good checksum off the front of buffer and
    // drops bytes that start neither. An incomplete frame waits for more bytes until the line
    // goes idle.
    static std::optional<QByteArray> takeFrame(QByteArray &buffer, bool lineIdle);

    // The answer to one frame; frames before the entry request get none.
    QByteArray respond(const QByteArray &frame);
    bool startRequested() const { return startRequested_; }
    void reset();

private:
    BootLoaderFlash &flash_;
    bool entered_ = false;
    bool startRequested_ = false;
};

}  // namespace devsim
