#include "PanelFixture.h"
#include "panel/PanelWidgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSlider>

namespace {

using panelWidgets::boxColor;
using panelWidgets::fromBgr;

class Status : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        open();
    }

    // Sets the stand-in's log-on bits and limit 2's word; a status poll brings them to the panel.
    void state(bool admin, bool superUser, bool limit2Disabled)
    {
        sim.setStatusBit(50, admin);
        sim.setStatusBit(54, superUser);
        if (limit2Disabled != (sim.RAM(46) == 0)) {
            sim.setRAM(46, limit2Disabled ? 0 : 16);
            panel->RequestConfig();
        }
        poll();
    }
};

TEST_F(Status, LocksFollowTheLoggedOnRole)
{
    struct Row {
        bool admin, superUser, limit2Disabled;
        const char *expected;  // see `seen` below
    };
    // Read-only thresholds 0 1 2 | enabled: HP, LP, servo, combo 0, collision, monostable 0 1 2,
    // combo 1 as combo 0 | threshold 1 enabled | statistics: boxes read-only, list and upload enabled
    const Row rows[] = {
        {false, false, false, "111 001000001 1 100"}, {false, true, false, "001 001100001 1 100"},
        {true, false, false, "000 111111111 1 011"},  {true, false, true, "000 111111011 0 011"},
        {false, false, false, "111 001000001 1 100"},
    };
    panel->Stats->setUploadPending();  // as an archive's table leaves it
    for (const Row &row : rows) {
        state(row.admin, row.superUser, row.limit2Disabled);
        const auto bit = [](bool on) { return on ? QChar(u'1') : QChar(u'0'); };
        QString seen;
        for (int i = 0; i < 3; ++i) {
            seen += bit(threshold(i)->isReadOnly());
            EXPECT_EQ(boxColor(threshold(i)) == fromBgr(panelWidgets::White), !threshold(i)->isReadOnly())
                << "box " << i << " looks as locked as it is";
        }
        seen += QLatin1Char(' ');
        for (const QWidget *w : std::initializer_list<const QWidget *>{
                 panel->sldHPFilter, panel->sldLPFilter, panel->sldLPServo, panel->icbFunction[0],
                 panel->chkCollisionEn, panel->chkMonostableOut[0], panel->chkMonostableOut[1],
                 panel->chkMonostableOut[2]})
            seen += bit(w->isEnabled());
        seen += bit(panel->icbFunction[1]->isEnabled() == panel->icbFunction[0]->isEnabled());
        seen += QStringLiteral(" ") + bit(threshold(1)->isEnabled()) + QStringLiteral(" ");
        seen += bit(named<QLineEdit>(*panel->Stats, "txtRMSLimit", 4)->isReadOnly() &&
                    named<QLineEdit>(*panel->Stats, "txtReductionFactor", 9)->isReadOnly());
        for (const QLineEdit *box :
             {named<QLineEdit>(*panel->Stats, "txtRMSLimit", 0), named<QLineEdit>(*panel->Stats, "txtRMSLimit", 8),
              named<QLineEdit>(*panel->Stats, "txtReductionFactor", 0),
              named<QLineEdit>(*panel->Stats, "txtReductionFactor", 9)})
            EXPECT_EQ(boxColor(box),
                      box->isReadOnly() ? panelWidgets::lockedBackground() : panelWidgets::windowBackground())
                << box->objectName().toStdString() << " looks as locked as the panel's boxes";
        seen += bit(named<QComboBox>(*panel->Stats, "cboRMSEnable")->isEnabled());
        seen += bit(named<QPushButton>(*panel->Stats, "cmdUpload")->isEnabled());
        EXPECT_EQ(seen, QLatin1String(row.expected)) << row.admin << row.superUser << row.limit2Disabled;
    }
    EXPECT_TRUE(panel->Stats->UploadPending()) << "the table still waits for the administrator";
}

TEST_F(Status, ColoursFollowTheLimitAndInputStates)
{
    const QColor white = fromBgr(panelWidgets::White);
    const QColor red = fromBgr(panelWidgets::Red);
    const QColor green = fromBgr(panelWidgets::Green);
    struct Row {
        quint8 io;
        bool limit2Disabled;
        int rmsEnable;
        QColor boxes[3];
        QColor frame;
    };
    const Row rows[] = {
        {0x70, false, 0, {white, white, white}, green},  // bit 3 clear: no colouring
        {0x28, false, 0, {green, red, green}, green},
        {0x78, false, 1, {red, red, red}, white},  // input driven, input off
        {0xA8, true, 1, {green, white, green}, green},
    };
    sim.setStatusBit(50, true);  // unlocked: the colours alone
    for (const Row &row : rows) {
        sim.setIOByte(row.io);
        sim.setRAM(46, row.limit2Disabled ? 0 : 16);
        sim.setStatusBit(96, row.rmsEnable == 1);
        panel->RequestConfig();
        poll();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(boxColor(threshold(i)), row.boxes[i]) << int(row.io) << " box " << i;
        EXPECT_EQ(panelWidgets::frameColor(panel->fra[0]), row.frame) << int(row.io);
    }
}

}  // namespace
