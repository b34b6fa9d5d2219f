#include "RealTimeReplies.h"

#include "KvrDeviceMap.h"
#include "KvrUnits.h"
#include "core/mdlTools.h"
#include "device/ModbusFunction.h"

namespace kvr {
namespace {

constexpr int HeadBytes = 3;
constexpr int LiveBytes = 2 * LiveCount;
constexpr int WaveformBytes = 2 * (WaveformCount - 1);
constexpr int CounterBytes = 2 * CountersCount;

// The word whose high byte stands at data[at].
float wordAt(const QByteArray &data, int at)
{
    return static_cast<float>(
        mdlTools::MakeWord(static_cast<uint8_t>(data.at(at + 1)), static_cast<uint8_t>(data.at(at))));
}

}  // namespace

std::optional<int> ReplyByteCount(const QByteArray &data)
{
    if (data.size() < HeadBytes || static_cast<uint8_t>(data.at(1)) != modbus::ReadInputRegisters)
        return std::nullopt;
    const int count = static_cast<uint8_t>(data.at(2));
    if (count < 2 || data.size() < HeadBytes + count)
        return std::nullopt;
    return count;
}

std::optional<LiveValues> DecodeLive(int start, const QByteArray &data)
{
    if (start != LiveStart || ReplyByteCount(data) != LiveBytes)
        return std::nullopt;
    LiveValues live;
    for (int k = 0; k < LiveCount; ++k)
        live.values[static_cast<std::size_t>(k)] = RawToUnits(wordAt(data, HeadBytes + 2 * k), k + 1);
    return live;
}

// Register 0 of a page (bytes 3 and 4) is not a sample.
std::optional<WaveformPage> DecodeWaveform(int start, const QByteArray &data)
{
    if (start < WaveformStart || start >= WaveformEnd || ReplyByteCount(data) != WaveformBytes + 2)
        return std::nullopt;
    WaveformPage page;
    page.channel = (start - WaveformStart) / WaveformChannelStride;
    page.samples.reserve(WaveSamples);
    for (int j = 0; j < WaveSamples; ++j)
        page.samples.push_back(RawToUnits(wordAt(data, HeadBytes + 2 + 2 * j), FirstWaveformKind + page.channel));
    return page;
}

bool IsBandCounters(int start, const QByteArray &data)
{
    return start == CountersStart && ReplyByteCount(data) == CounterBytes;
}

}  // namespace kvr
