#include "HoldingRegisters.h"

#include "CommandProcessor.h"
#include "DeviceMemory.h"

namespace devsim {

namespace {

constexpr int EvenWords = 256;
constexpr int OddWords = 512;
constexpr int WordsPerWindow = 128;

}  // namespace

HoldingRegisters::Span HoldingRegisters::span(int address)
{
    if (address >= 0 && address < DeviceMemory::ImageSize)
        return {address, 1};
    if (address >= EvenWords && address < EvenWords + WordsPerWindow)
        return {(address - EvenWords) * 2, 2};
    // The last odd word would reach past the image.
    if (address >= OddWords && address < OddWords + WordsPerWindow - 1)
        return {(address - OddWords) * 2 + 1, 2};
    return {};
}

std::optional<quint16> HoldingRegisters::read(int address) const
{
    const Span s = span(address);
    if (s.bytes == 0)
        return std::nullopt;
    const int high = s.bytes == 2 ? memory_.byte(s.first + 1) : 0;
    return static_cast<quint16>(memory_.byte(s.first) | (high << 8));
}

ExceptionCode HoldingRegisters::checkWrite(int address, quint16 value) const
{
    const Span s = span(address);
    if (s.bytes == 0)
        return IllegalDataAddress;
    if (s.bytes == 1 && value > 0xFF)
        return IllegalDataValue;
    return NoException;
}

void HoldingRegisters::write(int address, quint16 value)
{
    const Span s = span(address);
    memory_.setByte(s.first, static_cast<quint8>(value & 0xFF));
    if (s.bytes == 2)
        memory_.setByte(s.first + 1, static_cast<quint8>(value >> 8));
    if (address == CommandProcessor::CommandRegister)
        commands_.execute(value);
}

}  // namespace devsim
