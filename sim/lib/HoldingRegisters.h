#pragma once

#include "PduResponder.h"

#include <optional>

namespace devsim {

class CommandProcessor;
class DeviceMemory;

// The holding-register windows onto the register image: register i (0..255) carries byte i,
// 256 + k the word at byte 2k and 512 + k the word at byte 2k + 1, both low byte first.
class HoldingRegisters {
public:
    HoldingRegisters(DeviceMemory &memory, CommandProcessor &commands) : memory_(memory), commands_(commands) {}

    std::optional<quint16> read(int address) const;
    ExceptionCode checkWrite(int address, quint16 value) const;
    // Writing the command register carries the command out.
    void write(int address, quint16 value);

private:
    // The first image byte a register covers and how many (1 or 2); 0 bytes for no register.
    struct Span {
        int first = 0;
        int bytes = 0;
    };
    static Span span(int address);

    DeviceMemory &memory_;
    CommandProcessor &commands_;
};

}  // namespace devsim
