#include "shell/FDeviceSettings.h"
#include "FMainTestFixture.h"
#include "NamedControls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>

namespace {

using platform::MsgIcon;

class DeviceSettings : public MainWindowTest {
protected:
    FDeviceSettings *openSettings()
    {
        open();
        action(*window, "mnuTooDevice")->trigger();
        auto *settings = window->findChild<FDeviceSettings *>();
        EXPECT_NE(settings, nullptr);
        if (settings) {
            EXPECT_TRUE(settings->isVisible());
        }
        return settings;
    }

    QList<devsim::SimRequest> coilWrites() const { return requestsOf(5); }

    static std::pair<quint16, quint16> coil(const devsim::SimRequest &request)
    {
        return {request.address, request.quantity};
    }
};

TEST_F(DeviceSettings, OpensWithTheDeviceStateAndSendsNothing)
{
    sim.setStatusBit(48, true);
    sim.setStatusBit(51, true);
    sim.setStatusBit(54, true);
    sim.setTurnOffDelay(37);
    FDeviceSettings *settings = openSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->windowTitle(), QStringLiteral("Device Settings"));
    EXPECT_EQ(settings->fra[0]->title(), QStringLiteral("Device Clock"));
    EXPECT_EQ(settings->fra[1]->title(), QStringLiteral("I/O Configuration"));
    EXPECT_EQ(settings->chkOut12Disabled->text(), QStringLiteral("Ouput 1-2 Disabled"));
    EXPECT_EQ(settings->cmdSync->text(), QStringLiteral("Synchronise with PC"));
    EXPECT_EQ(settings->lbl->text(), QStringLiteral("Turn-Off Delay"));

    EXPECT_TRUE(settings->chkOutputDisabled->isChecked());
    EXPECT_TRUE(settings->chkOut12Disabled->isChecked());
    EXPECT_EQ(settings->sldTurnOffTime->value(), 37);
    EXPECT_EQ(settings->lblTurnOffTime->text(), QStringLiteral("9.25 sec"))
        << "in quarter seconds, as the log shows it";
    // No administrator: the delay, the clock and the outputs are locked; outputs 1-2 follow the super user.
    for (QWidget *control : std::initializer_list<QWidget *>{settings->sldTurnOffTime, settings->cmdAdjustClock,
                                                             settings->cmdSync, settings->chkOutputDisabled})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_TRUE(settings->chkOut12Disabled->isEnabled());

    settle();
    EXPECT_TRUE(coilWrites().isEmpty());
    EXPECT_TRUE(requestsOf(6).isEmpty());
}

TEST_F(DeviceSettings, OutputBoxesWriteOnlyWhatDiffersFromTheDevice)
{
    sim.setStatusBit(50, true);
    sim.setStatusBit(54, true);
    FDeviceSettings *settings = openSettings();
    ASSERT_NE(settings, nullptr);

    settings->chkOut12Disabled->click();
    settle();
    ASSERT_EQ(coilWrites().size(), 1);
    EXPECT_EQ(coil(coilWrites().front()), std::make_pair(quint16{288}, quint16{0xFF00}))
        << "the command goes to bit 32, not to the state bit 51";

    settings->chkOutputDisabled->click();
    settle();
    ASSERT_EQ(coilWrites().size(), 2);
    EXPECT_EQ(coil(coilWrites().back()), std::make_pair(quint16{304}, quint16{0xFF00}));
    poll();
    EXPECT_TRUE(device().Bit(48));

    // Unticking and ticking again: the second tick matches the device and is not sent.
    sim.clearRequests();
    sim.setStatusBit(51, true);
    poll();
    settings->chkOut12Disabled->click();
    settings->chkOut12Disabled->click();
    settle();
    ASSERT_EQ(coilWrites().size(), 1);
    EXPECT_EQ(coil(coilWrites().front()), std::make_pair(quint16{288}, quint16{0}));
}

TEST_F(DeviceSettings, SliderWritesTheTurnOffDelay)
{
    sim.setStatusBit(50, true);
    sim.setTurnOffDelay(10);
    FDeviceSettings *settings = openSettings();
    ASSERT_NE(settings, nullptr);
    settings->sldTurnOffTime->setValue(10);
    // A drag shows where the slider stands and writes once, when it is let go.
    settings->sldTurnOffTime->setSliderDown(true);
    settings->sldTurnOffTime->setSliderPosition(41);
    EXPECT_EQ(settings->lblTurnOffTime->text(), QStringLiteral("10.25 sec"));
    settings->sldTurnOffTime->setSliderPosition(40);
    settings->sldTurnOffTime->setSliderDown(false);
    settle();
    EXPECT_EQ(writesTo(208), QList<quint16>{40});
    EXPECT_EQ(settings->lblTurnOffTime->text(), QStringLiteral("10 sec"));
    poll();
    EXPECT_EQ(device().RAM(208), 40);
    EXPECT_EQ(sim.turnOffDelay(), 40);
}

