#pragma once

#include <QDateTime>
#include <array>
#include <cstdint>

// The device clock as the register image holds it: seconds, minutes, hours, day of month with
// the year within the leap cycle in its top two bits, and month, all BCD.
namespace DeviceClock {

using Image = std::array<uint8_t, 5>;

// The date and time the bytes hold, the year placed in the leap cycle at or before currentYear.
// A field out of range or not decimal gives the zero date (30 December 1899, 00:00:00).
QDateTime decode(const Image &bytes, int currentYear);

// The six values the clock command takes: second, minute, hour, day with the leap-cycle year,
// month (BCD), and the year within its century (binary).
std::array<int32_t, 6> encode(const QDateTime &when);

QDateTime zeroDate();

// The latest year not after currentYear whose remainder modulo 4 is cycleYear (0..3).
int yearInCycle(int cycleYear, int currentYear);

}  // namespace DeviceClock
