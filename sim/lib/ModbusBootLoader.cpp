#include "ModbusBootLoader.h"

#include "BootLoaderFlash.h"
#include "Bytes.h"

namespace devsim {

namespace {

constexpr quint8 ReadInput = 4;
constexpr quint8 WriteRegisters = 16;
constexpr int AddressedPduSize = 5;

QByteArray exception(quint8 function, ExceptionCode code)
{
    return QByteArray(1, static_cast<char>(function | 0x80)) + static_cast<char>(code);
}

}  // namespace

void ModbusBootLoader::reset()
{
    begun_ = false;
    startRequested_ = false;
}

QByteArray ModbusBootLoader::respond(const QByteArray &pdu)
{
    if (pdu.isEmpty())
        return {};
    const quint8 function = static_cast<quint8>(pdu.at(0));
    if (function != ReadInput && function != WriteRegisters)
        return exception(function, IllegalFunction);
    if (pdu.size() < AddressedPduSize)
        return exception(function, IllegalDataValue);
    return function == ReadInput ? identify(pdu) : write(pdu);
}

QByteArray ModbusBootLoader::identify(const QByteArray &pdu) const
{
    if (pdu.size() != AddressedPduSize || wordAt(pdu, 1) != IdentityAddress || wordAt(pdu, 3) != IdentityRegisters)
        return exception(ReadInput, IllegalDataAddress);
    QByteArray reply;
    reply.append(static_cast<char>(ReadInput));
    reply.append(static_cast<char>(2 * IdentityRegisters));
    // Fields 0 to 6 fill the registers; the eighth does not fit.
    reply.append(flash_.identity("2.04", "MODBUS").left(2 * IdentityRegisters));
    return reply;
}

QByteArray ModbusBootLoader::write(const QByteArray &pdu)
{
    const quint16 address = wordAt(pdu, 1);
    const quint16 quantity = wordAt(pdu, 3);
    // The registers follow the quantity directly, with no byte count; each carries one byte.
    if (quantity == 0 || pdu.size() != AddressedPduSize + 2 * quantity)
        return exception(WriteRegisters, IllegalDataValue);
    QByteArray bytes;
    for (int i = 0; i < quantity; ++i) {
        const quint16 value = wordAt(pdu, AddressedPduSize + 2 * i);
        if (value > 0xFF)
            return exception(WriteRegisters, IllegalDataValue);
        bytes.append(static_cast<char>(value));
    }
    const bool command = quantity == 1 && (address == BeginAddress || address == StartAddress);
    if (command && address == BeginAddress) {
        flash_.erase();
        begun_ = true;
    } else if (!begun_) {
        // Nothing is written or started before a download has begun.
        return exception(WriteRegisters, IllegalDataAddress);
    } else if (command) {
        startRequested_ = true;
    } else {
        flash_.write(address, bytes);
    }
    return pdu.left(AddressedPduSize);
}

}  // namespace devsim
