// The device's replies turned into image bytes, identity, log rows and events.
#include "CDevice.h"
#include "CDeviceShared.h"

#include "ModbusFunction.h"
#include "platform/AnsiText.h"
#include "platform/PumpingWait.h"

#include <QScopedValueRollback>

using cdevice::EvenWordRegisters;
using cdevice::LogOnStateByte;
using cdevice::OddWordRegisters;
using cdevice::WordWindowLength;

namespace {

constexpr int32_t LogNFirstRegister = 4096;
constexpr int32_t LogVFirstRegister = 12288;
constexpr int32_t LogLastRegister = 16383;
constexpr int StatusBytes = 25;  // data bytes 0..24 of the status poll

uint8_t byteAt(const QByteArray &data, int index)
{
    return static_cast<uint8_t>(data[index]);
}

}  // namespace

void CDevice::ProcessReply(const MBRequestPtr &request, const QByteArray &data)
{
    if (data.size() < 2 || !request)
        return;
    const QScopedValueRollback<int> handlers(replyHandlerDepth_, platform::pumping::depth());
    const uint8_t function = byteAt(data, 1);
    if (modbus::isException(function)) {
        emit MBException(request, data);
        return;
    }
    if (function != modbus::ReadHoldingRegisters && function != modbus::ReadInputRegisters)
        return;
    const int32_t start = request->StartAddress();
    const int32_t quantity = request->Quantity();
    if (data.size() < 3 || quantity <= 0 || data.size() < 3 + 2 * quantity)
        return;
    // A read of holding registers needs at least the registers asked for and stores those; a read
    // of input registers must carry exactly them.
    const int count = byteAt(data, 2);
    if (function == modbus::ReadHoldingRegisters ? count < 2 * quantity : count != 2 * quantity)
        return;
    if (function == modbus::ReadHoldingRegisters) {
        if (start < ImageSize)
            storeRegisters(data, start, quantity, 1);
        else if (start >= EvenWordRegisters && start < EvenWordRegisters + WordWindowLength)
            storeRegisters(data, (start - EvenWordRegisters) * 2, quantity, 2);
        else if (start >= OddWordRegisters && start < OddWordRegisters + WordWindowLength)
            storeRegisters(data, (start - OddWordRegisters) * 2 + 1, quantity, 2);
        return;
    }
    if (start >= LogNFirstRegister && start <= LogLastRegister) {
        storeLogPage(start, data);
        return;
    }
    if (start == 0 && 2 * quantity >= StatusBytes)
        decodeStatus(data);
    emit NewRTData(request, data);
}

void CDevice::storeLogPage(int32_t startRegister, const QByteArray &data)
{
    const QByteArrayView records = QByteArrayView(data).sliced(3, byteAt(data, 2));
    const int stored = startRegister < LogVFirstRegister ? logN_.storePage(startRegister - LogNFirstRegister, records)
                                                         : logV_.storePage(startRegister - LogVFirstRegister, records);
    if (stored > 0)
        emit LogUpdated(startRegister - LogNFirstRegister, stored);
}

void CDevice::storeRegisters(const QByteArray &data, int first, int count, int bytesPerRegister)
{
    // Registers that would land past the image's end are not stored.
    int stored = 0;
    for (int i = 0; i < count; ++i) {
        const int target = first + bytesPerRegister * i;
        if (target + bytesPerRegister > ImageSize)
            break;
        ram_[static_cast<std::size_t>(target)] = byteAt(data, 4 + 2 * i);
        if (bytesPerRegister == 2)
            ram_[static_cast<std::size_t>(target) + 1] = byteAt(data, 3 + 2 * i);
        stored += bytesPerRegister;
    }
    if (stored > 0)
        emit NewRAMData(first, stored);
}

void CDevice::decodeStatus(const QByteArray &data)
{
    const auto status = [&data](int k) { return byteAt(data, 3 + k); };
    firmwareVersion_ = status(0);
    softwareId_ = status(1);
    // Data bytes 2..17, up to the first 0 byte; decoded again only when they change.
    const QByteArrayView serial = QByteArrayView(data).sliced(3 + 2, 16);
    if (serial != serialBytes_) {
        serialBytes_ = serial.toByteArray();
        const qsizetype end = serial.indexOf('\0');
        serialNumber_ = platform::ansi::decode(serialBytes_.left(end < 0 ? serial.size() : end));
    }
    // The whole block is stored before the first event it raises, whose handlers read it.
    ram_[LogOnStateByte] = status(18);
    ram_[231] = status(20);
    ram_[232] = status(21);
    ram_[241] = status(22);
    ram_[242] = status(23);
    ram_[208] = status(24);
    SetConnected(true);
    setIOByte(status(19));
    emit NewRAMData(231, 2);
    emit NewRAMData(241, 2);
}
