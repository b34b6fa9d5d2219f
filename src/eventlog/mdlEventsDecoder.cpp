// The description of one event record: the general codes and the texts of each application's records.
#include "mdlEvents.h"
#include "mdlEventsFields.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "firmware/mdlSoftwares.h"
#include "platform/Runtime.h"
#include "session/mdlMain.h"

#include <cmath>
#include <initializer_list>
#include <optional>
#include <unordered_map>

namespace mdlEvents {
namespace {

using mdlStrings::Translate;

// General codes, the same for every application.
constexpr uint8_t CodeInvalid = 255;
constexpr uint8_t CodePowerOn = 240;
constexpr uint8_t CodeClockSet = 245;
constexpr uint8_t CodePowerOff = 241;
constexpr uint8_t CodeConfigSaved = 224;
constexpr uint8_t CodeSelfTest = 244;
// A power-off record with this application id marks the start of the log book.
constexpr uint8_t LogBookStart = 255;
constexpr int32_t DefaultConfiguration = 65535;

QString number(double x)
{
    return platform::runtime::numberText(x);
}

QString roundedNumber(double x, int decimals)
{
    return number(platform::runtime::round(x, decimals));
}

using Formatter = QString (*)(double);

const QString Dash2 = QStringLiteral(" -  ");

QString alarm()
{
    return Translate(txt::Alarm);
}

QString limitPart(int limit)
{
    return Dash2 + Translate(txt::Limit) + QLatin1Char(' ') + QString::number(limit);
}

QString optionalLimit(const Fields &f)
{
    return f.limit != 0 ? limitPart(f.limit) : QString();
}

QString signalPart(const QString &name)
{
    return QStringLiteral(" - ") + Translate(txt::Signal) + QStringLiteral(": ") + name;
}

QString valuePart(const QString &text)
{
    return QStringLiteral(" - ") + Translate(txt::Value) + QStringLiteral(": ") + text;
}

QString optionalValue(const Fields &f, Formatter format)
{
    return f.value != 0 ? valuePart(format(f.value)) : QString();
}

// Entry index (from 1) of a list of texts; an entry without a text, and an index outside the list,
// give the empty name.
QString listEntry(std::initializer_list<std::optional<txt::Id>> ids, int index)
{
    if (index < 1 || index > static_cast<int>(ids.size()))
        return QString();
    const std::optional<txt::Id> id = *(ids.begin() + index - 1);
    return id ? Translate(*id) : QString();
}

QString axes4(int index)
{
    return listEntry({txt::XAxis, txt::YAxis, txt::ZAxis, txt::Module}, index);
}

QString axes3(int index)
{
    return listEntry({txt::XAxis, txt::YAxis, txt::ZAxis}, index);
}

QString axes6(int index)
{
    return listEntry({txt::XAxis, txt::YAxis, txt::ZAxis, txt::Module, std::nullopt, txt::Rms}, index);
}

QString channels8(int index)
{
    return listEntry({txt::XAcceleration, txt::YAcceleration, txt::ZAcceleration, txt::Temperature, txt::XVelocity,
                      txt::YVelocity, txt::ZVelocity, txt::External},
                     index);
}

// ---- application tables ----

QString axisAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    return alarm() + optionalLimit(f) + signalPart(axes4(f.signal)) +
           optionalValue(f, f.signal == 4 ? AccTextSqr256 : AccTextDiv16Offset);
}

QString axisAlarmWithReset(const Fields &f)
{
    return f.code == 64 ? Translate(txt::UserResetAlarm) : axisAlarm(f);
}

QString balancingAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    QString text = alarm();
    if (f.limit != 0)
        text += Dash2 + Translate(txt::BalancingLimit) + QLatin1Char(' ') + QString::number(f.limit);
    return text + optionalValue(f, VelTextSqrB);
}

// Alarm, optional limit and optional value: the applications that name no signal.
template <Formatter format> QString limitValueAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    return alarm() + optionalLimit(f) + optionalValue(f, format);
}

// The multi-channel applications: an odd code names its channel by Signal and carries a value,
// an even one names it by Lo.
template <QString (*channelFormat)(double, int32_t)> QString channelAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    const QString text = alarm() + optionalLimit(f);
    if (!f.oddCode())
        return text + signalPart(channels8(f.lo + 1));
    QString value;
    if (f.value != 0)
        value = valuePart(channelFormat(f.value, f.signal));
    return text + signalPart(channels8(f.signal + 1)) + value;
}

QString frequencyAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    return alarm() + optionalLimit(f) + valuePart(FrequencyText(f.value));
}

QString gravityAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    QString text = alarm();
    if (f.limit != 0)
        text += limitPart(f.limit) + signalPart(Translate(f.limit == 3 ? txt::Module : txt::Gravity));
    return text + optionalValue(f, f.limit == 3 ? AccTextSqr256 : AccTextSqr);
}

