#include "PanelFixture.h"
#include "display/Oscilloscope.h"
#include "panel/PanelWidgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace {

using panelWidgets::selectedKey;

class Parameters : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        openAsAdministrator();
    }

    // Waits out the apply timer and the writes it sends.
    void applyPending()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !panel->Hub->EditPending(); }, 3000));
        settle();
    }

    void choose(int limit, int item)
    {
        panel->icbFunction[static_cast<std::size_t>(limit)]->setCurrentIndex(item);
        emit panel->icbFunction[static_cast<std::size_t>(limit)]->activated(item);
        settle();
    }

    float levelLine(int track, const char *key) const
    {
        return panel->oScope->Tracks().Item(track)->LevelLines().Item(QLatin1String(key))->Value();
    }
};

TEST_F(Parameters, ConfigurationFillsTheControlsWithoutWriting)
{
    EXPECT_EQ(selectedKey(panel->icbFunction[0]), QStringLiteral("X"));
    EXPECT_EQ(selectedKey(panel->icbFunction[1]), QStringLiteral("R"));
    EXPECT_TRUE(panel->chkCollisionEn->isChecked());
    EXPECT_EQ(threshold(0)->text(), QStringLiteral("50"));
    EXPECT_EQ(threshold(1)->text(), QStringLiteral("8"));
    EXPECT_EQ(threshold(2)->text(), QStringLiteral("150"));
    EXPECT_EQ(panel->lblLPFreq->text(), QStringLiteral("201 Hz"));
    EXPECT_EQ(panel->lblHPFreq->text(), QStringLiteral("5 Hz"));
    EXPECT_EQ(panel->lblServo->text(), QStringLiteral("100 Hz"));
    EXPECT_EQ(named<QLineEdit>(*panel->Stats, "txtRMSLimit", 8)->text(), QStringLiteral("9"));
    EXPECT_EQ(named<QLineEdit>(*panel->Stats, "txtReductionFactor", 1)->text(), QStringLiteral("0.75"));
    EXPECT_FALSE(named<QPushButton>(*panel->Stats, "cmdUpload")->isEnabled());
    EXPECT_FALSE(panel->Hub->EditPending());
    EXPECT_EQ(levelLine(1, "S0"), 50.0f);
    EXPECT_EQ(levelLine(5, "S1"), 8.0f);
    EXPECT_EQ(levelLine(4, "S2"), 150.0f);

    const std::pair<quint8, const char *> words[] = {{24, "M"}, {32, "N"}, {0, "N"}, {4, "Z"}};
    for (const auto &[word, key] : words) {
        sim.setRAM(45, word);
        panel->RequestConfig();
        settle();
        EXPECT_EQ(selectedKey(panel->icbFunction[0]), QLatin1String(key)) << int(word);
    }
    EXPECT_TRUE(writes().isEmpty()) << writes().join(' ').toStdString();
}

TEST_F(Parameters, RefreshWhileAnEditWaitsChangesNothing)
{
    threshold(0)->setText(QStringLiteral("12"));
    named<QLineEdit>(*panel->Stats, "txtRMSLimit", 0)->setText(QStringLiteral("1.5"));
    sim.setRAM(48, 0);
    sim.setRAM(180, 0);
    panel->RequestConfig();
    settle();
    EXPECT_EQ(threshold(0)->text(), QStringLiteral("12"));
    applyPending();
    EXPECT_EQ(writes(), QStringList{"6/280/33970"});

    sim.setRAM(48, 0x67);  // 39783: 70 m/s²
    sim.setRAM(49, 0x9B);
    panel->RequestConfig();
    settle();
    EXPECT_EQ(named<QLineEdit>(*panel->Stats, "txtRMSLimit", 0)->text(), QStringLiteral("1.5"))
        << "an unsent table is kept";
    EXPECT_EQ(threshold(0)->text(), QStringLiteral("70")) << "once nothing waits, the device's value shows";
}

TEST_F(Parameters, TypingWritesOnceAfterTheDebounce)
{
    threshold(0)->clear();
    QTest::keyClicks(threshold(0), QStringLiteral("250"));
    EXPECT_EQ(threshold(0)->text(), QStringLiteral("200"));
    EXPECT_FALSE(panel->tmrGetStatus->isActive()) << "the status timer pauses while an edit waits";
    QTest::qWait(300);
    EXPECT_TRUE(writes().isEmpty()) << "nothing before the half second of debounce";
    applyPending();
    EXPECT_EQ(writes(), QStringList{"6/280/52810"});
    EXPECT_EQ(levelLine(1, "S0"), 200.0f);
    EXPECT_TRUE(panel->tmrGetStatus->isActive());
}

