#include "ApplicationResponder.h"

#include "Bytes.h"
#include "DeviceMemory.h"
#include "VibrationApplication.h"

namespace devsim {

namespace {

constexpr quint8 ReadHolding = 3;
constexpr quint8 ReadInput = 4;
constexpr quint8 WriteCoil = 5;
constexpr quint8 WriteRegister = 6;
constexpr quint8 WriteRegisters = 16;
constexpr int AddressedPduSize = 5;  // function, address, quantity or value
constexpr quint16 CoilOn = 0xFF00;

bool validReadQuantity(int quantity)
{
    return quantity >= 1 && quantity <= ApplicationResponder::MaxReadQuantity;
}

}  // namespace

ApplicationResponder::ApplicationResponder(DeviceMemory &memory, VibrationApplication &application)
    : memory_(memory), application_(application), commands_(memory), holding_(memory, commands_), input_(memory)
{
    application_.serveInputs(input_);
    commands_.applicationCommand = [this](int code) { application_.execute(code); };
}

QByteArray ApplicationResponder::respond(const QByteArray &pdu)
{
    if (pdu.isEmpty())
        return {};
    const quint8 function = static_cast<quint8>(pdu.at(0));
    const bool addressed = pdu.size() >= AddressedPduSize;
    switch (function) {
    case ReadHolding:
    case ReadInput: {
        if (pdu.size() != AddressedPduSize)
            return exception(function, IllegalDataValue);
        const int start = wordAt(pdu, 1);
        const int quantity = wordAt(pdu, 3);
        return function == ReadHolding ? readHolding(function, start, quantity) : readInput(function, start, quantity);
    }
    case WriteCoil: return pdu.size() == AddressedPduSize ? writeCoil(pdu) : exception(function, IllegalDataValue);
    case WriteRegister:
        return pdu.size() == AddressedPduSize ? writeRegister(pdu) : exception(function, IllegalDataValue);
    case WriteRegisters: return addressed ? writeRegisters(pdu) : exception(function, IllegalDataValue);
    default: return exception(function, IllegalFunction);
    }
}

QByteArray ApplicationResponder::readHolding(quint8 function, int start, int quantity) const
{
    if (!validReadQuantity(quantity))
        return exception(function, IllegalDataValue);
    QByteArray data;
    for (int address = start; address < start + quantity; ++address) {
        const std::optional<quint16> value = holding_.read(address);
        if (!value)
            return exception(function, IllegalDataAddress);
        appendWord(data, *value);
    }
    return readReply(function, data);
}

QByteArray ApplicationResponder::readInput(quint8 function, int start, int quantity) const
{
    if (!validReadQuantity(quantity))
        return exception(function, IllegalDataValue);
    const std::optional<QByteArray> data = input_.read(start, quantity);
    return data ? readReply(function, *data) : exception(function, IllegalDataAddress);
}

QByteArray ApplicationResponder::writeCoil(const QByteArray &pdu)
{
    const int address = wordAt(pdu, 1);
    const quint16 value = wordAt(pdu, 3);
    if (value != CoilOn && value != 0)
        return exception(WriteCoil, IllegalDataValue);
    if (address >= DeviceMemory::ImageBits)
        return exception(WriteCoil, IllegalDataAddress);
    memory_.setImageBit(address, value == CoilOn);
    application_.coilWritten(address);
    return pdu;
}

QByteArray ApplicationResponder::writeRegister(const QByteArray &pdu)
{
    const int address = wordAt(pdu, 1);
    const quint16 value = wordAt(pdu, 3);
    if (const ExceptionCode code = checkWrite(address, value); code != NoException)
        return exception(WriteRegister, code);
    holding_.write(address, value);
    return pdu;
}

// Every register is checked before the first is written, so a refused request changes nothing.
QByteArray ApplicationResponder::writeRegisters(const QByteArray &pdu)
{
    const int start = wordAt(pdu, 1);
    const int quantity = wordAt(pdu, 3);
    if (quantity < 1 || quantity > MaxWriteQuantity || pdu.size() != AddressedPduSize + 2 * quantity)
        return exception(WriteRegisters, IllegalDataValue);
    for (int i = 0; i < quantity; ++i) {
        const ExceptionCode code = checkWrite(start + i, wordAt(pdu, AddressedPduSize + 2 * i));
        if (code != NoException)
            return exception(WriteRegisters, code);
    }
    for (int i = 0; i < quantity; ++i)
        holding_.write(start + i, wordAt(pdu, AddressedPduSize + 2 * i));
    return pdu.left(AddressedPduSize);
}

ExceptionCode ApplicationResponder::checkWrite(int address, quint16 value) const
{
    const ExceptionCode code = holding_.checkWrite(address, value);
    return code != NoException ? code : application_.checkWrite(address, value);
}

QByteArray ApplicationResponder::exception(quint8 function, ExceptionCode code)
{
    QByteArray reply;
    reply.append(static_cast<char>(function | 0x80));
    reply.append(static_cast<char>(code));
    return reply;
}

QByteArray ApplicationResponder::readReply(quint8 function, const QByteArray &data)
{
    QByteArray reply;
    reply.reserve(2 + data.size());
    reply.append(static_cast<char>(function));
    reply.append(static_cast<char>(data.size()));
    reply.append(data);
    return reply;
}

}  // namespace devsim
