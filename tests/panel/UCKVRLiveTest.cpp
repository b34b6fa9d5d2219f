#include "PanelFixture.h"
#include "core/mdlTools.h"
#include "display/Oscilloscope.h"
#include "lib/TallyCounters.h"
#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

// X 10 m/s², Y 0, Z -10 m/s², module 200 m/s², RMS 20 mm/s, high byte first.
const QByteArray LiveWords = QByteArray::fromHex("83EA80007C1617F1567D");

// A waveform page: register 0, then 120 samples of which the first is 10 m/s².
QByteArray pageWords()
{
    QByteArray words = QByteArray::fromHex("0007");
    for (int j = 0; j < 120; ++j)
        words += QByteArray::fromHex(j == 0 ? "83EA" : "8000");
    return words;
}

class Live : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        open();
        panel->tmrGetStatus->stop();
        quiet();
    }

    void show(int source)
    {
        panel->optAxisScope[static_cast<std::size_t>(source)]->click();
        quiet();
    }

    Oscilloscope &scope() const { return *panel->oScope; }
    float sample(int track, int32_t at) const { return scope().Tracks().Item(track)->Buffer(at); }
};

TEST_F(Live, LiveValuesFeedAllFiveTracksInTheLiveViews)
{
    for (const int source : {kvr::SourceAll, kvr::SourceRms}) {
        show(source);
        const int32_t before = scope().BufferPtr();
        feed(272, LiveWords);
        ASSERT_EQ(scope().BufferPtr(), before + 1) << source;
        const float expected[] = {10.0f, 0.0f, -10.0f, 200.0f, 20.0f};
        for (int k = 1; k <= 5; ++k)
            EXPECT_NEAR(sample(k, before), expected[k - 1], 0.01f) << "track " << k;
        EXPECT_EQ(scope().SamplesPerSecond(), 25);
    }
    EXPECT_FALSE(scope().Tracks().Item(1)->Visible());
    EXPECT_TRUE(scope().Tracks().Item(5)->Visible());
    EXPECT_EQ(panel->lblRMS->text(), QStringLiteral("20.0"));
    EXPECT_EQ(panel->Stats->MarkerBand(), 9) << "20 mm/s lies above every band limit";
}

TEST_F(Live, WaveformViewsDrawPagesAndOnlyLabelTheLiveValues)
{
    show(kvr::SourceX);
    EXPECT_EQ(scope().SamplesPerSecond(), 500);
    EXPECT_EQ(scope().BufferPtr(), 0) << "the change of rate cleared the buffer";
    feed(272, LiveWords);
    EXPECT_EQ(scope().BufferPtr(), 0) << "a late live reply is not drawn in a waveform view";
    EXPECT_EQ(panel->lblRMS->text(), QStringLiteral("20.0"));

    const int page = panel->WavePage;
    feed(530, pageWords());
    ASSERT_EQ(scope().BufferPtr(), 120);
    EXPECT_NEAR(sample(2, 0), 10.0f, 0.01f) << "start 530 is the Y channel";
    EXPECT_EQ(sample(1, 0), 0.0f);
    EXPECT_EQ(sample(5, 0), 0.0f);
    EXPECT_EQ(panel->WavePage, (page + 1) % 8);
    feed(530, pageWords().left(200));
    EXPECT_EQ(scope().BufferPtr(), 120) << "a short page is ignored";

    show(kvr::SourceY);
    EXPECT_EQ(scope().BufferPtr(), 120) << "same rate, buffer kept";
    EXPECT_TRUE(scope().Tracks().Item(2)->Visible());
    EXPECT_FALSE(scope().Tracks().Item(1)->Visible());

    show(kvr::SourceNone);
    EXPECT_FALSE(scope().isVisible());
    EXPECT_FALSE(panel->tmrGetData->isActive());
}

TEST_F(Live, OptionButtonsStayInPlaceInEverySource)
{
    panel->resize(1000, 720);
    panel->show();
    const auto places = [this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QString at;
        for (const QRadioButton *option : panel->optAxisScope) {
            const QPoint corner = option->mapTo(panel.get(), QPoint());
            at += QStringLiteral("%1,%2 ").arg(corner.x()).arg(corner.y());
        }
        return at.toStdString();
    };
    show(kvr::SourceAll);
    const std::string shown = places();
    for (const int source : {kvr::SourceNone, kvr::SourceX, kvr::SourceNone, kvr::SourceRms}) {
        show(source);
        EXPECT_EQ(places(), shown) << "source " << source;
    }
}

TEST_F(Live, TimerTicksThatComeALittleEarlyOrLateStillRead25LiveValuesASecond)
{
    show(kvr::SourceAll);
    sim.clearRequests();
    const double start = platform::clock::testOffset();
    panel->LastDataRequest = mdlTools::HiResTimer();
    // Two seconds of 10 ms ticks, each up to a millisecond off its time, as a timer's are.
    uint32_t jitter = 12345;
    for (int tick = 1; tick <= 200; ++tick) {
        jitter = jitter * 1103515245u + 12345u;
        platform::clock::setTestOffset(start + tick * 0.010 + (static_cast<int>((jitter >> 16) % 2001) - 1000) * 1e-6);
        panel->tmrGetData_Timer();
        // Each read answered before the next tick, as the line carries them.
        settle();
    }
    platform::clock::setTestOffset(start);
    EXPECT_GE(reads(4, 272), 49);
    EXPECT_LE(reads(4, 272), 50);
}

