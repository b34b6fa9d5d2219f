#pragma once

#include "IStatsOwner.h"
#include "ScopeSource.h"
#include "core/IApplication.h"
#include "device/MBRequest.h"

#include <QByteArray>
#include <QMap>
#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>

class CDevice;
class FStats;
class Oscilloscope;
class ParameterHub;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;

// The monitoring panel of the vibration relay application: the three limits with their functions,
// thresholds and monostable outputs, the three filters, the live acceleration on an oscilloscope,
// the RMS velocity and its statistics window.
class UCKVR : public QWidget, public IApplication, public IStatsOwner {
    Q_OBJECT
public:
    static constexpr const char *ClassId = "Varix.UCKVR";

    explicit UCKVR(QWidget *parent = nullptr);
    ~UCKVR() override;

    // Makes the panel known to the shell's panel registry under its class identifier.
    static void Register();

    void ApplySetting(Setting &setting) override;
    void SaveSetting(Setting &setting) override;
    void GetFocus() override;
    void Closing() override;
    void Reopening() override;

    void SetInputEnable() override;
    void SetTable() override;
    bool RedrawSuppressed() const override { return SuppressRedraw; }

    // Reads the configuration block, then the RMS table.
    void RequestConfig();
    // The function code 0..5 of limit index + 1.
    int32_t GetLimitFunction(int index) const;
    // Puts a threshold outside its function's range back on the bound.
    void ClampThreshold(int index);
    // Locks by the logged-on role, colours by the limit and input states.
    void UpdateStatus();

    void icbFunction_Click(int index);
    void chkCollisionEn_Click();
    void chkMonostableOut_Click(int index);
    void cmdMonoReset_Click();
    void txtThreValue_Change(int index);
    void txtThreValue_KeyDown(int index, int keyCode, Qt::KeyboardModifiers shift);
    void optAxisScope_Click(int index);
    void cmdShowStats_Click();
    void tmrGetData_Timer();
    void tmrGetStatus_Timer();

    void mDevice_NewRAMData(int32_t first, int32_t count);
    void mDevice_NewRTData(const MBRequestPtr &request, const QByteArray &data);
    void mDevice_IOStatusChanged();

    QPointer<CDevice> mDevice;
    // The panel's own copy of the three limit words.
    std::array<int32_t, 3> LimitWord{};
    int ScopeChannel = kvr::SourceAll;
    double LastDataRequest = 0;
    int WavePage = 0;
    int StatusTicks = 0;
    float LastRMS = 0;
    // Set while a configuration reply fills the controls: no device writes, no scope redraws.
    bool SuppressWrite = false;
    bool SuppressRedraw = false;
    // From Closing to Reopening: the timers stay stopped.
    bool closing_ = false;

    QGroupBox *fraLimits;
    QGroupBox *fraFilters;
    std::array<QGroupBox *, 2> fra{};
    QMap<int, QLabel *> lbl;
    QPushButton *cmdShowStats;
    QPushButton *cmdMonoReset;
    QCheckBox *chkCollisionEn;
    std::array<QCheckBox *, 3> chkMonostableOut{};
    std::array<QLineEdit *, 3> txtThreValue{};
    std::array<QComboBox *, 2> icbFunction{};
    QMap<QString, QIcon> imlColors;
    QSlider *sldLPFilter;
    QSlider *sldHPFilter;
    QSlider *sldLPServo;
    QLabel *lblLPFreq;
    QLabel *lblHPFreq;
    QLabel *lblServo;
    QLabel *lblRMS;
    std::array<QRadioButton *, kvr::ScopeSources> optAxisScope{};
    Oscilloscope *oScope;
    QTimer *tmrGetStatus;
    QTimer *tmrGetData;
    FStats *Stats;
    ParameterHub *Hub;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLimits();
    void buildFilters();
    void buildDisplayChoice();
    void connectControls();
    QSlider *addFilter(class QGridLayout *grid, int row, int labelIndex, const char *slider, QLabel *&caption,
                       const char *captionName);
    void UserControl_Initialize();
    void bindDevice();
    void InitScope();
    void LoadCaptions();

    void ParameterChanged(int32_t id, bool final);
    void ApplyParameter(int32_t id, bool final);
    void WriteParameter(int32_t id, int32_t value);
    void applyFilterCaption(int32_t id, bool final);
    void applyThreshold(int index, bool final);
    void applyFunction(int index, bool final);
    QSlider *filterSlider(int32_t id) const;
    QLabel *filterCaption(int32_t id) const;

    void decodeConfig();
    void decodeTable();
    void selectFunction(int index, int32_t function);
    void colourVibrationFrame();
    void feedLive(const MBRequestPtr &request, const QByteArray &data);
    void showBandCounters(const QByteArray &data);
};