QString tiltAlarm(const Fields &f)
{
    if (f.code == 64)
        return Translate(txt::ZeroSetup);
    if (!f.isAlarm())
        return QString();
    return alarm() + optionalLimit(f) + valuePart(TiltAngleText(f.value));
}

QString threeAxisAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    return alarm() + optionalLimit(f) + signalPart(axes3(f.signal)) + optionalValue(f, AccTextOffset);
}

QString twoLimitAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    QString text = alarm() + limitPart(f.limit) + QStringLiteral(" - ") + Translate(txt::Value) + QStringLiteral(": ");
    if (f.limit == 1)
        text += withUnit(roundedNumber(std::sqrt(f.value * 256.0) / K, 2), txt::MetresPerSecond2);
    else if (f.limit == 2 && f.value > 255)
        text += withUnit(roundedNumber(std::sqrt(f.value - 255.0) / K, 2), txt::MetresPerSecond2);
    return text;
}

QString onOffAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    QString side;
    if (f.limit == 1)
        side = Translate(txt::Lower);
    else if (f.limit == 2)
        side = Translate(txt::Higher);
    return alarm() + Dash2 + side + QLatin1Char(' ') + Translate(txt::Limit) + QLatin1Char(' ') +
           Translate(f.oddCode() ? txt::AlarmOff : txt::AlarmOn);
}

// Vibration limits 1 and 2 with a velocity from the low byte, collision limit 3 with an acceleration.
template <int velocityScale> QString vibrationCollisionAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    QString text = alarm();
    if (f.limit == 1 || f.limit == 2) {
        text += Dash2 + Translate(txt::VibrationLimit) + QLatin1Char(' ') + QString::number(f.limit);
        if (f.lo != 0)
            text += valuePart(withUnit(number(f.lo / 20.0 * velocityScale), txt::MillimetresPerSecond));
    } else if (f.limit == 3) {
        text += Dash2 + Translate(txt::CollisionLimit);
        if (f.value != 0)
            text += valuePart(withUnit(roundedNumber(std::sqrt(f.value * 256.0) / K, 1), txt::MetresPerSecond2));
    }
    return text;
}

QString vibrationCollisionAlarmWithReset(const Fields &f)
{
    return f.code == 64 ? Translate(txt::RmsTableReset) : vibrationCollisionAlarm<1>(f);
}

QString balancingCollisionAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    QString text = alarm();
    if (f.limit == 1 || f.limit == 2)
        text += Dash2 + Translate(txt::BalancingLimit) + QLatin1Char(' ') + QString::number(f.limit);
    else if (f.limit == 3)
        text += Dash2 + Translate(txt::CollisionLimit);
    if (f.value == 0)
        return text;
    if (f.limit == 0)
        return text + QStringLiteral(" - ") + Translate(txt::Value) + QStringLiteral(": ");
    return text + valuePart(f.limit == 3 ? AccTextSqr256b(f.value) : VelTextSqrA(f.value));
}

template <Formatter format> QString displacementAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    return alarm() + Dash2 + Translate(txt::VibrationLimit) + QLatin1Char(' ') + QString::number(f.limit) +
           optionalValue(f, format);
}

QString overloadAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    const QString label = listEntry({txt::Bearing, txt::OverloadWarning, txt::OverloadAlarm}, f.limit);
    return alarm() + (label.isEmpty() ? QString() : Dash2 + label) + valuePart(AccText128(f.value));
}

// The velocity of limits 1 and 2 of the two square-root applications; nothing where it has none.
QString rootVelocity78(int32_t value)
{
    return withUnit(platform::runtime::format(std::sqrt(static_cast<double>(value)) * 16 / K, QStringLiteral("0.0")),
                    txt::MetresPerSecond2);
}

QString rootVelocity79(int32_t value)
{
    // Below 765 the reading has no square root; the value part is left out.
    if (value < 765)
        return QString();
    return withUnit(platform::runtime::format(std::sqrt(value - 765.0) / 5, QStringLiteral("0.0")),
                    txt::MillimetresPerSecond);
}

template <QString (*limitValue)(int32_t)> QString rootAlarm(const Fields &f)
{
    if (!f.isAlarm())
        return QString();
    QString text = alarm();
    if (f.limit == 1 || f.limit == 2) {
        text += Dash2 + Translate(txt::VibrationLimit) + QLatin1Char(' ') + QString::number(f.limit);
        const QString value = f.value != 0 ? limitValue(f.value) : QString();
        if (!value.isEmpty())
            text += valuePart(value);
    } else if (f.limit == 3) {
        text += Dash2 + Translate(txt::CollisionLimit);
        if (f.value != 0)
            text += valuePart(
                withUnit(roundedNumber(std::sqrt(static_cast<double>(f.value)) * 4 / K, 1), txt::MetresPerSecond2));
    }
    return text;
}

// ---- the collision and vibration relay ----

QString relayAlarm(const Fields &f)
{
    QString text = alarm() + optionalLimit(f) + signalPart(axes6(f.signal));
    if (f.value == 0)
        return text;
    if (f.signal <= 4)
        text += valuePart(ChannelValueText0(static_cast<float>(f.value), f.signal));
    else if (f.signal == 6)
        text += valuePart(ChannelValueText0(static_cast<float>(f.value), 5));
    return text;
}

