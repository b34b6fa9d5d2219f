// The control panel's buttons: moving through held data, autoset, zoom, set zero, export, and the cursor measurements.
#include "FConsole.h"

#include "CursorSpan.h"
#include "Oscilloscope.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "platform/Error.h"
#include "platform/Runtime.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

// The new zero: offsets keep two decimals.
float roundTo2(double value)
{
    return static_cast<float>(platform::runtime::round(value, 2));
}

}  // namespace

void FConsole::cmdMoveFirst_Click()
{
    if (!Scope_)
        return;
    Scope_->setXOffset(0);
    Apply(true);
}

void FConsole::cmdMove_Click(int index)
{
    if (!Scope_ || index < 0 || index > 3)
        return;
    const double perDivision = static_cast<double>(Scope_->XScale()) * Scope_->SamplesPerSecond() / 1000.0;
    const double perPixel = perDivision / Scope_->XGridSpacing();
    const std::array<double, 4> steps = {-perDivision, -perPixel, perPixel, perDivision};
    try {
        Scope_->setXOffset(platform::runtime::toLong(Scope_->XOffset() + steps[static_cast<std::size_t>(index)]));
    } catch (const platform::Error &) {
        return;  // a step beyond the 32-bit range
    }
    Apply(true);
}

void FConsole::cmdMove_MouseDown(int index)
{
    repeatIndex_ = index;
    tmrRepeat->setInterval(100);
    tmrRepeat->start();
}

void FConsole::cmdMove_MouseUp()
{
    tmrRepeat->stop();
}

void FConsole::tmrRepeat_Timer()
{
    // Only while the button is still held: a release that never arrived must not keep moving.
    if (repeatIndex_ < 0 || !cmdMove[static_cast<std::size_t>(repeatIndex_)]->isDown() ||
        !cmdMove[static_cast<std::size_t>(repeatIndex_)]->isEnabled()) {
        tmrRepeat->stop();
        return;
    }
    tmrRepeat->setInterval(25);
    cmdMove_Click(repeatIndex_);
}

void FConsole::cmdAutoSetAll_Click()
{
    if (!Scope_)
        return;
    Scope_->AutoSet(0, chkKeepZero->isChecked(), chkSameScale->isChecked());
    ShowScopeValues();
}

void FConsole::cmdXAutoSet_Click()
{
    if (!Scope_)
        return;
    Scope_->AutoSetX();
    ShowScopeValues();
}

void FConsole::cmdZoom_Click()
{
    if (!Scope_)
        return;
    Scope_->Zoom();
    ShowProperties(Scope_);
}

// The average is measured afresh: without both cursors there is no average to zero, and an
// earlier measurement may belong to another span or track.
void FConsole::cmdSetAsZero_Click()
{
    if (!Scope_ || !measure())
        return;
    if (chkSameScale->isChecked()) {
        for (const auto &track : Scope_->Tracks())
            track->setYOffset(roundTo2(track->YOffset() + LastAverage_));
    } else if (CurrentTrack_) {
        CurrentTrack_->setYOffset(roundTo2(CurrentTrack_->YOffset() + LastAverage_));
    }
    ShowProperties(Scope_);
    Apply(true);
}

void FConsole::cmdExport_Click()
{
    if (!Scope_)
        return;
    using mdlStrings::Translate;
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Save;
    request.title = Translate(txt::ExportData);
    request.filter =
        Translate(txt::DataFiles) + QStringLiteral(" (*.log);;") + Translate(txt::AllFiles) + QStringLiteral(" (*.*)");
    const QString fileName = platform::ui::fileDialog(request);
    if (fileName.isEmpty())
        return;
    Scope_->ExportData(fileName, mdlMain::IncludeHeader, mdlMain::CommentChar, mdlMain::DataFormat);
}

void FConsole::UpdateCurData()
{
    measure();
}

bool FConsole::measure()
{
    if (!Scope_ || !CurrentTrack_)
        return false;
    const int32_t c1 = Scope_->CursorPos1();
    const int32_t c2 = Scope_->CursorPos2();
    if (c1 == -1 || c2 == -1)
        return false;
    try {
        const Track &track = *CurrentTrack_;
        const float offset = track.YOffset();
        const auto span = CursorSpan::measure(c1, c2, Scope_->BufferSize(),
                                              [&](int32_t slot) { return track.Buffer(slot) - offset; });
        if (!span)
            return false;
        const auto texts = span->labels(Scope_->SamplesPerSecond());
        LastAverage_ = span->average;
        for (std::size_t i = 0; i < texts.size(); ++i)
            lblCurData[i]->setText(texts[i]);
    } catch (const platform::Error &) {
        return false;  // the track has left its scope
    }
    return true;
}