TEST_F(Live, StatusTicksReadCountersWhileShownAndTheConfigurationEveryEleventh)
{
    sim.clearRequests();
    panel->StatusTicks = 0;
    for (int tick = 1; tick <= 10; ++tick)
        panel->tmrGetStatus_Timer();
    settle();
    EXPECT_EQ(reads(3, 44), 0);
    EXPECT_EQ(reads(4, 768) + reads(4, 256), 0) << "nothing for a hidden statistics window";
    threshold(0)->setText(QStringLiteral("12"));
    panel->tmrGetStatus_Timer();
    settle();
    EXPECT_EQ(reads(3, 44), 0) << "no re-read while an edit waits";
    panel->Hub->ParameterChanged(0, true);
    panel->tmrGetStatus_Timer();
    settle();
    EXPECT_EQ(reads(3, 44), 1);
    EXPECT_EQ(reads(3, 160), 1);

    panel->cmdShowStats_Click();
    const std::tuple<int, int, int> views[] = {{kvr::SourceAll, 1, 0}, {kvr::SourceX, 1, 1}};
    for (const auto &[source, counters, diagnostics] : views) {
        show(source);
        sim.clearRequests();
        panel->tmrGetStatus_Timer();
        settle();
        EXPECT_EQ(reads(4, 768), counters) << source;
        EXPECT_EQ(reads(4, 256), diagnostics) << source;
    }
}

TEST_F(Live, BandCountersShowRealAndEquivalentHours)
{
    // Input-driven evaluation with the input off: the stand-in counts nothing meanwhile.
    sim.setStatusBit(96, true);
    devsim::TallyCounters &counters = sim.application().counters();
    counters.clear();
    counters.set(0, 5400);
    counters.set(2, 3600);
    counters.set(3, 3600);
    named<QLineEdit>(*panel->Stats, "txtReductionFactor", 2)->setText(QStringLiteral("0"));
    panel->cmdShowStats_Click();
    panel->tmrGetStatus_Timer();
    settle();
    const FStats &stats = *panel->Stats;
    const std::tuple<int, const char *, const char *> bands[] = {
        {0, "1:30:00", "0:45:00"}, {2, "1:00:00", "0:00:00"}, {3, "1:00:00", "1:00:00"}, {9, "0:00:00", "0:00:00"}};
    for (const auto &[band, hours, equivalent] : bands) {
        EXPECT_EQ(named<QLabel>(stats, "lblOreLavorate", band)->text(), QLatin1String(hours)) << band;
        EXPECT_EQ(named<QLabel>(stats, "lblOreEquiv", band)->text(), QLatin1String(equivalent)) << band;
    }
    EXPECT_EQ(named<QLabel>(stats, "lblTotOreLavorate")->text(), QStringLiteral("3:30:00"));
    EXPECT_EQ(named<QLabel>(stats, "lblTotOreEquiv")->text(), QStringLiteral("1:45:00"));
}

TEST_F(Live, ClosingStopsThePollingAndReopeningStartsItAgain)
{
    panel->cmdShowStats_Click();
    panel->tmrGetStatus->start();
    feed(272, LiveWords);
    ASSERT_GT(scope().BufferPtr(), 0);
    QElapsedTimer waited;
    waited.start();
    // A view chosen during the closing's wait starts no reads.
    QTimer::singleShot(50, panel.get(), [this] { panel->optAxisScope[kvr::SourceX]->click(); });
    panel->Closing();
    EXPECT_GE(waited.elapsed(), 190);
    EXPECT_FALSE(panel->tmrGetData->isActive());
    EXPECT_FALSE(panel->tmrGetStatus->isActive());
    EXPECT_FALSE(panel->Stats->isVisible());
    panel->Hub->ParameterChanged(0, true);
    EXPECT_FALSE(panel->tmrGetStatus->isActive()) << "a settled edit does not wake a closed panel";

    show(kvr::SourceNone);
    feed(272, LiveWords);
    sim.clearRequests();
    panel->Reopening();
    settle();
    EXPECT_EQ(reads(3, 44), 1);
    EXPECT_EQ(scope().BufferPtr(), 0);
    EXPECT_TRUE(panel->tmrGetData->isActive()) << "also with no source shown";
    EXPECT_TRUE(panel->tmrGetStatus->isActive());

    // The link released under the panel: a tick finds no device and sends nothing.
    sim.clearRequests();
    mdlMain::ReleaseLink();
    panel->tmrGetData_Timer();
    panel->tmrGetStatus_Timer();
    settle();
    EXPECT_TRUE(sim.requests().isEmpty());
}

}  // namespace
