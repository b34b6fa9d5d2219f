#include "FDeviceSettings.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "device/CDevice.h"
#include "device/ModbusFunction.h"
#include "device/StatusBit.h"
#include "eventlog/mdlEvents.h"
#include "platform/DateReader.h"
#include "platform/Runtime.h"
#include "platform/UiService.h"
#include "session/mdlMainLink.h"

#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int ClockPollMs = 500;
constexpr int ClockFirstByte = 233;
constexpr int ClockLastByte = 238;
constexpr int ClockRegisterCount = 6;
constexpr int TurnOffDelayByte = 208;

// Outputs 1 and 2 are switched through this bit; bit 51 shows the state the device took.
constexpr int Outputs12Command = 32;

}  // namespace

FDeviceSettings::FDeviceSettings(QWidget *parent)
    : QDialog(parent), lblClock(new QLabel(this)), cmdAdjustClock(new QPushButton(this)),
      cmdSync(new QPushButton(this)), chkOutputDisabled(new QCheckBox(this)), chkOut12Disabled(new QCheckBox(this)),
      lbl(new QLabel(this)), sldTurnOffTime(new QSlider(Qt::Horizontal, this)), lblTurnOffTime(new QLabel(this)),
      tmrReqClock(new QTimer(this))
{
    setObjectName(QStringLiteral("FDeviceSettings"));
    for (int i = 0; i < 2; ++i) {
        fra[i] = new QGroupBox(this);
        fra[i]->setObjectName(QStringLiteral("fra_%1").arg(i));
    }
    lblClock->setObjectName(QStringLiteral("lblClock"));
    lblClock->setMinimumWidth(lblClock->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00 00:00:00  ")));
    cmdAdjustClock->setObjectName(QStringLiteral("cmdAdjustClock"));
    cmdSync->setObjectName(QStringLiteral("cmdSync"));
    chkOutputDisabled->setObjectName(QStringLiteral("chkOutputDisabled"));
    chkOut12Disabled->setObjectName(QStringLiteral("chkOut12Disabled"));
    lbl->setObjectName(QStringLiteral("lbl"));
    sldTurnOffTime->setObjectName(QStringLiteral("sldTurnOffTime"));
    sldTurnOffTime->setRange(0, 255);
    sldTurnOffTime->setPageStep(16);
    sldTurnOffTime->setTickInterval(16);
    sldTurnOffTime->setTickPosition(QSlider::TicksBelow);
    // One write when the user lets go, not one per pixel dragged.
    sldTurnOffTime->setTracking(false);
    lblTurnOffTime->setObjectName(QStringLiteral("lblTurnOffTime"));
    lblTurnOffTime->setMinimumWidth(lblTurnOffTime->fontMetrics().horizontalAdvance(mdlEvents::TurnOffDelayText(255)));
    tmrReqClock->setObjectName(QStringLiteral("tmrReqClock"));
    tmrReqClock->setInterval(ClockPollMs);

    auto *clock = new QHBoxLayout(fra[0]);
    clock->addWidget(lblClock, 1);
    clock->addWidget(cmdAdjustClock);
    clock->addWidget(cmdSync);
    auto *io = new QGridLayout(fra[1]);
    io->addWidget(chkOutputDisabled, 0, 0, 1, 3);
    io->addWidget(chkOut12Disabled, 1, 0, 1, 3);
    io->addWidget(lbl, 2, 0);
    io->addWidget(sldTurnOffTime, 2, 1);
    io->addWidget(lblTurnOffTime, 2, 2);
    io->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fra[0]);
    layout->addWidget(fra[1]);

    Form_Load();

    connect(chkOutputDisabled, &QCheckBox::toggled, this, &FDeviceSettings::chkOutputDisabled_Click);
    connect(chkOut12Disabled, &QCheckBox::toggled, this, &FDeviceSettings::chkOut12Disabled_Click);
    connect(sldTurnOffTime, &QSlider::valueChanged, this, &FDeviceSettings::sldTurnOffTime_Change);
    connect(sldTurnOffTime, &QSlider::sliderMoved, this, &FDeviceSettings::showTurnOffTime);
    connect(cmdAdjustClock, &QPushButton::clicked, this, &FDeviceSettings::cmdAdjustClock_Click);
    connect(cmdSync, &QPushButton::clicked, this, &FDeviceSettings::cmdSync_Click);
    connect(tmrReqClock, &QTimer::timeout, this, &FDeviceSettings::tmrReqClock_Timer);
    tmrReqClock->start();
}

FDeviceSettings::~FDeviceSettings() = default;

