#include "ScopeFixture.h"
#include "display/ScopeGeometry.h"
#include "platform/Error.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <limits>

TEST(ScopeGeometry, RingWrapAndPixelConversions)
{
    ScopeGeometry g;
    g.width = 500;
    g.height = 400;
    g.bufferSize = 10;
    EXPECT_EQ(g.wrapIndex(11), 0);
    EXPECT_EQ(g.wrapIndex(-1), 10);
    EXPECT_EQ(g.wrapIndex(10), 10);
    EXPECT_EQ(g.wrapIndex(-23), 10);
    EXPECT_EQ(ScopeGeometry::wrap(5, 0), 0);

    // 1000 samples per second, 1000 ms and 50 pixels per division over 500 pixels.
    g.bufferSize = 1000000;
    EXPECT_EQ(g.visibleSamples(), 10000.0f);
    EXPECT_FLOAT_EQ(g.pixelsPerSample(), 0.05f);
    EXPECT_EQ(g.samplesPerPixel(), 20.0f);

    g.xOffset = 100;
    EXPECT_FLOAT_EQ(g.sampleToX(300), 10.0f);
    EXPECT_FLOAT_EQ(g.sampleToX(99), 1000000 * 0.05f);  // behind the left edge: a full ring to the right
    EXPECT_EQ(g.xToSample(10), 300);
    // A track shifted by 40 samples shows its sample 260 where others show 300.
    EXPECT_FLOAT_EQ(g.sampleToX(260, 40), 10.0f);
    EXPECT_EQ(g.xToSample(10, 40), 260);
    // Halves round to even.
    g.xScale = 50;
    g.xOffset = 0;
    EXPECT_EQ(g.xToSample(2.5f * 1), 2);  // 2.5 samples
    EXPECT_EQ(g.xToSample(3.5f * 1), 4);  // 3.5 samples

    g.zeroPosition = 0.5f;
    EXPECT_EQ(g.valueToY(0, 2, 0), 200.0f);
    EXPECT_EQ(g.valueToY(4, 2, 0), 100.0f);
    EXPECT_EQ(g.valueToY(4, 2, 4), 200.0f);
    EXPECT_EQ(g.yToValue(100, 2, 0), 4.0f);
    EXPECT_EQ(g.yToValue(400, 2, 1), -7.0f);
}

TEST(ScopeGeometry, ShownSamplesEndBeforeTheWritePosition)
{
    ScopeGeometry g;
    g.width = 500;
    g.bufferSize = 99;
    g.xScale = 100;  // 100 samples per division: 1000 visible
    g.xOffset = 90;
    EXPECT_EQ(g.shownSamples(90), 0);  // nothing written since the sweep restart
    EXPECT_EQ(g.shownSamples(95), 5);
    EXPECT_EQ(g.shownSamples(10), 20);  // over the ring's end
    g.xScale = 1;                       // 1 sample per division: 10 visible
    EXPECT_EQ(g.shownSamples(10), 11);
    g.xScale = std::numeric_limits<float>::max();
    EXPECT_EQ(g.shownSamples(89), 99);  // never more than the ring holds
}

TEST(Oscilloscope, DrawPointAdvancesTheWritePositionRoundTheRing)
{
    Oscilloscope scope;
    scope.setBufferSize(10);
    for (int i = 0; i < 11; ++i)
        scope.DrawPoint();
    EXPECT_EQ(scope.BufferPtr(), 0);
    scope.DrawPoint();
    EXPECT_EQ(scope.BufferPtr(), 1);
    scope.setHold(true);
    scope.DrawPoint();
    EXPECT_EQ(scope.BufferPtr(), 1);
    EXPECT_EQ(scope.WrapIndex(11), 0);
    EXPECT_EQ(scope.WrapIndex(-1), 10);
    EXPECT_EQ(scope.WrapIndex(10), 10);
}

TEST(Oscilloscope, SweepRestartsAtTheLeftEdgeOnceTheScreenIsFull)
{
    ScopeFixture f(100, 80);
    Oscilloscope &scope = *f.scope;
    scope.setXScale(100);  // 1000 samples per second: 100 per division, 200 across 100 pixels
    ASSERT_EQ(scope.VisibleSamples(), 200.0f);
    scope.Tracks().Add();
    for (int i = 0; i < 201; ++i)
        f.feed({1});
    EXPECT_EQ(scope.XOffset(), 0);
    EXPECT_EQ(scope.ScreenCount(), 200);
    f.feed({1});
    EXPECT_EQ(scope.XOffset(), 201);
    EXPECT_EQ(scope.ScreenCount(), 0);
    EXPECT_EQ(scope.BufferPtr(), 202);
}

