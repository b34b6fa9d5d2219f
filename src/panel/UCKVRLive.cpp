// Live data: the oscilloscope's tracks and sources, the paced reads and their decoding, the RMS
// statistics counters and the table upload.
#include "FStats.h"
#include "KvrDeviceMap.h"
#include "KvrUnits.h"
#include "ParameterHub.h"
#include "RealTimeReplies.h"
#include "RmsStatistics.h"
#include "UCKVR.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "device/CDevice.h"
#include "device/ModbusFunction.h"
#include "display/Oscilloscope.h"
#include "platform/Runtime.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

namespace {

constexpr float TrackScale = 5.0f;
constexpr int TrackCount = 5;
constexpr int RmsTrack = 5;
constexpr double SecondsPerHour = 3600;
constexpr double FactorScale = 100;
constexpr int CounterBytes = 20;
constexpr int HeadBytes = 3;

}  // namespace

void UCKVR::InitScope()
{
    Stats->Owner = this;
    Stats->RMSLimitMax = kvr::MaxBandLimit;
    LoadCaptions();
    struct TrackLayout {
        int tag;
        int32_t colour;
        const char *key;
        int unit;
    };
    const TrackLayout tracks[TrackCount] = {{175, 0xFFFF, "X", 0},
                                            {176, 0xFF00, "Y", 0},
                                            {177, 0xFF, "Z", 0},
                                            {76, 0xFF00FF, "Module", 0},
                                            {92, 0xFFFF00, "RMS", 75}};
    for (const TrackLayout &track : tracks) {
        oScope->Tracks().Add(mdlStrings::Translate(track.tag), track.colour, 0, 1, TrackScale, 0, true,
                             QLatin1String(track.key), track.unit ? mdlStrings::Translate(track.unit) : QString());
    }
    optAxisScope[kvr::SourceAll]->setChecked(true);
    oScope->setSamplesPerSecond(kvr::LiveSamplesPerSecond);
}

void UCKVR::optAxisScope_Click(int index)
{
    ScopeChannel = index;
    if (index == kvr::SourceNone) {
        tmrGetData->stop();
        oScope->hide();
        return;
    }
    tmrGetData->start();
    oScope->show();
    const bool live = kvr::ShowsLiveValues(index);
    const int rate = live ? kvr::LiveSamplesPerSecond : kvr::WaveformSamplesPerSecond;
    if (oScope->SamplesPerSecond() != rate) {
        oScope->ClearBuffer();
        oScope->setSamplesPerSecond(rate);
    }
    for (int k = 1; k <= TrackCount; ++k) {
        const bool visible = index == kvr::SourceAll || (index == kvr::SourceRms ? k == RmsTrack : k == index + 1);
        oScope->Tracks().Item(k)->setVisible(visible);
    }
    oScope->Redraw();
}

void UCKVR::tmrGetData_Timer()
{
    const double now = mdlTools::HiResTimer();
    switch (kvr::NextDataRead(now - LastDataRequest, ScopeChannel)) {
    case kvr::DataRead::Live:
        LastDataRequest = kvr::LiveReadSlot(LastDataRequest, now);
        mDevice->MBRead(modbus::ReadInputRegisters, kvr::LiveStart, kvr::LiveCount);
        break;
    case kvr::DataRead::Waveform:
        mDevice->MBRead(modbus::ReadInputRegisters,
                        kvr::WaveformStart + kvr::WaveformChannelStride * ScopeChannel + WavePage, kvr::WaveformCount);
        LastDataRequest = now;
        break;
    case kvr::DataRead::None: break;
    }
}

void UCKVR::tmrGetStatus_Timer()
{
    if (Stats->isVisible()) {
        mDevice->MBRead(modbus::ReadInputRegisters, kvr::CountersStart, kvr::CountersCount);
        if (!kvr::ShowsLiveValues(ScopeChannel))
            mDevice->MBRead(modbus::ReadInputRegisters, kvr::DiagnosticsStart, kvr::DiagnosticsCount);
    }
    // Every eleventh tick re-reads the configuration, as soon as no edit waits.
    constexpr int ConfigTicks = 10;
    if (StatusTicks == ConfigTicks) {
        if (!Hub->EditPending()) {
            RequestConfig();
            StatusTicks = 0;
        }
    } else {
        ++StatusTicks;
    }
}

void UCKVR::mDevice_NewRTData(const MBRequestPtr &request, const QByteArray &data)
{
    if (!request || !kvr::ReplyByteCount(data))
        return;
    const int start = request->StartAddress();
    // Every status poll refreshes the log-on byte, on which the locks depend.
    if (start == 0) {
        UpdateStatus();
        return;
    }
    if (const auto live = kvr::DecodeLive(start, data)) {
        if (kvr::ShowsLiveValues(ScopeChannel)) {
            for (int k = 0; k < TrackCount; ++k)
                oScope->Tracks().Item(k + 1)->SetPoint(live->values[static_cast<std::size_t>(k)]);
            oScope->DrawPoint();
        }
        LastRMS = live->rms();
        lblRMS->setText(platform::runtime::format(LastRMS, QStringLiteral("0.0")));
        Stats->setRMS(LastRMS);
    } else if (const auto page = kvr::DecodeWaveform(start, data)) {
        WavePage = (WavePage + 1) % kvr::WavePages;
        const int channelTrack = page->channel + 1;
        for (const float sample : page->samples) {
            for (int k = 1; k <= TrackCount; ++k)
                oScope->Tracks().Item(k)->SetPoint(k == channelTrack ? sample : 0.0f);
            oScope->DrawPoint();
        }
    } else if (kvr::IsBandCounters(start, data)) {
        showBandCounters(data);
    }
}

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
        mDevice->setRAM2(kvr::FirstFactorByte + 2 * i, kvr::SaturatedRound(factor * FactorScale));
    }
    mDevice->SendCommand(AdoptTable);
}
