#pragma once

// What the device object's source files share; for the CDevice files only.
#include "platform/Error.h"

#include <QString>
#include <cstdint>

namespace cdevice {

inline constexpr int32_t LogOnStateByte = 38;
inline constexpr int RecordLength = 8;
// The watchdog's status poll reads this many input registers from register 0.
inline constexpr int32_t StatusRegisters = 21;

[[noreturn]] inline void subscriptOutOfRange(const char *member)
{
    throw platform::Error(platform::err::SubscriptOutOfRange, QStringLiteral("CDevice.") + QLatin1String(member),
                          QStringLiteral("Subscript out of range"));
}

}  // namespace cdevice
