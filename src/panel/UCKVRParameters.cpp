// Parameter editing: every edit goes through the hub, which debounces it and writes the device.
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
#include "display/Oscilloscope.h"
#include "platform/Error.h"
#include "platform/Runtime.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

namespace {

enum ParameterId : int32_t {
    LowPassFilter = 1,
    HighPassFilter = 2,
    FirstThreshold = 3,  // 3, 4, 5
    FirstFunction = 6,   // 6, 7, 8
    RmsInputEnable = 9,
    ServoFilter = 10,
    FirstMonostable = 11,  // 11, 12, 13
    LastMonostable = 13,
};

QString levelLineKey(int index)
{
    return QStringLiteral("S") + QString::number(index);
}

// One step of a procedure whose errors are skipped one statement at a time.
template <typename Step> void ignoringErrors(Step step)
{
    try {
        step();
    } catch (const platform::Error &) {
    }
}

}  // namespace

void UCKVR::ParameterChanged(int32_t id, bool final)
{
    Hub->ParameterChanged(id, final);
}

QSlider *UCKVR::filterSlider(int32_t id) const
{
    return id == LowPassFilter ? sldLPFilter : id == HighPassFilter ? sldHPFilter : sldLPServo;
}

QLabel *UCKVR::filterCaption(int32_t id) const
{
    return id == LowPassFilter ? lblLPFreq : id == HighPassFilter ? lblHPFreq : lblServo;
}

void UCKVR::ApplyParameter(int32_t id, bool final)
{
    switch (id) {
    case LowPassFilter:
    case HighPassFilter:
    case ServoFilter: applyFilterCaption(id, final); break;
    case FirstThreshold:
    case FirstThreshold + 1:
    case FirstThreshold + 2: applyThreshold(id - FirstThreshold, final); break;
    case FirstFunction:
    case FirstFunction + 1:
    case FirstFunction + 2: applyFunction(id - FirstFunction, final); break;
    case RmsInputEnable: WriteParameter(id, Stats->InputDriven()); break;
    case FirstMonostable:
    case FirstMonostable + 1:
    case LastMonostable:
        WriteParameter(id, chkMonostableOut[static_cast<std::size_t>(id - FirstMonostable)]->isChecked());
        break;
    default: break;
    }
}

void UCKVR::applyFilterCaption(int32_t id, bool final)
{
    const int frequency = filterSlider(id)->value();
    filterCaption(id)->setText(QString::number(frequency) + QLatin1Char(' ') + mdlStrings::Translate(txt::Hz));
    if (final)
        WriteParameter(id, kvr::FilterCoefficient(frequency));
}

void UCKVR::applyThreshold(int index, bool final)
{
    QLineEdit *box = txtThreValue[static_cast<std::size_t>(index)];
    ignoringErrors([&] { ClampThreshold(index); });
    if (final) {
        ignoringErrors([&] {
            const auto value = static_cast<float>(mdlTools::ValDot(box->text()));
            WriteParameter(FirstThreshold + index, kvr::UnitsToRaw(value, GetLimitFunction(index)));
        });
    }
    // A disabled limit has no track and so no level line to move.
    ignoringErrors([&] {
        oScope->Tracks()
            .Item(GetLimitFunction(index))
            ->LevelLines()
            .Item(levelLineKey(index))
            ->setValue(static_cast<float>(mdlTools::ValDot(box->text())));
    });
    if (!SuppressRedraw)
        oScope->Refresh(true);
}

// The limit's level line lives on the track of its function only.
void UCKVR::applyFunction(int index, bool final)
{
    ClampThreshold(index);
    const QString key = levelLineKey(index);
    const int32_t function = GetLimitFunction(index);
    const auto value = static_cast<float>(mdlTools::ValDot(txtThreValue[static_cast<std::size_t>(index)]->text()));
    int32_t position = 0;
    for (const auto &track : oScope->Tracks()) {
        ++position;
        // Adding a key the track already has fails and leaves that line as it was.
        ignoringErrors([&] {
            if (position == function)
                track->LevelLines().Add(value, track->DrawColor(), 0, 1, key);
            else
                track->LevelLines().Remove(key);
        });
    }
    if (final)
        WriteParameter(FirstFunction + index, LimitWord[static_cast<std::size_t>(index)]);
}

void UCKVR::WriteParameter(int32_t id, int32_t value)
{
    // A link released under a closing panel takes no more writes.
    if (SuppressWrite || !mDevice)
        return;
    switch (id) {
    case LowPassFilter: mDevice->setRAM(kvr::LowPassByte, value); break;
    case HighPassFilter: mDevice->setRAM(kvr::HighPassByte, value); break;
    case ServoFilter: mDevice->setRAM(kvr::ServoByte, value); break;
    case FirstThreshold:
    case FirstThreshold + 1:
    case FirstThreshold + 2: mDevice->setRAM2(kvr::FirstThresholdByte + 2 * (id - FirstThreshold), value); break;
    case FirstFunction:
    case FirstFunction + 1:
    case FirstFunction + 2: mDevice->setRAM(kvr::FirstLimitWordByte + id - FirstFunction, value); break;
    case RmsInputEnable: mDevice->setBit(kvr::RmsInputDrivenBit, value != 0); break;
    case FirstMonostable:
    case FirstMonostable + 1:
    case LastMonostable: mDevice->setBit(kvr::FirstMonostableBit + id - FirstMonostable, value != 0); break;
    default: break;
    }
}

void UCKVR::icbFunction_Click(int index)
{
    const int32_t old = GetLimitFunction(index);
    const QString key = panelWidgets::selectedKey(icbFunction[static_cast<std::size_t>(index)]);
    if (const auto function = kvr::FunctionOfKey(key))
        LimitWord[static_cast<std::size_t>(index)] = kvr::LimitWordOf(*function);
    ParameterChanged(FirstFunction + index, true);
    // The threshold is written again in the units of the new function.
    if (old != kvr::Disabled && key != kvr::ComboKey(kvr::Disabled)) {
        ClampThreshold(index);
        ParameterChanged(FirstThreshold + index, true);
    }
}

void UCKVR::chkCollisionEn_Click()
{
    LimitWord[2] = chkCollisionEn->isChecked() ? kvr::LimitWordOf(kvr::Module) : 0;
    ParameterChanged(FirstFunction + 2, true);
}

void UCKVR::chkMonostableOut_Click(int index)
{
    ParameterChanged(FirstMonostable + index, true);
}

// The reset is a command of the moment: it bypasses the hub and any suppression.
void UCKVR::cmdMonoReset_Click()
{
    if (mDevice)
        mDevice->setBit(kvr::MonostableResetBit, true);
}

void UCKVR::txtThreValue_Change(int index)
{
    ParameterChanged(FirstThreshold + index, false);
}

void UCKVR::txtThreValue_KeyDown(int index, int keyCode, Qt::KeyboardModifiers shift)
{
    QLineEdit *box = txtThreValue[static_cast<std::size_t>(index)];
    if (box->isReadOnly())
        return;
    const double step = shift & Qt::ShiftModifier ? 0.1 : 1;
    double delta = 0;
    switch (keyCode) {
    case Qt::Key_Up: delta = step; break;
    case Qt::Key_Down: delta = -step; break;
    case Qt::Key_PageUp: delta = 10; break;
    case Qt::Key_PageDown: delta = -10; break;
    default: return;
    }
    box->setText(platform::runtime::numberText(mdlTools::ValDot(box->text()) + delta));
}

void UCKVR::SetInputEnable()
{
    ParameterChanged(RmsInputEnable, true);
}
