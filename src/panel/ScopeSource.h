#pragma once

// What the panel's oscilloscope shows, by the index of its option buttons, and how often the
// data timer asks the device for it.
namespace kvr {

enum ScopeSource : int { SourceX = 0, SourceY, SourceZ, SourceModule, SourceAll, SourceNone, SourceRms };
inline constexpr int ScopeSources = 7;

// All and RMS show the five live values; X, Y, Z and Module one channel's waveform.
inline bool ShowsLiveValues(int source)
{
    return source == SourceAll || source == SourceRms;
}

inline constexpr int LiveSamplesPerSecond = 25;
inline constexpr int WaveformSamplesPerSecond = 500;
// At most one live read per 40 ms and one waveform read per 230 ms; both limits are exclusive.
inline constexpr double LiveReadInterval = 0.04;
inline constexpr double WaveformReadInterval = 0.23;

enum class DataRead { None, Live, Waveform };

// The read due after `elapsed` seconds since the last one.
inline DataRead NextDataRead(double elapsed, int source)
{
    if (elapsed > LiveReadInterval && ShowsLiveValues(source))
        return DataRead::Live;
    if (elapsed > WaveformReadInterval)
        return DataRead::Waveform;
    return DataRead::None;
}

}  // namespace kvr
