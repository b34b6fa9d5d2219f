#include "display/CursorSpan.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

std::optional<CursorSpan> measureOver(const std::vector<float> &ring, int32_t c1, int32_t c2)
{
    return CursorSpan::measure(c1, c2, static_cast<int32_t>(ring.size()) - 1,
                               [&](int32_t slot) { return ring.at(static_cast<std::size_t>(slot)); });
}

}  // namespace

TEST(CursorSpan, ForwardSpanCountsBothEnds)
{
    std::vector<float> ring(1000, 0.0f);
    for (int i = 100; i <= 109; ++i)
        ring[i] = static_cast<float>(i - 100);  // 0 .. 9
    const auto span = measureOver(ring, 100, 109);
    ASSERT_TRUE(span);
    EXPECT_EQ(span->count, 10);
    EXPECT_DOUBLE_EQ(span->minimum, 0);
    EXPECT_DOUBLE_EQ(span->maximum, 9);
    EXPECT_DOUBLE_EQ(span->average, 4.5);
    EXPECT_NEAR(span->rms, std::sqrt(28.5), 1e-12);
    const auto texts = span->labels(1000);
    EXPECT_EQ(texts[0], QStringLiteral("10 "));
    EXPECT_EQ(texts[1], QStringLiteral("10 "));
}

TEST(CursorSpan, SpanOverTheRingEndTakesEachSlotOnce)
{
    // Slots BufferSize - 1, BufferSize, 0 and 1.
    std::vector<float> ring(50, 100.0f);
    ring[48] = 1;
    ring[49] = 2;
    ring[0] = 3;
    ring[1] = -6;
    const auto span = measureOver(ring, 48, 1);
    ASSERT_TRUE(span);
    EXPECT_EQ(span->count, 4);
    EXPECT_DOUBLE_EQ(span->minimum, -6);
    EXPECT_DOUBLE_EQ(span->maximum, 3);
    EXPECT_DOUBLE_EQ(span->average, 0);
    EXPECT_DOUBLE_EQ(span->rms, std::sqrt(50.0 / 4));
}

TEST(CursorSpan, OneSampleIsItsOwnMinMaxAverageAndMagnitude)
{
    std::vector<float> ring(10, 0.0f);
    ring[5] = -2.5f;
    const auto span = measureOver(ring, 5, 5);
    ASSERT_TRUE(span);
    EXPECT_EQ(span->count, 1);
    EXPECT_DOUBLE_EQ(span->minimum, -2.5);
    EXPECT_DOUBLE_EQ(span->maximum, -2.5);
    EXPECT_DOUBLE_EQ(span->average, -2.5);
    EXPECT_DOUBLE_EQ(span->rms, 2.5);
}

TEST(CursorSpan, FirstValueSeedsBothExtremes)
{
    // A falling run: every later value is below the first, so the maximum stays the first value.
    std::vector<float> ring = {5, 4, 3, 2, 1};
    const auto span = measureOver(ring, 0, 4);
    EXPECT_DOUBLE_EQ(span->maximum, 5);
    EXPECT_DOUBLE_EQ(span->minimum, 1);
}

TEST(CursorSpan, CursorsOutsideTheRingMeasureNothing)
{
    std::vector<float> ring(10, 1.0f);
    EXPECT_FALSE(measureOver(ring, -1, 3));
    EXPECT_FALSE(measureOver(ring, 2, 10));
}

TEST(CursorSpan, LabelsRoundTheTimeAndShowTwoDecimals)
{
    CursorSpan span;
    span.count = 3;
    span.minimum = -1.234;
    span.maximum = 2.5;
    span.rms = 1.5;
    span.average = -0.5;
    const auto texts = span.labels(2000);  // 1.5 ms rounds to even: 2
    EXPECT_EQ(texts[0], QStringLiteral("2 "));
    EXPECT_EQ(texts[1], QStringLiteral("3 "));
    EXPECT_EQ(texts[2], QStringLiteral("-1.23 "));
    EXPECT_EQ(texts[3], QStringLiteral("2.50 "));
    EXPECT_EQ(texts[4], QStringLiteral("3.73 "));
    EXPECT_EQ(texts[5], QStringLiteral("1.50 "));
    EXPECT_EQ(texts[6], QStringLiteral("-0.50 "));
}
