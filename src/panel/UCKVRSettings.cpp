// The panel's share of settings archives, and how the shell hides and shows it.
#include "FStats.h"
#include "KvrDeviceMap.h"
#include "KvrUnits.h"
#include "PanelWidgets.h"
#include "ParameterHub.h"
#include "UCKVR.h"
#include "core/Setting.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "display/Oscilloscope.h"
#include "platform/Error.h"
#include "platform/Runtime.h"
#include "platform/UiService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <cmath>

namespace {

using platform::MsgButtons;
using platform::MsgIcon;

constexpr int ClosingWaitMs = 200;
// The error a control raises for a value it refuses.
constexpr int32_t InvalidPropertyValue = 380;

QString numbered(const char *tag, int n)
{
    return QLatin1String(tag) + QString::number(n);
}

QString shortest(double value)
{
    return platform::runtime::numberText(value);
}

[[noreturn]] void refuse(const QString &what)
{
    throw platform::Error(InvalidPropertyValue, QStringLiteral("UCKVR.ApplySetting"),
                          QStringLiteral("Invalid property value: ") + what);
}

// A value that must be a number: a decimal comma or point, nothing else around it. "nan" and
// "inf", which the conversion would take, are no numbers in an archive.
double strictNumber(const QString &value)
{
    QString text = value.trimmed();
    if (const qsizetype comma = text.indexOf(QLatin1Char(',')); comma >= 0)
        text[comma] = QLatin1Char('.');
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        throw platform::Error(platform::err::TypeMismatch, QStringLiteral("UCKVR.ApplySetting"),
                              QStringLiteral("Type mismatch"));
    return number;
}

// The slider's value from a caption such as "120 Hz"; a value outside the slider's range is refused.
void applySlider(QSlider *slider, const QString &caption)
{
    const int32_t value = platform::runtime::toLong(mdlTools::ValDot(caption));
    if (value < slider->minimum() || value > slider->maximum())
        refuse(slider->objectName());
    slider->setValue(value);
}

void applyCheck(QCheckBox *box, const QString &value)
{
    const int16_t state = platform::runtime::toInteger(strictNumber(value));
    if (state != 0 && state != 1)
        refuse(box->objectName());
    box->setChecked(state == 1);
}

// A number beyond the double range reads as infinite: it is no value, and nothing of it may reach
// the device.
QString archiveNumberText(const QString &value, const QString &boxName)
{
    const double number = mdlTools::ValDot(value);
    if (!std::isfinite(number))
        refuse(boxName);
    return shortest(number);
}

void applyNumberText(QLineEdit *box, const QString &value)
{
    box->setText(archiveNumberText(value, box->objectName()));
}

}  // namespace

void UCKVR::SaveSetting(Setting &setting)
{
    const auto parameters = setting.Parameters();
    for (int i = 0; i < kvr::Limits; ++i)
        parameters->Add(numbered("Limit Enabled", i + 1), QString::number(GetLimitFunction(i)));
    for (int i = 0; i < kvr::Limits; ++i) {
        parameters->Add(numbered("Limit", i + 1),
                        shortest(mdlTools::ValDot(txtThreValue[static_cast<std::size_t>(i)]->text())));
    }
    parameters->Add(QStringLiteral("LP Filter"), lblLPFreq->text());
    parameters->Add(QStringLiteral("LP Servo"), lblServo->text());
    parameters->Add(QStringLiteral("HP Filter"), lblHPFreq->text());
    for (int i = 0; i < kvr::Limits; ++i)
        parameters->Add(numbered("Monostable", i + 1), chkMonostableOut[static_cast<std::size_t>(i)]->isChecked()
                                                           ? QStringLiteral("1")
                                                           : QStringLiteral("0"));
    for (int i = 0; i < kvr::BandLimits; ++i)
        parameters->Add(numbered("RMSTableLimit", i), Stats->BandLimitText(i));
    for (int i = 0; i < kvr::Bands; ++i)
        parameters->Add(numbered("ReductionFactor", i), Stats->ReductionFactorText(i));
}

// Each control takes its value through its own change handler, so changed values reach the
// device as edits do. The first error ends it; what was applied stays.
void UCKVR::ApplySetting(Setting &setting)
{
    const auto parameters = setting.Parameters();
    const auto value = [&parameters](const QString &tag) { return parameters->Item(tag)->Value(); };
    try {
        applySlider(sldLPFilter, value(QStringLiteral("LP Filter")));
        applySlider(sldHPFilter, value(QStringLiteral("HP Filter")));
        applySlider(sldLPServo, value(QStringLiteral("LP Servo")));
        for (int i = 0; i < kvr::Limits; ++i)
            applyCheck(chkMonostableOut[static_cast<std::size_t>(i)], value(numbered("Monostable", i + 1)));
        for (int i = 0; i < 2; ++i) {
            const int16_t code = platform::runtime::toInteger(strictNumber(value(numbered("Limit Enabled", i + 1))));
            if (code < kvr::Disabled || code > kvr::Rms)
                refuse(icbFunction[static_cast<std::size_t>(i)]->objectName());
            selectFunction(i, code);
            applyNumberText(txtThreValue[static_cast<std::size_t>(i)], value(numbered("Limit", i + 1)));
        }
        chkCollisionEn->setChecked(strictNumber(value(numbered("Limit Enabled", 3))) ==
                                   static_cast<double>(kvr::Module));
        applyNumberText(txtThreValue[2], value(numbered("Limit", 3)));
        for (int i = 0; i < kvr::Bands; ++i) {
            if (i < kvr::BandLimits)
                Stats->setBandLimitText(
                    i, archiveNumberText(value(numbered("RMSTableLimit", i)), Stats->BandLimitName(i)));
            Stats->setReductionFactorText(
                i, archiveNumberText(value(numbered("ReductionFactor", i)), Stats->ReductionFactorName(i)));
        }
    } catch (const platform::Error &) {
        platform::ui::msgBox(mdlStrings::Translate(txt::ErrorInConfigurationFile), MsgButtons::Ok, MsgIcon::Exclamation,
                             platform::ui::DefaultTitle);
        return;
    }
    // The table is to be checked and uploaded even when the archive's equals the one shown.
    Stats->setUploadPending();
    platform::ui::msgBox(mdlStrings::Translate(txt::CheckAndUploadRmsTable), MsgButtons::Ok, MsgIcon::Information);
    cmdShowStats_Click();
}

void UCKVR::GetFocus()
{
    oScope->setFocus();
}

void UCKVR::Closing()
{
    closing_ = true;
    tmrGetData->stop();
    tmrGetStatus->stop();
    Hub->setStatusPollingAllowed(false);
    mdlTools::Wait(ClosingWaitMs, true);
    Stats->hide();
}

void UCKVR::Reopening()
{
    closing_ = false;
    oScope->ClearBuffer();
    bindDevice();
    RequestConfig();
    Hub->setStatusPollingAllowed(true);
    tmrGetData->start();
    tmrGetStatus->start();
}
