#pragma once

#include "CommandProcessor.h"
#include "HoldingRegisters.h"
#include "InputRegisters.h"
#include "PduResponder.h"

namespace devsim {

class DeviceMemory;
class VibrationApplication;

// The application firmware's Modbus functions: 3 and 4 read, 5 writes a coil (an image bit),
// 6 one holding register, and the device's 16, whose register values follow the quantity
// directly, with no byte count.
class ApplicationResponder : public PduResponder {
public:
    static constexpr int MaxReadQuantity = 125;
    // Without a byte count a request of 124 registers still fits the largest frame.
    static constexpr int MaxWriteQuantity = 124;

    ApplicationResponder(DeviceMemory &memory, VibrationApplication &application);

    QByteArray respond(const QByteArray &pdu) override;

private:
    QByteArray readHolding(quint8 function, int start, int quantity) const;
    QByteArray readInput(quint8 function, int start, int quantity) const;
    QByteArray writeCoil(const QByteArray &pdu);
    QByteArray writeRegister(const QByteArray &pdu);
    QByteArray writeRegisters(const QByteArray &pdu);
    ExceptionCode checkWrite(int address, quint16 value) const;
    static QByteArray exception(quint8 function, ExceptionCode code);
    static QByteArray readReply(quint8 function, const QByteArray &data);

    DeviceMemory &memory_;
    VibrationApplication &application_;
    CommandProcessor commands_;
    HoldingRegisters holding_;
    InputRegisters input_;
};

}  // namespace devsim
