#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

// The RMS velocity statistics: the device's band counters, the hours shown for them, and which
// band a velocity falls in.
namespace kvr {

// A counter byte is a tally the device wears down from bit 0 upward: 255 counts 0, 254 counts 1,
// 252 counts 2, ..., 0 counts 8. Other bytes give the rounded logarithm all the same.
int32_t ClearedBitCount(uint8_t b);

// The seconds held by the 20 counter bytes from data[offset]: five groups of four bytes, each
// group one base-33 digit (the sum of its byte counts), group 0 lowest.
int32_t DecodeTallyCounter(const QByteArray &data, int offset);

// Whole hours, a colon, minutes and seconds ("1:30:00", "1234:45:00").
QString FormatHours(float hours);

// The band of a velocity: the first limit strictly above it, 9 when none is; a value equal to a
// limit belongs to the band above it.
int BandOf(const std::array<float, 9> &limits, float rms);

// The theoretical length of a band, 5000 divided by its reduction factor without decimals, or "-"
// for a factor of 0 or below.
QString TheoreticalLength(double factor);

}  // namespace kvr
