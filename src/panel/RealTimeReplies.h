#pragma once

#include <QByteArray>
#include <array>
#include <optional>
#include <vector>

// The function-4 replies the panel decodes. A reply is whole: unit, function, byte count, then
// the register bytes, high byte first.
namespace kvr {

// X, Y, Z and Module in m/s², RMS in mm/s.
struct LiveValues {
    std::array<float, 5> values{};
    float rms() const { return values[4]; }
};

struct WaveformPage {
    int channel = 0;  // 0 X, 1 Y, 2 Z, 3 Module
    std::vector<float> samples;
};

// The byte count of a reply that carries one, else nullopt.
std::optional<int> ReplyByteCount(const QByteArray &data);

std::optional<LiveValues> DecodeLive(int start, const QByteArray &data);
std::optional<WaveformPage> DecodeWaveform(int start, const QByteArray &data);
bool IsBandCounters(int start, const QByteArray &data);

}  // namespace kvr
