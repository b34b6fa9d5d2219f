#include "DeviceMemory.h"

namespace devsim {

namespace {

bool isClockByte(int index)
{
    return index >= DeviceClock::FirstImageByte && index < DeviceClock::FirstImageByte + DeviceClock::ImageBytes;
}

}  // namespace

DeviceMemory::DeviceMemory() : logN_(LogNRows * RecordSize, '\0'), logV_(LogVRows * RecordSize, '\0')
{
    setAdminPassword(encodePassword("admin"));
    setSuperUserPassword(encodePassword("super"));
}

quint8 DeviceMemory::byte(int index) const
{
    if (isClockByte(index))
        return clock.imageBytes()[index - DeviceClock::FirstImageByte];
    return image_.at(index);
}

void DeviceMemory::setByte(int index, quint8 value)
{
    if (!isClockByte(index))
        image_.at(index) = value;
}

bool DeviceMemory::imageBit(int index) const
{
    return (byte(index / 8) >> (index % 8)) & 1;
}

void DeviceMemory::setImageBit(int index, bool on)
{
    const quint8 mask = static_cast<quint8>(1 << (index % 8));
    const quint8 old = byte(index / 8);
    setByte(index / 8, on ? (old | mask) : (old & ~mask));
}

DeviceMemory::PasswordBlock DeviceMemory::encodePassword(const QByteArray &password)
{
    PasswordBlock block;
    block.fill(0xFF);
    const int length = static_cast<int>(qMin<qsizetype>(password.size(), PasswordSize));
    for (int i = 0; i < length; ++i)
        block[i] = static_cast<quint8>(password.at(i));
    if (length < PasswordSize && length > 0)
        block[length] = 0;
    return block;
}

QByteArray DeviceMemory::decodePassword(const PasswordBlock &block)
{
    QByteArray text;
    for (quint8 c : block) {
        if (c == 0 || c == 0xFF)
            break;
        text.append(static_cast<char>(c));
    }
    return text;
}

bool DeviceMemory::isEmptyPassword(const PasswordBlock &block)
{
    return block[0] == 0 || block[0] == 0xFF;
}

void DeviceMemory::setAdminPassword(const PasswordBlock &block)
{
    setPassword(adminPassword, block, AdminPasswordOff, AdminLoggedOn);
}

void DeviceMemory::setSuperUserPassword(const PasswordBlock &block)
{
    setPassword(superUserPassword, block, SuperUserPasswordOff, SuperUserLoggedOn);
}

void DeviceMemory::setPassword(PasswordBlock &role, const PasswordBlock &block, int passwordOffBit, int loggedOnBit)
{
    role = block;
    const bool off = isEmptyPassword(block);
    setStatusBit(passwordOffBit, off);
    if (off)
        setStatusBit(loggedOnBit, true);
}

QByteArray DeviceMemory::statusBlock() const
{
    QByteArray block(StatusBlockBytes, '\0');
    block[0] = static_cast<char>(firmwareVersion);
    block[1] = static_cast<char>(softwareId);
    const QByteArray serial = serialNumber.left(16);
    block.replace(2, serial.size(), serial);
    block[18] = static_cast<char>(byte(LogOnByte));
    block[19] = static_cast<char>(ioByte);
    block[20] = static_cast<char>(byte(NewestNByte));
    block[21] = static_cast<char>(byte(NewestNByte + 1));
    block[22] = static_cast<char>(byte(NewestVByte));
    block[23] = static_cast<char>(byte(NewestVByte + 1));
    block[24] = static_cast<char>(byte(TurnOffDelayByte));
    return block;
}

}  // namespace devsim
