// Live data: the oscilloscope's tracks and sources, the paced reads and their decoding.
#include "FStats.h"
#include "KvrDeviceMap.h"
#include "KvrUnits.h"
#include "ParameterHub.h"
#include "RealTimeReplies.h"
#include "UCKVR.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "device/CDevice.h"
#include "device/ModbusFunction.h"
#include "display/Oscilloscope.h"
#include "platform/Runtime.h"

#include <QLabel>
#include <QRadioButton>
#include <QTimer>
#include <optional>

namespace {

constexpr float TrackScale = 5.0f;
constexpr int TrackCount = 5;
constexpr int RmsTrack = 5;

}  // namespace

void UCKVR::InitScope()
{
    Stats->Owner = this;
    Stats->RMSLimitMax = kvr::MaxBandLimit;
    LoadCaptions();
    struct TrackLayout {
        txt::Id tag;
        int32_t colour;
        const char *key;
        std::optional<txt::Id> unit;
    };
    const TrackLayout tracks[TrackCount] = {{txt::AxisX, 0xFFFF, "X", std::nullopt},
                                            {txt::AxisY, 0xFF00, "Y", std::nullopt},
                                            {txt::AxisZ, 0xFF, "Z", std::nullopt},
                                            {txt::Module, 0xFF00FF, "Module", std::nullopt},
                                            {txt::Rms, 0xFFFF00, "RMS", txt::MillimetresPerSecond}};
    for (const TrackLayout &track : tracks) {
        oScope->Tracks().Add(mdlStrings::Translate(track.tag), track.colour, 0, 1, TrackScale, 0, true,
                             QLatin1String(track.key), track.unit ? mdlStrings::Translate(*track.unit) : QString());
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
    // A closing panel's timers stay stopped, whatever is clicked while it closes.
    if (!closing_)
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

// The paced reads are queued, never waited for: a tick that waited on a slow line would hold every
// other event behind it, and the line keeps the newest of each kind rather than a backlog.
void UCKVR::tmrGetData_Timer()
{
    if (!mDevice)
        return;
    const double now = mdlTools::HiResTimer();
    switch (kvr::NextDataRead(now - LastDataRequest, ScopeChannel)) {
    case kvr::DataRead::Live:
        LastDataRequest = kvr::LiveReadSlot(LastDataRequest, now);
        mDevice->QueueRead(ReadKind::LiveValues, modbus::ReadInputRegisters, kvr::LiveStart, kvr::LiveCount);
        break;
    case kvr::DataRead::Waveform:
        mDevice->QueueRead(ReadKind::LiveValues, modbus::ReadInputRegisters,
                           kvr::WaveformStart + kvr::WaveformChannelStride * ScopeChannel + WavePage,
                           kvr::WaveformCount);
        LastDataRequest = now;
        break;
    case kvr::DataRead::None: break;
    }
}

void UCKVR::tmrGetStatus_Timer()
{
    if (!mDevice)
        return;
    if (Stats->isVisible()) {
        mDevice->QueueRead(ReadKind::PanelStatus, modbus::ReadInputRegisters, kvr::CountersStart, kvr::CountersCount);
        if (!kvr::ShowsLiveValues(ScopeChannel))
            mDevice->QueueRead(ReadKind::PanelStatus, modbus::ReadInputRegisters, kvr::DiagnosticsStart,
                               kvr::DiagnosticsCount);
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
