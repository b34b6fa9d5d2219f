#pragma once

// What the device object's source files share; for the CDevice files only.
#include "MBRequest.h"
#include "ModbusFunction.h"
#include "platform/Error.h"

#include <QString>
#include <algorithm>
#include <charconv>
#include <cstdint>

namespace cdevice {

inline constexpr int32_t LogOnStateByte = 38;
// Holding register i carries image byte i; the image's words are also written and read as holding registers, one window
// for the words at even image bytes and one for those at odd bytes, each a register per two bytes.
inline constexpr int32_t EvenWordRegisters = 256;
inline constexpr int32_t OddWordRegisters = 512;
inline constexpr int32_t WordWindowLength = 128;
// The watchdog's status poll reads this many input registers from register 0.
inline constexpr int32_t StatusRegisters = 21;

// Writes a request's key in the queue, "K" and the transaction id, over key: a block of a reused
// request that no copy shares is written in place.
inline void writeRequestKey(QString &key, int32_t transactionId)
{
    char text[16] = {'K'};
    const char *end = std::to_chars(text + 1, text + sizeof text, transactionId).ptr;
    key.resize(end - text);
    std::transform(static_cast<const char *>(text), end, key.data(), [](char c) { return QChar(QLatin1Char(c)); });
}

inline bool isStatusPoll(const MBRequest &request)
{
    return request.MBFunction() == modbus::ReadInputRegisters && request.StartAddress() == 0 &&
           request.Quantity() == StatusRegisters;
}

[[noreturn]] inline void subscriptOutOfRange(const char *member)
{
    throw platform::Error(platform::err::SubscriptOutOfRange, QStringLiteral("CDevice.") + QLatin1String(member),
                          QStringLiteral("Subscript out of range"));
}

}  // namespace cdevice
