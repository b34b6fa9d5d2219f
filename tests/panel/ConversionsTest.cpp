#include "lib/TallyCounters.h"
#include "panel/KvrUnits.h"
#include "panel/RealTimeReplies.h"
#include "panel/RmsStatistics.h"
#include "panel/ScopeSource.h"
#include "platform/Runtime.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

using namespace kvr;

TEST(LimitWords, LowestFunctionBitDecides)
{
    const std::pair<int32_t, int32_t> cases[] = {{0, Disabled}, {1, XAxis}, {2, YAxis},   {4, ZAxis},
                                                 {8, Module},   {16, Rms},  {24, Module}, {32, Disabled},
                                                 {48, Rms},     {3, XAxis}, {255, XAxis}};
    for (const auto &[word, function] : cases)
        EXPECT_EQ(LimitFunctionOf(word), function) << word;
    for (int32_t f = Disabled; f <= Rms; ++f) {
        EXPECT_EQ(LimitFunctionOf(LimitWordOf(f)), f);
        EXPECT_EQ(FunctionOfKey(ComboKey(f)), f);
    }
    EXPECT_FALSE(FunctionOfKey(QStringLiteral("x")));
}

TEST(Conversions, RawWordsAndUnits)
{
    const auto shown = [](float raw, int32_t kind) { return platform::runtime::round(RawToUnits(raw, kind), 1); };
    EXPECT_EQ(shown(32768, 1), 0.0);
    EXPECT_EQ(shown(0, 2), -327.0);
    EXPECT_EQ(shown(65535, 3), 327.0);
    EXPECT_EQ(shown(0, 7), -327.0) << "waveform axes convert as live axes";
    EXPECT_EQ(shown(6129, 4), 200.0);
    EXPECT_EQ(shown(6129, 9), 200.0);
    EXPECT_EQ(shown(22141, 5), 20.0);
    EXPECT_EQ(RawToUnits(40000, 0), 0.0f);
    EXPECT_EQ(RawToUnits(40000, 10), 0.0f);

    const std::tuple<float, int32_t, int32_t> writes[] = {
        {20, Rms, 22141},     {200, Module, 6129}, {-200, XAxis, 12726}, {200, ZAxis, 52810},
        {0, Disabled, 32768}, {1, Rms, 55},        {9, Rms, 4484}};
    for (const auto &[value, kind, raw] : writes)
        EXPECT_EQ(UnitsToRaw(value, kind), raw) << value << " kind " << kind;
    EXPECT_EQ(UnitsToRaw(1e30f, Rms), std::numeric_limits<int32_t>::max()) << "saturates instead of overflowing";
}

TEST(Conversions, ThresholdBoundsByFunction)
{
    const std::tuple<double, int32_t, const char *> cases[] = {
        {250, XAxis, "200"},  {-250, Disabled, "-200"}, {-0.1, Module, "0"},   {201, Module, "200"},
        {20.5, Rms, "20"},    {-1, Rms, "0"},           {200, YAxis, nullptr}, {-200, ZAxis, nullptr},
        {0, Module, nullptr}, {20, Rms, nullptr}};
    for (const auto &[value, function, bound] : cases) {
        const auto text = ThresholdBoundText(value, function);
        if (bound)
            EXPECT_EQ(text, QLatin1String(bound)) << value;
        else
            EXPECT_FALSE(text) << value;
    }
}

TEST(Conversions, FilterSliderAndCoefficient)
{
    EXPECT_EQ(SliderFrequency(255), 40585);
    EXPECT_EQ(SliderFrequency(203), 610);
    EXPECT_EQ(SliderFrequency(0), 0);
    EXPECT_EQ(FilterCoefficient(610), 255);
    EXPECT_EQ(FilterCoefficient(611), 255);
    EXPECT_EQ(FilterCoefficient(609), 203);
    EXPECT_EQ(FilterCoefficient(1), 2);
}

TEST(Tally, ClearedBitsAndCounters)
{
    const std::pair<uint8_t, int32_t> bytes[] = {{255, 0}, {254, 1}, {252, 2}, {248, 3},
                                                 {128, 7}, {0, 8},   {253, 2}, {250, 3}};
    for (const auto &[b, count] : bytes)
        EXPECT_EQ(ClearedBitCount(b), count) << int(b);

    QByteArray data(3 + 20, static_cast<char>(0xFF));
    EXPECT_EQ(DecodeTallyCounter(data, 3), 0);
    data[3] = static_cast<char>(254);
    EXPECT_EQ(DecodeTallyCounter(data, 3), 1);
    data[3] = static_cast<char>(255);
    data[3 + 4] = static_cast<char>(254);
    EXPECT_EQ(DecodeTallyCounter(data, 3), 33);
    EXPECT_EQ(DecodeTallyCounter(QByteArray(23, '\0'), 3), 39135392);
}

// The stand-in's counters are written by its own code; the panel must read what it wrote.
TEST(Tally, StandInCountersDecodeToTheirSeconds)
{
    devsim::TallyCounters counters;
    const quint32 values[] = {0, 1, 8, 32, 33, 34, 1088, 5400, 35936, 1185920, 39135391, 39135392};
    for (quint32 seconds : values) {
        counters.set(4, seconds);
        EXPECT_EQ(DecodeTallyCounter(counters.bytes(), 4 * 20), static_cast<int32_t>(seconds)) << seconds;
    }
    counters.set(0, 39135391);
    counters.add(0, 5);
    EXPECT_EQ(counters.seconds(0), 39135392u) << "a full counter stays at its top";
}

