// The RMS statistics window's side of the panel: the band counters it shows and the table upload.
#include "FStats.h"
#include "KvrDeviceMap.h"
#include "KvrUnits.h"
#include "RmsStatistics.h"
#include "UCKVR.h"
#include "core/mdlTools.h"
#include "device/CDevice.h"

#include <QLabel>
#include <QLineEdit>

namespace {

constexpr double SecondsPerHour = 3600;
constexpr int CounterBytes = 20;
constexpr int HeadBytes = 3;

}  // namespace

void UCKVR::showBandCounters(const QByteArray &data)
{
    float totalHours = 0;
    float totalEquivalent = 0;
    for (int i = 0; i < kvr::Bands; ++i) {
        const int32_t seconds = kvr::DecodeTallyCounter(data, HeadBytes + CounterBytes * i);
        const auto hours = static_cast<float>(seconds / SecondsPerHour);
        const auto equivalent =
            static_cast<float>(hours * static_cast<float>(mdlTools::ValDot(Stats->ReductionFactorText(i))));
        Stats->showBandHours(i, kvr::FormatHours(hours), kvr::FormatHours(equivalent));
        totalHours += hours;
        totalEquivalent += equivalent;
    }
    Stats->showTotalHours(kvr::FormatHours(totalHours), kvr::FormatHours(totalEquivalent));
}

// The 19 table words, then the command that makes the device adopt them; the next configuration
// read brings them back.
void UCKVR::SetTable()
{
    constexpr int32_t AdoptTable = 128;
    for (int i = 0; i < kvr::BandLimits; ++i) {
        const auto value = static_cast<float>(mdlTools::ValDot(Stats->BandLimitText(i)));
        mDevice->setRAM2(kvr::FirstBandLimitByte + 2 * i, kvr::UnitsToRaw(value, kvr::KindRms));
    }
    for (int i = 0; i < kvr::Bands; ++i) {
        const double factor = mdlTools::ValDot(Stats->ReductionFactorText(i));
        mDevice->setRAM2(kvr::FirstFactorByte + 2 * i, kvr::SaturatedRound(factor * kvr::FactorScale));
    }
    mDevice->SendCommand(AdoptTable);
}
