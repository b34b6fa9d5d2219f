#pragma once

#include <cstdint>

// The Modbus function codes spoken with the device, and the bit that marks a reply as an exception.
namespace modbus {

enum Function : uint8_t {
    ReadHoldingRegisters = 3,
    ReadInputRegisters = 4,
    WriteSingleCoil = 5,
    WriteSingleRegister = 6,
    WriteMultipleRegisters = 16,
};

// An exception reply carries the function of its request with this bit set.
constexpr uint8_t ExceptionFlag = 0x80;

constexpr bool isException(uint8_t function)
{
    return (function & ExceptionFlag) != 0;
}

}  // namespace modbus
