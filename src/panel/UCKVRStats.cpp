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
        const auto band = static_cast<std::size_t>(i);
        const int32_t seconds = kvr::DecodeTallyCounter(data, HeadBytes + CounterBytes * i);
        const auto hours = static_cast<float>(seconds / SecondsPerHour);
        const auto equivalent =
            static_cast<float>(hours * static_cast<float>(mdlTools::ValDot(Stats->txtReductionFactor[band]->text())));
        Stats->lblOreLavorate[band]->setText(kvr::FormatHours(hours));
        Stats->lblOreEquiv[band]->setText(kvr::FormatHours(equivalent));
        totalHours += hours;
        totalEquivalent += equivalent;
    }
    Stats->lblTotOreLavorate->setText(kvr::FormatHours(totalHours));
    Stats->lblTotOreEquiv->setText(kvr::FormatHours(totalEquivalent));
}

// The 19 table words, then the command that makes the device adopt them; the next configuration
// read brings them back.
void UCKVR::SetTable()
{
    constexpr int32_t AdoptTable = 128;
    for (int i = 0; i < kvr::BandLimits; ++i) {
        const auto value =
            static_cast<float>(mdlTools::ValDot(Stats->txtRMSLimit[static_cast<std::size_t>(i)]->text()));
        mDevice->setRAM2(kvr::FirstBandLimitByte + 2 * i, kvr::UnitsToRaw(value, kvr::KindRms));
    }
    for (int i = 0; i < kvr::Bands; ++i) {
        const double factor = mdlTools::ValDot(Stats->txtReductionFactor[static_cast<std::size_t>(i)]->text());
        mDevice->setRAM2(kvr::FirstFactorByte + 2 * i, kvr::SaturatedRound(factor * kvr::FactorScale));
    }
    mDevice->SendCommand(AdoptTable);
}