TEST(Oscilloscope, ClearBufferAndClear)
{
    Oscilloscope scope;
    scope.setBufferSize(50);
    for (int i = 0; i < 7; ++i)
        scope.DrawPoint();
    scope.setHold(true);
    scope.ClearBuffer(false);
    EXPECT_EQ(scope.BufferPtr(), 7);
    scope.setHold(false);
    scope.Clear();
    EXPECT_EQ(scope.XOffset(), 7);
    scope.ClearBuffer(false);
    EXPECT_EQ(scope.BufferPtr(), 0);
    EXPECT_EQ(scope.ScreenCount(), 0);
    EXPECT_EQ(scope.XOffset(), 7);
}

TEST(Oscilloscope, TriggerFlagsTheOpenSamplePeriodEvenWhileHeld)
{
    Oscilloscope scope;
    scope.setBufferSize(10);
    scope.DrawPoint();
    scope.setTrigger(true);
    EXPECT_TRUE(scope.TriggerFlags(1));
    EXPECT_TRUE(scope.TriggerFlags(12));
    scope.setHold(true);
    scope.setTrigger(false);
    EXPECT_FALSE(scope.TriggerFlags(1));
}

TEST(Oscilloscope, SetterChecks)
{
    Oscilloscope scope;
    for (const float good : {0.0f, 1.0f, 0.25f}) {
        scope.setZeroPosition(good);
        EXPECT_EQ(scope.ZeroPosition(), good);
    }
    for (const float bad : {1.01f, -0.1f, std::numeric_limits<float>::quiet_NaN()}) {
        try {
            scope.setZeroPosition(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const platform::Error &e) {
            EXPECT_EQ(e.number(), static_cast<int32_t>(0x80040001u));
            EXPECT_EQ(e.description(), QStringLiteral("Invalid property value"));
        }
        EXPECT_EQ(scope.ZeroPosition(), 0.25f);
    }

    // Rejected silently, keeping the old value.
    scope.setXScale(0);
    scope.setXScale(-5);
    scope.setXScale(std::numeric_limits<float>::quiet_NaN());
    scope.setXScale(std::numeric_limits<float>::infinity());
    EXPECT_EQ(scope.XScale(), 1000.0f);
    scope.setSamplesPerSecond(0);
    scope.setSamplesPerSecond(-25);
    EXPECT_EQ(scope.SamplesPerSecond(), 1000);
    // Spacings below a pixel would make the grid loop endless and the sample maths divide by zero.
    scope.setXGridSpacing(0);
    scope.setYGridSpacing(0.2f);
    EXPECT_EQ(scope.XGridSpacing(), 50.0f);
    EXPECT_EQ(scope.YGridSpacing(), 50.0f);
    scope.setBufferSize(-1);
    EXPECT_EQ(scope.BufferSize(), 1000000);

    scope.setBufferSize(10);
    scope.setXOffset(-1);
    EXPECT_EQ(scope.XOffset(), 10);
    scope.setXOffset(23);
    EXPECT_EQ(scope.XOffset(), 1);
}

TEST(Oscilloscope, ChangingTheRingSizeResizesEveryTrackAndKeepsSharedSlots)
{
    Oscilloscope scope;
    scope.setBufferSize(20);
    const auto track = scope.Tracks().Add();
    for (int i = 0; i <= 20; ++i)
        track->setBuffer(i, static_cast<float>(i));
    for (int i = 0; i < 15; ++i)
        scope.DrawPoint();
    scope.setTrigger(true);

    scope.setBufferSize(9);
    EXPECT_EQ(track->Samples().size(), 10u);
    EXPECT_EQ(track->Buffer(9), 9.0f);
    EXPECT_EQ(scope.BufferPtr(), 5);  // 15 wrapped into the smaller ring
    EXPECT_EQ(track->Buffer(10), 0.0f);

    scope.setBufferSize(30);
    EXPECT_EQ(track->Samples().size(), 31u);
    EXPECT_EQ(track->Buffer(30), 0.0f);
    EXPECT_EQ(track->Buffer(3), 3.0f);
    const auto later = scope.Tracks().Add();
    EXPECT_EQ(later->Samples().size(), 31u);
}

TEST(OscilloscopePersistence, DefaultsAreNotStoredAndZeroPositionIsInPercent)
{
    Oscilloscope fresh;
    PropertyBag bag;
    fresh.WriteProperties(bag);
    EXPECT_TRUE(bag.Keys().isEmpty()) << bag.Keys().join(',').toStdString();

    PropertyBag stored;
    stored.WriteProperty(QStringLiteral("ZeroPosition"), 25.0f, 50.0f);
    stored.WriteProperty(QStringLiteral("XScale"), 200.0f, 1000.0f);
    stored.WriteProperty(QStringLiteral("BufferSize"), 99, 1000000);
    stored.WriteProperty(QStringLiteral("GridVisible"), false, true);
    stored.WriteProperty(QStringLiteral("RealTimeViewDecimation"), 4, 1);
    stored.WriteProperty(QStringLiteral("EnableControlPanel"), false, true);
    Oscilloscope restored(stored);
    EXPECT_EQ(restored.ZeroPosition(), 0.25f);
    EXPECT_EQ(restored.XScale(), 200.0f);
    EXPECT_EQ(restored.BufferSize(), 99);
    EXPECT_FALSE(restored.GridVisible());
    EXPECT_EQ(restored.RealTimeViewDecimation(), 4);
    EXPECT_FALSE(restored.EnableControlPanel());
    EXPECT_FALSE(restored.TriggerFlags(99));  // flags span the stored ring

    restored.setZeroPosition(0.5f);
    restored.setHold(true);
    restored.setBackColor(0x102030);
    restored.setSamplesPerSecond(25);
    PropertyBag written;
    restored.WriteProperties(written);
    EXPECT_EQ(written.Keys(), QStringList({"Hold", "BackColor", "GridVisible", "BufferSize", "XScale",
                                           "SamplesPerSecond", "EnableControlPanel", "RealTimeViewDecimation"}));
    EXPECT_FALSE(written.Contains(QStringLiteral("ZeroPosition")));  // 0.5 is stored as 50, the default
    restored.setZeroPosition(0.75f);
    restored.WriteProperties(written);
    EXPECT_EQ(written.ReadProperty(QStringLiteral("ZeroPosition"), 50.0f).toFloat(), 75.0f);
}

TEST(OscilloscopePersistence, StoredValuesNoSetterWouldAcceptFallBackToDefaults)
{
    PropertyBag stored;
    stored.WriteProperty(QStringLiteral("ZeroPosition"), 250.0f, 50.0f);
    stored.WriteProperty(QStringLiteral("BufferSize"), -3, 1000000);
    stored.WriteProperty(QStringLiteral("XGridSpacing"), 0.0f, 50.0f);
    stored.WriteProperty(QStringLiteral("XScale"), QStringLiteral("fast"), 1000.0f);
    stored.WriteProperty(QStringLiteral("SamplesPerSecond"), 0, 1000);
    stored.WriteProperty(QStringLiteral("RealTimeViewDecimation"), 0, 1);
    Oscilloscope restored(stored);
    EXPECT_EQ(restored.ZeroPosition(), 0.5f);
    EXPECT_EQ(restored.BufferSize(), 1000000);
    EXPECT_EQ(restored.XGridSpacing(), 50.0f);
    EXPECT_EQ(restored.XScale(), 1000.0f);
    EXPECT_EQ(restored.SamplesPerSecond(), 1000);
    EXPECT_EQ(restored.RealTimeViewDecimation(), 1);
}

TEST(OscilloscopePersistence, ADisabledHostWindowIsNotStoredAsTheControlsOwnState)
{
    QWidget host;
    auto *scope = new Oscilloscope(&host);
    host.setEnabled(false);
    EXPECT_TRUE(scope->Enabled());
    PropertyBag bag;
    scope->WriteProperties(bag);
    EXPECT_FALSE(bag.Contains(QStringLiteral("Enabled")));

    host.setEnabled(true);
    scope->setEnabled(false);
    scope->WriteProperties(bag);
    EXPECT_FALSE(bag.ReadProperty(QStringLiteral("Enabled"), true).toBool());
    EXPECT_FALSE(Oscilloscope(bag).Enabled());
}

TEST(OscilloscopePersistence, ChangesAreAnnounced)
{
    Oscilloscope scope;
    QSignalSpy changed(&scope, &Oscilloscope::PropertyChanged);
    scope.setXScale(200);
    scope.setHold(true);
    scope.setHold(true);  // no change, no announcement
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("XScale"));
    EXPECT_EQ(changed.at(1).at(0).toString(), QStringLiteral("Hold"));
}
