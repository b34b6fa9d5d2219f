#include "VibrationApplication.h"

#include "Bytes.h"
#include "DeviceMemory.h"
#include "InputRegisters.h"
#include "VibrationSignals.h"

#include <cmath>

namespace devsim {
namespace {

constexpr int BandLimits = 9;
constexpr int Bands = 10;
constexpr int RingSamples = VibrationApplication::WavePages * VibrationApplication::PageSamples;

bool isFunctionWord(quint16 value)
{
    return value == 0 || value == 1 || value == 2 || value == 4 || value == 8 || value == 16;
}

void setWord(DeviceMemory &memory, int index, quint16 value)
{
    memory.setByte(index, static_cast<quint8>(value & 0xFF));
    memory.setByte(index + 1, static_cast<quint8>(value >> 8));
}

quint16 wordOf(const DeviceMemory &memory, int index)
{
    return static_cast<quint16>(memory.byte(index) | (memory.byte(index + 1) << 8));
}

// A block of `registers` words starting at offset, or nothing when the read runs past it.
std::optional<QByteArray> slice(const QByteArray &block, int offset, int quantity)
{
    if (offset + quantity > block.size() / 2)
        return std::nullopt;
    return block.mid(offset * 2, quantity * 2);
}

}  // namespace

VibrationApplication::VibrationApplication(DeviceMemory &memory) : memory_(memory)
{
    clock_.start();
    loadFactoryConfiguration();
}

// Limit 1 on the X axis at 50 m/s², limit 2 on RMS at 8 mm/s, the collision limit at 150 m/s²;
// filters at about 200 Hz (low-pass), 5 Hz (high-pass) and 100 Hz (servo); band limits 1 to 9 mm/s.
void VibrationApplication::loadFactoryConfiguration()
{
    using namespace vibrationSignals;
    memory_.setByte(FirstLimitWord, 1);
    memory_.setByte(FirstLimitWord + 1, 16);
    memory_.setByte(CollisionLimitWord, 8);
    setWord(memory_, 48, axisWord(50));
    setWord(memory_, 50, rmsWord(8));
    setWord(memory_, 52, moduleWord(150));
    memory_.setByte(54, 143);
    memory_.setByte(55, 8);
    memory_.setByte(56, 99);
    const quint16 factors[Bands] = {50, 75, 100, 100, 125, 150, 200, 300, 400, 500};
    for (int i = 0; i < Bands; ++i) {
        if (i < BandLimits)
            setWord(memory_, FirstBandLimit + 2 * i, rmsWord(i + 1));
        setWord(memory_, FirstFactor + 2 * i, factors[i]);
    }
}

double VibrationApplication::elapsed() const
{
    return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

void VibrationApplication::serveInputs(InputRegisters &inputs)
{
    inputs.addBlock(DiagnosticsFirst, DiagnosticsFirst + DiagnosticsRegisters - 1, [](int offset, int quantity) {
        return slice(QByteArray(DiagnosticsRegisters * 2, '\0'), offset, quantity);
    });
    inputs.addBlock(LiveFirst, LiveFirst + LiveRegisters - 1, [this](int offset, int quantity) {
        const double t = elapsed();
        QByteArray block;
        for (int channel = 0; channel < LiveRegisters; ++channel)
            appendWord(block, vibrationSignals::liveWord(channel, t));
        return slice(block, offset, quantity);
    });
    inputs.addBlock(WaveformFirst, WaveformFirst + WaveformChannels * WaveformStride - 1,
                    [this](int offset, int quantity) -> std::optional<QByteArray> {
                        const int page = offset % WaveformStride;
                        if (page >= WavePages)
                            return std::nullopt;
                        return slice(waveformPage(offset / WaveformStride, page), 0, quantity);
                    });
    inputs.addBlock(CountersFirst, CountersFirst + CounterRegisters - 1,
                    [this](int offset, int quantity) { return slice(counters().bytes(), offset, quantity); });
}

// Each channel records into a ring of eight pages of 120 samples at 500 a second; page p holds
// the latest samples written to its slots. Word 0 of a page is its number.
QByteArray VibrationApplication::waveformPage(int channel, int page) const
{
    using namespace vibrationSignals;
    const auto written = static_cast<qint64>(std::floor(elapsed() * WaveformRate));
    QByteArray block;
    appendWord(block, static_cast<quint16>(page));
    for (int j = 0; j < PageSamples; ++j) {
        const qint64 slot = page * PageSamples + j;
        const qint64 index = written - ((written - slot) % RingSamples + RingSamples) % RingSamples;
        const double t = static_cast<double>(index) / WaveformRate;
        appendWord(block, channel < Axes ? axisWord(axis(channel, t)) : moduleWord(module(t)));
    }
    return block;
}

ExceptionCode VibrationApplication::checkWrite(int address, quint16 value) const
{
    if (address == FirstLimitWord || address == FirstLimitWord + 1)
        return isFunctionWord(value) ? NoException : IllegalDataValue;
    if (address == CollisionLimitWord)
        return value == 0 || value == 8 ? NoException : IllegalDataValue;
    return NoException;
}

void VibrationApplication::coilWritten(int coil)
{
    if (coil != MonostableResetCoil || !memory_.imageBit(coil))
        return;
    ++monostableResets_;
    memory_.setImageBit(coil, false);
}

void VibrationApplication::execute(int code)
{
    if (code != AdoptTableCommand)
        return;
    countToNow();
    counters_.clear();
    ++tableAdoptions_;
}

TallyCounters &VibrationApplication::counters()
{
    countToNow();
    return counters_;
}

bool VibrationApplication::evaluating() const
{
    return !memory_.statusBit(InputDrivenBit) || (memory_.ioByte >> RmsInputIoBit & 1);
}

int VibrationApplication::bandOf(quint16 rmsWord) const
{
    for (int i = 0; i < BandLimits; ++i) {
        if (wordOf(memory_, FirstBandLimit + 2 * i) > rmsWord)
            return i;
    }
    return BandLimits;
}

void VibrationApplication::countToNow()
{
    const auto now = static_cast<qint64>(elapsed());
    for (; countedSeconds_ < now; ++countedSeconds_) {
        if (evaluating())
            counters_.add(bandOf(vibrationSignals::rmsWord(vibrationSignals::rmsVelocity(countedSeconds_))), 1);
    }
}

}  // namespace devsim
