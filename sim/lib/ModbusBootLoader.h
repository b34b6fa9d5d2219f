#pragma once

#include "PduResponder.h"

namespace devsim {

class BootLoaderFlash;

// The boot loader that speaks Modbus: function 4 at 0xE700 (48 registers) reads its
// identification; function 16 at 0xE000 begins a download, at 0xE001 ends it, and anywhere else
// writes one data byte per register from that address on. Writes are echoed.
class ModbusBootLoader : public PduResponder {
public:
    static constexpr quint16 IdentityAddress = 0xE700;
    static constexpr quint16 IdentityRegisters = 48;
    static constexpr quint16 BeginAddress = 0xE000;
    static constexpr quint16 StartAddress = 0xE001;

    explicit ModbusBootLoader(BootLoaderFlash &flash) : flash_(flash) {}

    QByteArray respond(const QByteArray &pdu) override;
    // Once the end command has been answered the loader hands over to the firmware.
    bool startRequested() const { return startRequested_; }
    void reset();

private:
    QByteArray identify(const QByteArray &pdu) const;
    QByteArray write(const QByteArray &pdu);

    BootLoaderFlash &flash_;
    bool begun_ = false;
    bool startRequested_ = false;
};

}  // namespace devsim