TEST_F(Parameters, FunctionChoicesWriteTheWordAndRewriteTheThreshold)
{
    struct Step {
        int item;
        QStringList written;
        const char *shown;
    };
    const Step steps[] = {
        {5, {"6/45/16", "6/280/22141"}, "20"},  // X to RMS: the threshold is clamped and rewritten
        {0, {"6/45/0"}, "20"},                  // to disabled: the word only
        {3, {"6/45/4"}, "20"},                  // disabled to Z: the word only
    };
    for (const Step &step : steps) {
        sim.clearRequests();
        choose(0, step.item);
        EXPECT_EQ(writes(), step.written) << step.item;
        EXPECT_EQ(threshold(0)->text(), QLatin1String(step.shown));
        // The rewritten threshold stays the waiting parameter and is written once more by the
        // next edit of another parameter; settled here, so each step shows only its own writes.
        panel->Hub->ParameterChanged(0, true);
        settle();
    }
    EXPECT_EQ(levelLine(3, "S0"), 20.0f);
    EXPECT_EQ(panel->oScope->Tracks().Item(5)->LevelLines().Count(), 1) << "only limit 2's line stays on RMS";

    sim.clearRequests();
    panel->chkCollisionEn->click();
    settle();
    EXPECT_EQ(writes(), QStringList{"6/47/0"});
    EXPECT_EQ(panel->oScope->Tracks().Item(4)->LevelLines().Count(), 0);
}

TEST_F(Parameters, SteppingKeys)
{
    const std::tuple<const char *, Qt::Key, Qt::KeyboardModifiers, const char *> keys[] = {
        {"2.5", Qt::Key_Up, Qt::ShiftModifier, "2.6"}, {"2.5", Qt::Key_Up, Qt::NoModifier, "3.5"},
        {"5", Qt::Key_PageDown, Qt::NoModifier, "-5"}, {"5", Qt::Key_PageUp, Qt::NoModifier, "15"},
        {"1", Qt::Key_Down, Qt::ShiftModifier, "0.9"}, {"195", Qt::Key_PageUp, Qt::NoModifier, "200"}};
    for (const auto &[before, key, shift, after] : keys) {
        threshold(0)->setText(QLatin1String(before));
        QTest::keyClick(threshold(0), key, shift);
        EXPECT_EQ(threshold(0)->text(), QLatin1String(after)) << before;
    }
    sim.setStatusBit(50, false);
    poll();
    threshold(0)->setText(QStringLiteral("5"));
    QTest::keyClick(threshold(0), Qt::Key_Up);
    EXPECT_EQ(threshold(0)->text(), QStringLiteral("5")) << "a locked box does not step";
}

TEST_F(Parameters, AWaitingThresholdIsWrittenBeforeTheNextEdit)
{
    threshold(0)->setText(QStringLiteral("12"));
    panel->chkMonostableOut[0]->click();
    settle();
    EXPECT_EQ(writes(), (QStringList{"6/280/33970", "5/353/65280"}));
}

TEST_F(Parameters, SlidersWriteWhenTheDragEnds)
{
    panel->sldLPFilter->setSliderDown(true);
    panel->sldLPFilter->setValue(300);
    EXPECT_EQ(panel->lblLPFreq->text(), QStringLiteral("300 Hz"));
    settle();
    EXPECT_TRUE(writes().isEmpty());
    panel->sldLPFilter->setSliderDown(false);
    settle();
    EXPECT_EQ(writes(), QStringList{"6/54/167"});

    // The dragged filter stays the waiting parameter: the next other edit writes it once more.
    const std::tuple<QSlider *, int, QStringList> moves[] = {{panel->sldLPFilter, 610, {"6/54/255"}},
                                                             {panel->sldHPFilter, 609, {"6/54/255", "6/55/203"}},
                                                             {panel->sldLPServo, 1, {"6/56/2"}}};
    for (const auto &[slider, value, written] : moves) {
        sim.clearRequests();
        slider->setValue(value);
        settle();
        EXPECT_EQ(writes(), written) << value;
    }
}

TEST_F(Parameters, MonostableResetAndInputEnableReachTheDevice)
{
    panel->cmdMonoReset->click();
    named<QComboBox>(*panel->Stats, "cboRMSEnable")->setCurrentIndex(1);
    settle();
    EXPECT_EQ(writes(), (QStringList{"5/344/65280", "5/352/65280"}));
    EXPECT_EQ(sim.application().monostableResets(), 1);
    EXPECT_FALSE(sim.statusBit(88)) << "the device clears the reset once done";
}

}  // namespace