void FDeviceSettings::Localize()
{
    setWindowTitle(mdlStrings::Translate(txt::DeviceSettings));
    fra[0]->setTitle(mdlStrings::Translate(txt::DeviceClock));
    fra[1]->setTitle(mdlStrings::Translate(txt::IoConfiguration));
    chkOutputDisabled->setText(mdlStrings::Translate(txt::OutputDisabled));
    chkOut12Disabled->setText(mdlStrings::Translate(QStringLiteral("Ouput 1-2 Disabled")));
    cmdAdjustClock->setText(mdlStrings::Translate(txt::Adjust));
    cmdSync->setText(mdlStrings::Translate(txt::SynchroniseWithPc));
    lbl->setText(mdlStrings::Translate(txt::TurnOffDelay));
}

void FDeviceSettings::Form_Load()
{
    Localize();
    mDevice = &mdlMain::Device();
    connect(mDevice, &CDevice::NewRAMData, this, &FDeviceSettings::mDevice_NewRAMData);
    // The values are set before the change handlers are connected; they equal the device's anyway.
    chkOutputDisabled->setChecked(mDevice->Bit(OutputsDisabled));
    chkOut12Disabled->setChecked(mDevice->Bit(Outputs12Disabled));
    sldTurnOffTime->setValue(mDevice->RAM(TurnOffDelayByte));
    showTurnOffTime(sldTurnOffTime->value());
    applyAccess();
    chkOut12Disabled->setEnabled(mDevice->Bit(SuperUserLoggedOn));
}

void FDeviceSettings::applyAccess()
{
    const bool admin = mDevice->Bit(AdminLoggedOn);
    for (QWidget *control :
         std::initializer_list<QWidget *>{sldTurnOffTime, cmdAdjustClock, cmdSync, chkOutputDisabled})
        control->setEnabled(admin);
}

void FDeviceSettings::tmrReqClock_Timer()
{
    if (mDevice)
        mDevice->MBRead(modbus::ReadHoldingRegisters, ClockFirstByte, ClockRegisterCount);
}

void FDeviceSettings::mDevice_NewRAMData(int32_t first, int32_t count)
{
    if (mdlTools::RangesOverlap(static_cast<float>(first), static_cast<float>(first + count), ClockFirstByte,
                                ClockLastByte)) {
        lblClock->setText(platform::runtime::formatDate(mDevice->DateTime(), QStringLiteral("dd/mm/yy hh:mm:ss")));
        return;
    }
    // Every other refresh follows the log-on state: the status poll refreshes the log-on byte
    // without announcing it, and a log-on made while the window is open must show here too.
    applyAccess();
}

void FDeviceSettings::chkOutputDisabled_Click()
{
    if (mDevice && mDevice->Bit(OutputsDisabled) != chkOutputDisabled->isChecked())
        mDevice->setBit(OutputsDisabled, chkOutputDisabled->isChecked());
}

void FDeviceSettings::chkOut12Disabled_Click()
{
    if (mDevice && mDevice->Bit(Outputs12Disabled) != chkOut12Disabled->isChecked())
        mDevice->setBit(Outputs12Command, chkOut12Disabled->isChecked());
}

void FDeviceSettings::cmdAdjustClock_Click()
{
    const std::optional<QString> answer = platform::ui::inputBox(
        mdlStrings::Translate(txt::Date) + QLatin1Char('/') + mdlStrings::Translate(txt::Time),
        mdlStrings::Translate(txt::DeviceClock),
        platform::runtime::formatDate(QDateTime::currentDateTime(), QStringLiteral("General Date")));
    if (!answer || answer->isEmpty() || !mDevice)
        return;
    const std::optional<QDateTime> when = platform::DateReader::read(*answer, QLocale::system());
    if (!when) {
        platform::ui::msgBox(mdlStrings::Translate(txt::InvalidDate), platform::MsgButtons::Ok,
                             platform::MsgIcon::Exclamation, platform::ui::DefaultTitle);
        return;
    }
    mDevice->SetClock(*when);
}

void FDeviceSettings::cmdSync_Click()
{
    if (mDevice)
        mDevice->SetClock(QDateTime::currentDateTime());
}

void FDeviceSettings::showTurnOffTime(int raw)
{
    sldTurnOffTime->setToolTip(QString::number(raw));
    lblTurnOffTime->setText(mdlEvents::TurnOffDelayText(raw));
}

void FDeviceSettings::sldTurnOffTime_Change()
{
    showTurnOffTime(sldTurnOffTime->value());
    if (mDevice && mDevice->RAM(TurnOffDelayByte) != sldTurnOffTime->value())
        mDevice->setRAM(TurnOffDelayByte, sldTurnOffTime->value());
}