TEST(Tally, HoursAsShown)
{
    const std::pair<float, const char *> cases[] = {
        {0, "0:00:00"},     {1, "1:00:00"},           {1.5f, "1:30:00"},        {12.5f, "12:30:00"},
        {0.25f, "0:15:00"}, {1234.75f, "1234:45:00"}, {0.99999994f, "1:00:00"}, {-1.5f, "-2:30:00"}};
    for (const auto &[hours, text] : cases)
        EXPECT_EQ(FormatHours(hours), QLatin1String(text)) << hours;
    EXPECT_TRUE(FormatHours(static_cast<float>(39135392 / 3600.0)).startsWith(QStringLiteral("10870:56:")));
    EXPECT_EQ(FormatHours(static_cast<float>(5400 / 3600.0)), QStringLiteral("1:30:00"));
}

TEST(Bands, MarkerBandAndTheoreticalLength)
{
    const std::array<float, 9> limits = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const std::pair<float, int> marks[] = {{0.5f, 0}, {1, 1}, {2.9f, 2}, {3, 3}, {9, 9}, {100, 9}};
    for (const auto &[rms, band] : marks)
        EXPECT_EQ(BandOf(limits, rms), band) << rms;
    const std::pair<double, const char *> lengths[] = {{1, "5000"}, {3, "1667"}, {0.5, "10000"}, {0, "-"}, {-2, "-"}};
    for (const auto &[factor, text] : lengths)
        EXPECT_EQ(TheoreticalLength(factor), QLatin1String(text)) << factor;
}

TEST(Pacing, ReadsAreDueStrictlyAfterTheirIntervals)
{
    const std::tuple<double, int, DataRead> cases[] = {
        {0.04, SourceAll, DataRead::None},          {0.0401, SourceAll, DataRead::Live},
        {0.5, SourceRms, DataRead::Live},           {0.23, SourceX, DataRead::None},
        {0.2301, SourceModule, DataRead::Waveform}, {0.1, SourceY, DataRead::None},
        {0.3, SourceNone, DataRead::Waveform}};
    for (const auto &[elapsed, source, read] : cases)
        EXPECT_EQ(NextDataRead(elapsed, source), read) << elapsed << " source " << source;
}

TEST(Pacing, LiveReadsCountFromTheirSlotUntilAStall)
{
    // last slot, time of the read, the slot the next read counts from
    const std::tuple<double, double, double> cases[] = {
        {1.0, 1.05, 1.04}, {1.0, 1.0401, 1.04}, {1.0, 1.0799, 1.04}, {1.0, 1.08, 1.08}, {1.0, 3.0, 3.0}};
    for (const auto &[last, now, slot] : cases)
        EXPECT_DOUBLE_EQ(LiveReadSlot(last, now), slot) << last << " at " << now;
}

QByteArray reply(int byteCount, const QByteArray &bytes)
{
    return QByteArray("\x01\x04", 2) + static_cast<char>(byteCount) + bytes;
}

TEST(Replies, LiveWaveformAndCounterBlocks)
{
    // X 32768 + 1002 (10 m/s²), Y 32768, Z 32768 - 1002, module 6129, RMS 22141; high byte first.
    const QByteArray live = reply(10, QByteArray::fromHex("83EA"
                                                          "8000"
                                                          "7C16"
                                                          "17F1"
                                                          "567D"));
    const auto values = DecodeLive(272, live);
    ASSERT_TRUE(values);
    const float expected[] = {10.0f, 0.0f, -10.0f, 200.0f, 20.0f};
    for (int k = 0; k < 5; ++k)
        EXPECT_NEAR(values->values[static_cast<std::size_t>(k)], expected[k], 0.01f) << k;
    EXPECT_FALSE(DecodeLive(273, live));
    EXPECT_FALSE(DecodeLive(272, reply(8, QByteArray(8, '\0'))));
    EXPECT_FALSE(DecodeLive(272, live.left(10))) << "a reply shorter than its byte count";

    QByteArray words = QByteArray::fromHex("FFFF");  // register 0 of the page is no sample
    for (int j = 0; j < 120; ++j)
        words += j == 0 ? QByteArray::fromHex("83EA") : QByteArray::fromHex("8000");
    const auto page = DecodeWaveform(530, reply(242, words));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->channel, 1);
    ASSERT_EQ(page->samples.size(), 120u);
    EXPECT_NEAR(page->samples[0], 10.0f, 0.01f);
    EXPECT_EQ(page->samples[119], 0.0f);
    EXPECT_FALSE(DecodeWaveform(576, reply(242, words)));
    EXPECT_FALSE(DecodeWaveform(511, reply(242, words)));
    EXPECT_FALSE(DecodeWaveform(512, reply(240, words.left(240))));

    EXPECT_TRUE(IsBandCounters(768, reply(200, QByteArray(200, '\xFF'))));
    EXPECT_FALSE(IsBandCounters(769, reply(200, QByteArray(200, '\xFF'))));
    EXPECT_FALSE(IsBandCounters(768, reply(198, QByteArray(198, '\xFF'))));
}

}  // namespace
