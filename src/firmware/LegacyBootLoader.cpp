#include "LegacyBootLoader.h"

#include "BootLoaderLink.h"
#include "FirmwareImage.h"
#include "platform/Clock.h"

namespace {
// The loader's fixed time to send its identification after acknowledging the entry; it is
// read only after it.
constexpr double IdentityWait = 0.1;
}  // namespace

const QByteArray LegacyBootLoader::EntryRequest = QByteArray::fromHex("DEADDADE");
const QByteArray LegacyBootLoader::IdentityTag = QByteArray::fromHex("DADEADED");
const QByteArray LegacyBootLoader::EndFrame = QByteArray::fromHex("AA0100000100FE");

LegacyBootLoader::LegacyBootLoader(BootLoaderLink &link) : link_(link) {}

QByteArray LegacyBootLoader::Frame(const HexRecord &record)
{
    QByteArray frame;
    frame.append(static_cast<char>(FrameStart));
    frame.append(static_cast<char>(record.length));
    frame.append(static_cast<char>(record.address >> 8));
    frame.append(static_cast<char>(record.address & 0xFF));
    frame.append(static_cast<char>(HexRecord::TypeData));
    frame.append(record.data);
    frame.append(static_cast<char>(record.checksum));
    return frame;
}

bool LegacyBootLoader::Enter(DeviceIdRecord &record)
{
    link_.open();
    const double deadline = platform::clock::monotonicSeconds() + EnterSeconds;
    while (platform::clock::monotonicSeconds() < deadline) {
        link_.enterBootLoader();
        if (SendFrameAndWait(EntryRequest) && takeIdentity(record))
            return true;
    }
    return false;
}

bool LegacyBootLoader::takeIdentity(DeviceIdRecord &record)
{
    link_.pause(IdentityWait);
    if (link_.read(static_cast<int>(IdentityTag.size())) != IdentityTag)
        return false;
    record = DeviceIdRecord::fromBlock(link_.read(DeviceIdRecord::Size));
    link_.read(IdentityBlock - DeviceIdRecord::Size);
    return true;
}

bool LegacyBootLoader::WriteData(const HexRecord &record)
{
    return SendFrameAndWait(Frame(record));
}

bool LegacyBootLoader::StartProgram()
{
    return SendFrameAndWait(EndFrame);
}

bool LegacyBootLoader::SendFrameAndWait(const QByteArray &frame)
{
    return link_.exchange(frame, BootLoaderLink::FrameSettle, 1, 1, [](const QByteArray &reply) {
        return reply.size() == 1 && static_cast<uint8_t>(reply.at(0)) == Acknowledge;
    });
}