TEST_F(DeviceSettings, AdjustClockTakesOnlyADate)
{
    sim.setStatusBit(50, true);
    FDeviceSettings *settings = openSettings();
    ASSERT_NE(settings, nullptr);

    for (const std::optional<QString> &answer :
         {std::optional<QString>(), std::optional<QString>(QString()), std::optional<QString>("half past ten")})
        ui.queueInputAnswer(answer);
    for (int i = 0; i < 3; ++i)
        settings->cmdAdjustClock->click();
    settle();
    EXPECT_TRUE(writesTo(205).isEmpty());
    EXPECT_EQ(ui.messageTexts(), QStringList{QStringLiteral("Invalid date")});
    EXPECT_EQ(ui.messages.front().icon, MsgIcon::Exclamation);
    ASSERT_EQ(ui.inputs.size(), 3u);
    EXPECT_EQ(ui.inputs.front().prompt, QStringLiteral("Date/Time"));
    EXPECT_EQ(ui.inputs.front().title, QStringLiteral("Device Clock"));
    EXPECT_FALSE(ui.inputs.front().defaultText.isEmpty()) << "the PC's time is offered";

    ui.queueInputAnswer(QStringLiteral("2024-02-29 13:05:09"));
    settings->cmdAdjustClock->click();
    settle();
    const QList<quint16> expected = {0x09, 0x05, 0x13, 0x29, 0x02, 24};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(writesTo(static_cast<quint16>(215 + i)), QList<quint16>{expected[i]}) << 215 + i;
    EXPECT_EQ(writesTo(205), QList<quint16>{2});
    EXPECT_EQ(sim.clock().date(), QDate(2024, 2, 29));
}

TEST_F(DeviceSettings, SyncSetsThePcTimeAndTheLabelShowsTheDeviceClock)
{
    sim.setStatusBit(50, true);
    sim.setClock(QDateTime(QDate(2025, 3, 4), QTime(5, 6, 7)));
    FDeviceSettings *settings = openSettings();
    ASSERT_NE(settings, nullptr);
    const QRegularExpression shown(QStringLiteral("^04\\D03\\D25 05\\D06\\D\\d\\d$"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.match(settings->lblClock->text()).hasMatch(); }, 3000))
        << settings->lblClock->text().toStdString();
    bool polled = false;
    for (const devsim::SimRequest &request : requestsOf(3))
        polled = polled || (request.address == 233 && request.quantity == 6);
    EXPECT_TRUE(polled) << "the clock registers are read";

    settings->cmdSync->click();
    settle();
    EXPECT_LE(std::abs(sim.clock().secsTo(QDateTime::currentDateTime())), 5);
}

TEST_F(DeviceSettings, AccessFollowsTheLogOnState)
{
    FDeviceSettings *settings = openSettings();
    ASSERT_NE(settings, nullptr);
    settings->tmrReqClock->stop();
    ASSERT_FALSE(settings->cmdSync->isEnabled());

    // A refresh that covers the clock bytes as well as byte 38 only updates the clock.
    QObject::disconnect(&device(), nullptr, settings, nullptr);
    sim.setStatusBit(50, true);
    poll();
    settings->lblClock->clear();
    settings->mDevice_NewRAMData(0, 256);
    EXPECT_FALSE(settings->lblClock->text().isEmpty());
    EXPECT_FALSE(settings->cmdSync->isEnabled());
    settings->mDevice_NewRAMData(38, 1);
    EXPECT_TRUE(settings->cmdSync->isEnabled());
    EXPECT_TRUE(settings->sldTurnOffTime->isEnabled());
    EXPECT_FALSE(settings->chkOut12Disabled->isEnabled()) << "outputs 1-2 are checked only at load";
}

TEST_F(DeviceSettings, LogOnWhileOpenUnlocksAtTheNextStatusPoll)
{
    FDeviceSettings *settings = openSettings();
    ASSERT_NE(settings, nullptr);
    ASSERT_FALSE(settings->chkOutputDisabled->isEnabled());
    sim.setStatusBit(50, true);
    poll();
    EXPECT_TRUE(settings->chkOutputDisabled->isEnabled());
    sim.setStatusBit(50, false);
    poll();
    EXPECT_FALSE(settings->chkOutputDisabled->isEnabled());
}

TEST_F(DeviceSettings, OneWindowClosedWithTheMainWindow)
{
    FDeviceSettings *settings = openSettings();
    ASSERT_NE(settings, nullptr);
    action(*window, "mnuTooDevice")->trigger();
    EXPECT_EQ(window->findChildren<FDeviceSettings *>().size(), 1);
    QPointer<FDeviceSettings> guard(settings);
    window->close();
    EXPECT_FALSE(guard && guard->isVisible()) << "closing the main window closes its windows";
    window.reset();
    EXPECT_TRUE(guard.isNull());
}

}  // namespace
