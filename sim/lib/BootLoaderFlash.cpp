#include "BootLoaderFlash.h"

#include "DeviceMemory.h"

namespace devsim {

namespace {

constexpr int TagAt = 3;
constexpr int VersionAt = 5;
constexpr int SoftwareIdAt = 6;

QByteArray field(const QByteArray &text, int width)
{
    QByteArray bytes = text.left(width);
    bytes.append(width - bytes.size(), '\0');
    return bytes;
}

}  // namespace

QByteArray BootLoaderFlash::identity(const QByteArray &loaderVersion, const QByteArray &loaderName) const
{
    QByteArray block =
        field(loaderVersion, 8) + field(loaderName, 8) + field(productName_, 40) + field(memory_.serialNumber, 16);
    block.append(IdentitySize - block.size(), '\0');
    return block;
}

void BootLoaderFlash::erase()
{
    programmed_.clear();
    dataWrites_ = 0;
}

void BootLoaderFlash::write(int address, const QByteArray &bytes)
{
    for (int i = 0; i < bytes.size(); ++i)
        programmed_[address + i] = static_cast<quint8>(bytes.at(i));
    ++dataWrites_;
}

void BootLoaderFlash::finish()
{
    ++finishedDownloads_;
    if (programmed_.value(TagAt) != 0xC0 || programmed_.value(TagAt + 1) != 0xDE)
        return;
    memory_.firmwareVersion = programmed_.value(VersionAt);
    memory_.softwareId = programmed_.value(SoftwareIdAt);
}

}  // namespace devsim
