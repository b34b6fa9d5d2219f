#pragma once

#include <cstdint>

// Where the vibration relay application keeps what the monitoring panel reads and writes: image
// bytes and status bits (CDevice::RAM, RAM2, Bit), input-register blocks and IO status bits.
namespace kvr {

// Register-image bytes and status bits.
inline constexpr int MonostableResetBit = 88;
inline constexpr int RmsInputDrivenBit = 96;
inline constexpr int FirstMonostableBit = 97;  // 97, 98, 99: outputs of limits 1, 2, 3
inline constexpr int FirstLimitWordByte = 45;  // 45, 46, 47
inline constexpr int FirstThresholdByte = 48;  // words at 48, 50, 52
inline constexpr int LowPassByte = 54;
inline constexpr int HighPassByte = 55;
inline constexpr int ServoByte = 56;
inline constexpr int FirstFactorByte = 160;  // words at 160 + 2i, i = 0..9: reduction factor x 100
inline constexpr double FactorScale = 100;
inline constexpr int FirstBandLimitByte = 180;  // words at 180 + 2i, i = 0..8: raw RMS
inline constexpr int LogOnByte = 38;

// Holding-register reads (one register per image byte).
inline constexpr int ConfigStart = 44;
inline constexpr int ConfigCount = 13;
inline constexpr int ConfigEnd = 57;  // first byte after the block, for the overlap test
inline constexpr int TableStart = 160;
inline constexpr int TableCount = 38;
inline constexpr int TableEnd = 198;

// Input-register reads.
inline constexpr int LiveStart = 272;
inline constexpr int LiveCount = 5;
inline constexpr int WaveformStart = 512;
inline constexpr int WaveformEnd = 576;
inline constexpr int WaveformCount = 121;
inline constexpr int WaveformChannelStride = 16;
inline constexpr int WavePages = 8;
inline constexpr int WaveSamples = 120;
inline constexpr int CountersStart = 768;
inline constexpr int CountersCount = 100;
inline constexpr int DiagnosticsStart = 256;
inline constexpr int DiagnosticsCount = 5;

// IO status bits (CDevice::IO).
inline constexpr int IoLimitColouring = 3;
inline constexpr int IoFirstLimitState = 4;  // 4, 5, 6: limits 1, 2, 3 tripped
inline constexpr int IoRmsInput = 7;

inline constexpr int Limits = 3;
inline constexpr int Bands = 10;
inline constexpr int BandLimits = 9;
inline constexpr float MaxBandLimit = 20.0f;

}  // namespace kvr
