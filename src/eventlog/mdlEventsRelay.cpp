// The collision and vibration relay's records that are no alarm: reset, statistics and changed settings.
#include "mdlEvents.h"
#include "mdlEventsFields.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "platform/Runtime.h"

namespace mdlEvents {
namespace {

using mdlStrings::Translate;

QString relayStatistics(const Fields &f)
{
    switch (f.hi) {
    case 1:
        return Translate(txt::StatisticTableSetTo) + QStringLiteral(": ") +
               Translate((f.lo & 1) != 0 ? txt::InputDriven : txt::AlwaysEnabled);
    case 2:
    case 4:
    case 8: {
        const int output = f.hi == 2 ? 1 : f.hi == 4 ? 2 : 3;
        const QString mode = (f.lo & f.hi) != 0 ? QStringLiteral("Monostable mode active on output")
                                                : QStringLiteral("Monostable mode not active on output");
        return Translate(mode) + QLatin1Char(' ') + QString::number(output);
    }
    default: return QString();
    }
}

QString relayLimitFunction(const Fields &f)
{
    QString text = Translate(txt::Limit) + QLatin1Char(' ') + QString::number(f.code - 128);
    switch (f.lo) {
    case 0: return text + QLatin1Char(' ') + Translate(txt::Disabled);
    case 1: return text + QLatin1Char(' ') + Translate(txt::EnabledOnXAxis);
    case 2: return text + QLatin1Char(' ') + Translate(txt::EnabledOnYAxis);
    case 4: return text + QLatin1Char(' ') + Translate(txt::EnabledOnZAxis);
    case 8: return text + QLatin1Char(' ') + Translate(txt::EnabledOnModule);
    case 16: return text + QLatin1Char(' ') + Translate(txt::EnabledOnRms);
    default: return text;
    }
}

// A limit value carries its kind in its top two bits: module, axis or RMS.
QString relayLimitValue(const Fields &f)
{
    const int limit = (f.code - 132) / 2 + 1;
    QString value;
    if (f.value < 16384)
        value = ChannelValueText0(static_cast<float>(f.value), 4);
    else if (f.value < 49152)
        value = ChannelValueText0(static_cast<float>(f.value), 1);
    else
        value = ChannelValueText0(static_cast<float>((f.value & 16383) * 4), 5);
    return Translate(txt::Limit) + QLatin1Char(' ') + QString::number(limit) + QLatin1Char(' ') +
           Translate(txt::Modified) + QStringLiteral(": ") + value;
}

QString relayFilter(txt::Id captionId, const Fields &f)
{
    const float frequency = mdlTools::FilterCoefToFreq(1000, f.lo, 256);
    return Translate(captionId) + QLatin1Char(' ') + platform::runtime::format(frequency, QStringLiteral("0")) +
           QLatin1Char(' ') + Translate(txt::Hz);
}

}  // namespace

QString RelayRecordText(const Fields &f)
{
    switch (f.code) {
    case 64: return Translate(txt::RmsTableReset);
    case 128: return relayStatistics(f);
    case 129:
    case 130:
    case 131: return relayLimitFunction(f);
    case 132:
    case 134:
    case 136: return relayLimitValue(f);
    case 138: return relayFilter(txt::LowPassFilterSetTo, f);
    case 139: return relayFilter(txt::HighPassFilterSetTo, f);
    case 140: return relayFilter(txt::MonoaxialLowPassFilterSetTo, f);
    case 160: return Translate(txt::OutputTimeDelaySetTo) + QLatin1Char(' ') + TurnOffDelayText(f.lo);
    case 161: return Translate((f.lo & 1) != 0 ? txt::OutputDisabled : txt::OutputEnabled);
    case 162: return Translate(txt::RmsTableDataModified);
    case 163:
        return Translate(txt::MaInput) + QLatin1Char(' ') +
               Translate((f.hi & 8) != 0 ? QStringLiteral("On") : QStringLiteral("Off"));
    default: return QString();
    }
}

}  // namespace mdlEvents
