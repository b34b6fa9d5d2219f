// The configuration read and its decode into the controls, and the status display.
#include "FStats.h"
#include "KvrDeviceMap.h"
#include "KvrUnits.h"
#include "PanelWidgets.h"
#include "ParameterHub.h"
#include "UCKVR.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "device/CDevice.h"
#include "device/ModbusFunction.h"
#include "device/StatusBit.h"
#include "platform/Runtime.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSlider>

namespace {

constexpr int32_t Decimals = 1;

QString roundedText(double value)
{
    return platform::runtime::numberText(platform::runtime::round(value, Decimals));
}

}  // namespace

void UCKVR::RequestConfig()
{
    // The replies fill the controls when they come (NewRAMData); nothing here waits for them.
    mDevice->QueueRead(ReadKind::PanelStatus, modbus::ReadHoldingRegisters, kvr::ConfigStart, kvr::ConfigCount);
    mDevice->QueueRead(ReadKind::PanelStatus, modbus::ReadHoldingRegisters, kvr::TableStart, kvr::TableCount);
}

void UCKVR::mDevice_NewRAMData(int32_t first, int32_t count)
{
    // A refresh must not overwrite what the user is typing.
    if (Hub->EditPending())
        return;
    const auto overlaps = [first, count](int low, int high) {
        return mdlTools::RangesOverlap(static_cast<float>(first), static_cast<float>(first + count),
                                       static_cast<float>(low), static_cast<float>(high));
    };
    if (overlaps(kvr::ConfigStart, kvr::ConfigEnd))
        decodeConfig();
    // Table boxes the user edited and has not uploaded yet stay as they are.
    if (overlaps(kvr::TableStart, kvr::TableEnd) && !Stats->UploadPending())
        decodeTable();
    if (overlaps(kvr::LogOnByte, kvr::LogOnByte))
        UpdateStatus();
}

// Selects the function's item and runs the choice handler as a user's choice would.
void UCKVR::selectFunction(int index, int32_t function)
{
    QComboBox *combo = icbFunction[static_cast<std::size_t>(index)];
    const int item = panelWidgets::indexOfKey(combo, kvr::ComboKey(function));
    if (item == combo->currentIndex())
        return;
    combo->setCurrentIndex(item);
    icbFunction_Click(index);
}

// The controls take the device's values through their own handlers, with writes and redraws
// suppressed; the pending state these raise is settled without writing at the end.
void UCKVR::decodeConfig()
{
    const QScopedValueRollback<bool> noWrite(SuppressWrite, true);
    const QScopedValueRollback<bool> noRedraw(SuppressRedraw, true);
    for (int i = 0; i < 2; ++i) {
        LimitWord[static_cast<std::size_t>(i)] = mDevice->RAM(kvr::FirstLimitWordByte + i);
        selectFunction(i, GetLimitFunction(i));
    }
    LimitWord[2] = mDevice->RAM(kvr::FirstLimitWordByte + 2);
    chkCollisionEn->setChecked(GetLimitFunction(2) == kvr::Module);
    for (int i = 0; i < kvr::Limits; ++i) {
        const auto raw = static_cast<float>(mDevice->RAM2(kvr::FirstThresholdByte + 2 * i));
        txtThreValue[static_cast<std::size_t>(i)]->setText(roundedText(kvr::RawToUnits(raw, GetLimitFunction(i))));
    }
    sldLPFilter->setValue(kvr::SliderFrequency(mDevice->RAM(kvr::LowPassByte)));
    sldHPFilter->setValue(kvr::SliderFrequency(mDevice->RAM(kvr::HighPassByte)));
    sldLPServo->setValue(kvr::SliderFrequency(mDevice->RAM(kvr::ServoByte)));
    for (const auto &[slider, caption] :
         {std::pair{sldHPFilter, lblHPFreq}, std::pair{sldLPFilter, lblLPFreq}, std::pair{sldLPServo, lblServo}})
        caption->setText(QString::number(slider->value()) + QLatin1Char(' ') + mdlStrings::Translate(txt::Hz));
    for (int i = 0; i < kvr::Limits; ++i)
        chkMonostableOut[static_cast<std::size_t>(i)]->setChecked(mDevice->Bit(kvr::FirstMonostableBit + i));
    Stats->setInputDriven(mDevice->Bit(kvr::RmsInputDrivenBit));
    UpdateStatus();
    ParameterChanged(0, true);
}

void UCKVR::decodeTable()
{
    {
        const QScopedValueRollback<bool> noWrite(SuppressWrite, true);
        const QScopedValueRollback<bool> noRedraw(SuppressRedraw, true);
        for (int i = 0; i < kvr::Bands; ++i) {
            if (i < kvr::BandLimits) {
                const auto raw = static_cast<float>(mDevice->RAM2(kvr::FirstBandLimitByte + 2 * i));
                Stats->setBandLimitText(i, roundedText(kvr::RawToUnits(raw, kvr::KindRms)));
            }
            const double factor = mDevice->RAM2(kvr::FirstFactorByte + 2 * i) / kvr::FactorScale;
            Stats->setReductionFactorText(i, platform::runtime::numberText(factor));
        }
        ParameterChanged(0, true);
    }
    colourVibrationFrame();
}

// Green while the RMS evaluation runs: always, or by the input when it is input driven.
void UCKVR::colourVibrationFrame()
{
    const bool evaluating = !Stats->InputDriven() || mDevice->IO(kvr::IoRmsInput);
    panelWidgets::setFrameColor(fra[0], panelWidgets::fromBgr(evaluating ? panelWidgets::Green : panelWidgets::White));
}

void UCKVR::UpdateStatus()
{
    const bool admin = mDevice->Bit(AdminLoggedOn);
    const bool editor = admin || mDevice->Bit(SuperUserLoggedOn);

    txtThreValue[0]->setReadOnly(!editor);
    txtThreValue[1]->setReadOnly(!editor);
    txtThreValue[2]->setReadOnly(!admin);
    Stats->setLocked(!admin);

    sldHPFilter->setEnabled(admin);
    sldLPFilter->setEnabled(admin);
    for (int i = 0; i < kvr::Limits; ++i) {
        const bool active = GetLimitFunction(i) != kvr::Disabled;
        chkMonostableOut[static_cast<std::size_t>(i)]->setEnabled(active && admin);
        txtThreValue[static_cast<std::size_t>(i)]->setEnabled(active);
    }
    for (QComboBox *combo : icbFunction)
        combo->setEnabled(editor);
    chkCollisionEn->setEnabled(admin);

    colourVibrationFrame();
    const bool colouring = mDevice->IO(kvr::IoLimitColouring);
    for (int i = 0; i < kvr::Limits; ++i) {
        QLineEdit *box = txtThreValue[static_cast<std::size_t>(i)];
        // Uncoloured, a locked box looks as locked as it is rather than white like an editable one.
        QColor colour =
            box->isReadOnly() ? panelWidgets::lockedBackground() : panelWidgets::fromBgr(panelWidgets::White);
        if (colouring && GetLimitFunction(i) != kvr::Disabled)
            colour = panelWidgets::fromBgr(mDevice->IO(kvr::IoFirstLimitState + i) ? panelWidgets::Red
                                                                                   : panelWidgets::Green);
        panelWidgets::setBoxColor(box, colour);
    }
}

void UCKVR::mDevice_IOStatusChanged()
{
    UpdateStatus();
}