QString relayEvent(const Fields &f)
{
    return f.isAlarm() ? relayAlarm(f) : RelayRecordText(f);
}

// ---- the 24-bit applications ----

// No panel of this console names the thresholds of application 40, so its limits are numbered
// as those of every other application.
QString frequencyLimit(const Fields &f, double scale)
{
    return Translate(txt::Limit) + QLatin1Char(' ') + QString::number(f.code & 15) + QLatin1Char(' ') +
           Translate(txt::FrequencyHzShort) + QLatin1Char(' ') + roundedNumber(f.value / 256.0 * scale, 1);
}

QString measurementValue(double value)
{
    return Translate(txt::Value) + QStringLiteral(" (") + Translate(txt::MetresPerSecond2) + QStringLiteral("): ") +
           number(value);
}

QString collisionMeter(const Fields &f)
{
    if (f.code == 215)
        return Translate(txt::CollisionEventValue) +
               platform::runtime::numberText(AccFromSquare(static_cast<float>(f.value)));
    if (f.code <= 207)
        return measurementValue(ScaleSqrtClamped(65536.0 * f.value24));
    if (f.code <= 223)
        return frequencyLimit(f, 128);
    return QString();
}

QString linearMeter(const Fields &f)
{
    if (f.code <= 207)
        return measurementValue(ScaleLinearClamped(f.value24));
    if (f.code <= 223)
        return frequencyLimit(f, 96);
    return QString();
}

using Describer = QString (*)(const Fields &);

const std::unordered_map<int32_t, Describer> &applications()
{
    static const std::unordered_map<int32_t, Describer> table = {
        {6, axisAlarm},
        {7, balancingAlarm},
        {10, limitValueAlarm<AccTextX16>},
        {13, limitValueAlarm<AccTextSqr2048>},
        {14, channelAlarm<ChannelValueText>},
        {15, limitValueAlarm<AccTextSqrX16>},
        {18, frequencyAlarm},
        {19, gravityAlarm},
        {20, axisAlarm},
        {21, tiltAlarm},
        {23, channelAlarm<ChannelValueText16>},
        {24, relayEvent},
        {27, threeAxisAlarm},
        {28, twoLimitAlarm},
        {35, onOffAlarm},
        {36, vibrationCollisionAlarmWithReset},
        {37, limitValueAlarm<AccTextSqrK>},
        {40, collisionMeter},
        {42, linearMeter},
        {43, balancingCollisionAlarm},
        {44, axisAlarm},
        {45, axisAlarm},
        {46, axisAlarmWithReset},
        {50, vibrationCollisionAlarm<1>},
        {51, displacementAlarm<DisplacementText60>},
        {53, displacementAlarm<DisplacementText150>},
        {55, overloadAlarm},
        {56, vibrationCollisionAlarm<16>},
        {78, rootAlarm<rootVelocity78>},
        {79, rootAlarm<rootVelocity79>},
    };
    return table;
}

QString powerText(txt::Id captionId, uint8_t softwareRow, uint8_t version)
{
    return Translate(captionId) + QStringLiteral(" - ") + mdlSoftwares::GetSoftware(softwareRow).Name +
           QLatin1Char(' ') + Translate(txt::VerShort) + QStringLiteral(". ") + mdlMain::FormatFirmwareVersion(version);
}

}  // namespace

QString GetEventDescription(uint8_t Code, uint8_t Lo, uint8_t Hi, int32_t &AppID)
{
    switch (Code) {
    case CodeInvalid: return Translate(txt::InvalidEntry);
    case CodePowerOn: {
        const QString text = powerText(txt::DevicePowerOn, Lo, Hi);
        AppID = 0;
        return text;
    }
    case CodeClockSet: return Translate(txt::ClockSetCurrentYear) + QString::number(Lo + 2000);
    case CodePowerOff:
        AppID = Lo;
        return Lo == LogBookStart ? Translate(txt::LogBookStart) : powerText(txt::DevicePowerOff, Lo, Hi);
    case CodeConfigSaved: {
        const int32_t value = mdlTools::MakeWord(Lo, Hi);
        QString text = Translate(txt::ConfigurationSaved);
        if (value != 0)
            text += QLatin1Char(':');
        if (value == DefaultConfiguration)
            text += QStringLiteral("- ") + Translate(txt::DefaultConfigurationLoaded);
        return text;
    }
    case CodeSelfTest:
        return Translate(txt::AutodiagnosticError) + QStringLiteral(" (") + Translate(txt::Code) + QLatin1Char(' ') +
               mdlTools::HexPad(Lo, 2) + QLatin1Char(')');
    default: break;
    }
    const auto found = applications().find(AppID);
    if (found == applications().end())
        return Translate(txt::EventNotDescribed);
    return found->second(Fields(Code, Lo, Hi));
}

}  // namespace mdlEvents
