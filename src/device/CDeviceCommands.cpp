// Commands, passwords, log-on and log-off, the clock, and the event logs' pointers and rows.
#include "CDevice.h"
#include "CDeviceShared.h"

#include "DeviceClock.h"
#include "ModbusFunction.h"
#include "StatusBit.h"
#include "platform/AnsiText.h"

#include <algorithm>

using cdevice::LogOnStateByte;
using cdevice::subscriptOutOfRange;

namespace {

constexpr int32_t CommandRegister = 205;
constexpr int32_t EnterBootLoaderCommand = 3;
constexpr int32_t ParameterBlock = 215;
constexpr int PasswordLength = 8;

QByteArray rowCopy(const EventLogTable &log, int index, const char *member)
{
    if (index < 0 || index >= log.rowCount())
        subscriptOutOfRange(member);
    return log.row(index);
}

}  // namespace

void CDevice::SendCommand(int32_t code)
{
    MBWriteRegister(CommandRegister, code);
}

void CDevice::EnterBootLoader()
{
    request(modbus::WriteSingleRegister, CommandRegister, EnterBootLoaderCommand, nullptr, {.whileLent = true});
}

void CDevice::WritePsw(QString &password)
{
    password += QChar(0) + QString(7, QChar(255));
    // Character codes in the program's 8-bit character set, the one the password dialogs type in.
    const QByteArray codes = platform::ansi::encode(password).left(PasswordLength);
    for (int i = 0; i < PasswordLength; ++i)
        MBWriteRegister(ParameterBlock + i, static_cast<uint8_t>(codes[i]));
}

void CDevice::writePasswordCommand(QString password, int32_t code)
{
    password.truncate(PasswordLength);
    WritePsw(password);
    SendCommand(code);
}

void CDevice::changePassword(QString &password, int statusBit, int32_t code)
{
    // An empty password switches the password off: the device keeps eight 255s and shows the
    // role's "disabled" bit.
    const bool disable = password.isEmpty();
    if (disable)
        password = QString(PasswordLength, QChar(255));
    setBit(statusBit, disable);
    writePasswordCommand(password, code);
}

void CDevice::AdminLogOn(const QString &password)
{
    writePasswordCommand(password, 4);
}

void CDevice::ChangeAdminPsw(QString &password)
{
    changePassword(password, AdminPswDisabled, 6);
}

void CDevice::AdminLogOff()
{
    SendCommand(5);
    SendCommand(8);
    MBRead(modbus::ReadHoldingRegisters, LogOnStateByte, 1);
}

void CDevice::SuperUserLogOn(const QString &password)
{
    writePasswordCommand(password, 7);
}

void CDevice::ChangeSuperUserPsw(QString &password)
{
    changePassword(password, SuperUserPswDisabled, 9);
}

void CDevice::SuperUserLogOff()
{
    SendCommand(8);
    MBRead(modbus::ReadHoldingRegisters, LogOnStateByte, 1);
}

void CDevice::SetClock(const QDateTime &when)
{
    const auto values = DeviceClock::encode(when);
    for (std::size_t i = 0; i < values.size(); ++i)
        MBWriteRegister(ParameterBlock + static_cast<int32_t>(i), values[i]);
    SendCommand(2);
}

QDateTime CDevice::DateTime() const
{
    const DeviceClock::Image bytes{ram_[233], ram_[234], ram_[235], ram_[236], ram_[237]};
    return DeviceClock::decode(bytes, QDate::currentDate().year());
}

int32_t CDevice::MostRecentEventN() const
{
    return RAM(231) + 256 * RAM(232);
}

int32_t CDevice::MostRecentEventV() const
{
    return RAM(241) + 256 * RAM(242);
}

QByteArray CDevice::LogListN(int index) const
{
    return rowCopy(logN_, index, "LogListN");
}

QByteArray CDevice::LogListV(int index) const
{
    return rowCopy(logV_, index, "LogListV");
}
