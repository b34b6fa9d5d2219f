#include "VibrationSignals.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace devsim::vibrationSignals {
namespace {

constexpr double TwoPi = 6.283185307179586;
// The device counts 12 x 8.350662 per m/s² on its axes and 7.44 per mm/s of RMS velocity.
constexpr double AxisCounts = 100.20794677734375;
constexpr double AxisZero = 32768;
constexpr double ModuleDivisor = 256;
constexpr double RmsCounts = 7.44;

struct Wave {
    double amplitude;  // m/s²
    double frequency;  // Hz
    double phase;      // radians
};

// A slow swing, a machine harmonic and a little high-frequency chatter per axis.
constexpr std::array<std::array<Wave, 3>, Axes> Waves = {{
    {{{6.0, 0.8, 0.0}, {2.5, 23.0, 0.4}, {0.8, 97.0, 1.1}}},
    {{{4.0, 0.5, 1.3}, {3.0, 17.0, 2.0}, {0.6, 131.0, 0.2}}},
    {{{3.0, 1.1, 2.6}, {1.5, 41.0, 0.9}, {1.0, 73.0, 2.9}}},
}};

quint16 clampedWord(double value)
{
    return static_cast<quint16>(std::lround(std::clamp(value, 0.0, 65535.0)));
}

}  // namespace

double axis(int channel, double t)
{
    double sum = 0;
    for (const Wave &wave : Waves.at(static_cast<std::size_t>(channel)))
        sum += wave.amplitude * std::sin(TwoPi * wave.frequency * t + wave.phase);
    return sum;
}

double module(double t)
{
    double squares = 0;
    for (int c = 0; c < Axes; ++c)
        squares += axis(c, t) * axis(c, t);
    return std::sqrt(squares);
}

double rmsVelocity(double t)
{
    return 3.5 + 2.5 * std::sin(TwoPi * t / 60.0) + 0.8 * std::sin(TwoPi * t / 7.0);
}

quint16 axisWord(double metresPerSecond2)
{
    return clampedWord(AxisZero + metresPerSecond2 * AxisCounts);
}

quint16 moduleWord(double metresPerSecond2)
{
    const double root = metresPerSecond2 * AxisCounts / ModuleDivisor;
    return clampedWord(root * root);
}

quint16 rmsWord(double millimetresPerSecond)
{
    const double root = millimetresPerSecond * RmsCounts;
    return clampedWord(root * root);
}

quint16 liveWord(int channel, double t)
{
    if (channel < Axes)
        return axisWord(axis(channel, t));
    return channel == Axes ? moduleWord(module(t)) : rmsWord(rmsVelocity(t));
}

}  // namespace devsim::vibrationSignals
