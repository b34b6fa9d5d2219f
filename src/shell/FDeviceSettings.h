#pragma once

#include <QDialog>
#include <QMap>
#include <QPointer>
#include <cstdint>

class CDevice;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

// Shows the device clock and lets the user set it, disable the outputs and set the turn-off delay.
// Everything goes through the shell's one device object; writes are requests whose effect shows
// when the device answers a later read.
class FDeviceSettings : public QDialog {
    Q_OBJECT
public:
    explicit FDeviceSettings(QWidget *parent = nullptr);
    ~FDeviceSettings() override;

    void tmrReqClock_Timer();
    void mDevice_NewRAMData(int32_t first, int32_t count);

    QMap<int, QGroupBox *> fra;
    QLabel *lblClock;
    QPushButton *cmdAdjustClock;
    QPushButton *cmdSync;
    QCheckBox *chkOutputDisabled;
    QCheckBox *chkOut12Disabled;
    QLabel *lbl;
    QSlider *sldTurnOffTime;
    // The delay the slider stands at, in seconds, also while it is dragged.
    QLabel *lblTurnOffTime;
    QTimer *tmrReqClock;

private:
    void Localize();
    void Form_Load();
    void applyAccess();
    void chkOutputDisabled_Click();
    void chkOut12Disabled_Click();
    void cmdAdjustClock_Click();
    void cmdSync_Click();
    void sldTurnOffTime_Change();
    void showTurnOffTime(int raw);

    QPointer<CDevice> mDevice;
};
