#pragma once

#include "PduResponder.h"
#include "TallyCounters.h"

#include <QElapsedTimer>

namespace devsim {

class DeviceMemory;
class InputRegisters;

// The collision and vibration relay application the stand-in runs: its factory configuration, the
// moving live values and waveform pages, the RMS band counters, the rules of its configuration
// registers and the command that adopts a new RMS table.
class VibrationApplication {
public:
    static constexpr int DiagnosticsFirst = 256;
    static constexpr int DiagnosticsRegisters = 16;
    static constexpr int LiveFirst = 272;
    static constexpr int LiveRegisters = 5;
    static constexpr int WaveformFirst = 512;
    static constexpr int WaveformChannels = 4;
    static constexpr int WaveformStride = 16;
    static constexpr int WavePages = 8;
    static constexpr int PageSamples = 120;
    static constexpr int CountersFirst = 768;
    static constexpr int CounterRegisters = 100;
    static constexpr int AdoptTableCommand = 128;
    static constexpr int MonostableResetCoil = 256 + 88;
    // Image bytes of the limit words, the RMS table, and the status bit of input-driven counting.
    static constexpr int FirstLimitWord = 45;
    static constexpr int CollisionLimitWord = 47;
    static constexpr int FirstBandLimit = 180;
    static constexpr int FirstFactor = 160;
    static constexpr int InputDrivenBit = 96;
    static constexpr int RmsInputIoBit = 7;

    explicit VibrationApplication(DeviceMemory &memory);

    // Serves the live, waveform, counter and diagnostic blocks.
    void serveInputs(InputRegisters &inputs);
    // Limit words 1 and 2 take 0 or one function bit (1, 2, 4, 8, 16); the collision limit 0 or 8.
    ExceptionCode checkWrite(int address, quint16 value) const;
    // The monostable reset bit clears itself once the outputs are reset.
    void coilWritten(int coil);
    // Command 128 adopts the uploaded table and restarts the statistics.
    void execute(int code);

    // The band counters, counted on to now first. Seconds count in the band of the RMS velocity
    // of that second, while the evaluation runs: always, or with the input when input driven.
    TallyCounters &counters();
    int tableAdoptions() const { return tableAdoptions_; }
    int monostableResets() const { return monostableResets_; }
    // Seconds since the application started.
    double elapsed() const;

private:
    void loadFactoryConfiguration();
    void countToNow();
    int bandOf(quint16 rmsWord) const;
    bool evaluating() const;
    QByteArray waveformPage(int channel, int page) const;

    DeviceMemory &memory_;
    QElapsedTimer clock_;
    TallyCounters counters_;
    qint64 countedSeconds_ = 0;
    int tableAdoptions_ = 0;
    int monostableResets_ = 0;
};

}  // namespace devsim
