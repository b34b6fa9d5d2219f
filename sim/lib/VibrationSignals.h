#pragma once

#include <QtGlobal>

namespace devsim {

// The accelerations the stand-in's sensor "measures": each axis a sum of a few sine waves, the
// module their length, and an RMS velocity that drifts slowly, so that a person sees motion. All
// are functions of time alone, as raw device words.
namespace vibrationSignals {

inline constexpr int Axes = 3;
inline constexpr int WaveformRate = 500;  // samples per second of the waveform buffers

// Acceleration of axis 0..2 in m/s², its module, and the RMS velocity in mm/s, at t seconds.
double axis(int channel, double t);
double module(double t);
double rmsVelocity(double t);

// The device's words: axes offset by 32768, module and RMS as squares.
quint16 axisWord(double metresPerSecond2);
quint16 moduleWord(double metresPerSecond2);
quint16 rmsWord(double millimetresPerSecond);

// The live block word of channel 0..4 (X, Y, Z, Module, RMS) at t seconds.
quint16 liveWord(int channel, double t);

}  // namespace vibrationSignals
}  // namespace devsim
