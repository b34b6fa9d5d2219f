#include "LegacyBootLoader.h"

#include "BootLoaderFlash.h"

namespace devsim {

namespace {

const QByteArray EntryRequest = QByteArray::fromHex("DEADDADE");
const QByteArray IdentityTag = QByteArray::fromHex("DADEADED");
// AA, length, address high and low, type, then the data and the checksum.
constexpr int FrameOverhead = 6;
constexpr int TypeAt = 4;
constexpr quint8 TypeData = 0x00;
constexpr quint8 TypeEnd = 0x01;

quint8 byteAt(const QByteArray &bytes, int i)
{
    return static_cast<quint8>(bytes.at(i));
}

// Length, address, type, data and checksum add up to 0 modulo 256.
bool checksumHolds(const QByteArray &frame)
{
    quint8 sum = 0;
    for (int i = 1; i < frame.size(); ++i)
        sum = static_cast<quint8>(sum + byteAt(frame, i));
    return sum == 0;
}

}  // namespace

void LegacyBootLoader::reset()
{
    entered_ = false;
    startRequested_ = false;
}

std::optional<QByteArray> LegacyBootLoader::takeFrame(QByteArray &buffer, bool lineIdle)
{
    while (!buffer.isEmpty()) {
        if (buffer.startsWith(EntryRequest)) {
            buffer.remove(0, EntryRequest.size());
            return EntryRequest;
        }
        const bool entryBegun = EntryRequest.startsWith(buffer);
        const bool frameBegun = byteAt(buffer, 0) == FrameStart;
        if (frameBegun && buffer.size() >= 2) {
            const int length = FrameOverhead + byteAt(buffer, 1);
            if (buffer.size() >= length && checksumHolds(buffer.left(length))) {
                const QByteArray frame = buffer.left(length);
                buffer.remove(0, length);
                return frame;
            }
            if (buffer.size() < length && !lineIdle)
                return std::nullopt;
        } else if ((entryBegun || frameBegun) && !lineIdle) {
            return std::nullopt;
        }
        // Not the start of anything the loader knows: look again one byte on.
        buffer.remove(0, 1);
    }
    return std::nullopt;
}

QByteArray LegacyBootLoader::respond(const QByteArray &frame)
{
    if (frame == EntryRequest) {
        entered_ = true;
        flash_.erase();
        QByteArray reply(1, static_cast<char>(Acknowledge));
        reply += IdentityTag + flash_.identity("1.31", "LEGACY");
        reply.append(IdentityBlock - BootLoaderFlash::IdentitySize, '\0');
        return reply;
    }
    if (!entered_ || frame.size() < FrameOverhead)
        return {};
    switch (byteAt(frame, TypeAt)) {
    case TypeData:
        flash_.write((byteAt(frame, 2) << 8) | byteAt(frame, 3), frame.mid(5, frame.size() - FrameOverhead));
        break;
    case TypeEnd: startRequested_ = true; break;
    default: return {};
    }
    return QByteArray(1, static_cast<char>(Acknowledge));
}

}  // namespace devsim
