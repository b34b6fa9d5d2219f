#pragma once

// What the device object's source files share; for the CDevice files only.
#include "MBRequest.h"
#include "ModbusFunction.h"
#include "platform/Error.h"

#include <QString>
#include <charconv>
#include <cstdint>

namespace cdevice {

inline constexpr int32_t LogOnStateByte = 38;
inline constexpr int RecordLength = 8;
// The watchdog's status poll reads this many input registers from register 0.
inline constexpr int32_t StatusRegisters = 21;

// A request's key in the queue: "K" and the transaction id, built in one go.
inline QString requestKey(int32_t transactionId)
{
    char text[16] = {'K'};
    const char *end = std::to_chars(text + 1, text + sizeof text, transactionId).ptr;
    return QString::fromLatin1(text, end - text);
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
