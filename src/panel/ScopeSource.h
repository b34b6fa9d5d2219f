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

// The time a live read counts from. A 10 ms timer meets the strict 40 ms limit only on its fifth
// tick, which would give 20 samples a second under a time axis drawn for 25; counting from the
// slot the read was due in keeps the average at 25. After a stall the count starts afresh, so
// late reads never come in a burst.
inline double LiveReadSlot(double lastSlot, double now)
{
    const double due = lastSlot + LiveReadInterval;
    return now - due < LiveReadInterval ? due : now;
}

}  // namespace kvr
