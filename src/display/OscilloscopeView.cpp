#include "FConsole.h"
#include "NumberText.h"
#include "Oscilloscope.h"
#include "ScopeCanvas.h"
#include "ScopeCursors.h"
#include "ScopePanel.h"
#include "ScopeViewMath.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "platform/Color.h"
#include "platform/Error.h"
#include "platform/Runtime.h"

#include <QAction>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

namespace {

QString caption(txt::Id text, const QString &unit)
{
    return mdlStrings::Translate(text) + QStringLiteral(" (") + unit + QStringLiteral(")");
}

}  // namespace

void Oscilloscope::buildPanel()
{
    mnuPopup_ = new QMenu(this);
    mnuPopup_->setObjectName(QStringLiteral("mnuPopup"));
    mnuControlPanel_ = mnuPopup_->addAction(mdlStrings::Translate(txt::ControlPanel));
    mnuControlPanel_->setObjectName(QStringLiteral("mnuControlPanel"));
    mnuSep1_ = mnuPopup_->addSeparator();
    mnuSep1_->setObjectName(QStringLiteral("mnuSep1"));
    mnuAutoset_ = mnuPopup_->addAction(mdlStrings::Translate(txt::AutosetButton));
    mnuAutoset_->setObjectName(QStringLiteral("mnuAutoset"));
    connect(mnuControlPanel_, &QAction::triggered, this, &Oscilloscope::ShowControlPanel);
    connect(mnuAutoset_, &QAction::triggered, this, [this] { AutoSet(0, true, true); });

    ScopePanel &panel = *picStatusBar_;
    panel.lbl[0]->setText(caption(txt::YScale, mdlStrings::Translate(txt::MetresPerSecond2PerDiv)));
    panel.lbl[1]->setText(caption(txt::YOffset, mdlStrings::Translate(txt::MetresPerSecond2)));
    panel.lbl[2]->setText(caption(txt::XScale, mdlStrings::Translate(txt::MillisecondsPerDiv)));
    connect(panel.cmdControl, &QPushButton::clicked, this, [this] {
        const QPushButton *button = picStatusBar_->cmdControl;
        mnuPopup_->popup(button->mapToGlobal(QPoint(0, button->height())));
    });
    connect(&panel, &ScopePanel::trackStep, this, &Oscilloscope::stepTrack);
    connect(&panel, &ScopePanel::yOffsetStep, this, [this](bool up) {
        if (panelTrack_)
            picStatusBar_->txtYOffset->setText(
                NumberText::ofSingle(ScopeViewMath::yOffsetStep(panelTrack_->YOffset(), panelTrack_->YScale(), up)));
    });
    connect(&panel, &ScopePanel::yScaleStep, this, [this](bool up) {
        if (!panelTrack_)
            return;
        if (const auto scale = ScopeViewMath::yScaleStep(panelTrack_->YScale(), up))
            picStatusBar_->txtYScale->setText(NumberText::ofSingle(*scale));
    });
    connect(&panel, &ScopePanel::xScaleStep, this, [this](bool up) {
        if (const auto scale = ScopeViewMath::xScaleStep(xScale_, up))
            picStatusBar_->txtXScale->setText(NumberText::ofSingle(*scale));
    });
    connect(panel.txtXScale, &QLineEdit::textChanged, this, &Oscilloscope::txtXScale_Change);
    connect(panel.txtYScale, &QLineEdit::textChanged, this, &Oscilloscope::txtYScale_Change);
    connect(panel.txtYOffset, &QLineEdit::textChanged, this, &Oscilloscope::txtYOffset_Change);
}

// Refreshing the boxes must not feed their rounded texts back into the scales.
void Oscilloscope::UpdatePanel()
{
    ScopePanel &panel = *picStatusBar_;
    const QSignalBlocker blockX(panel.txtXScale);
    panel.txtXScale->setText(NumberText::ofSingle(xScale_));
    if (!panelTrack_ && tracks_->Count() > 0) {
        panelTrackIndex_ = 1;
        for (int32_t i = 1; i <= tracks_->Count(); ++i) {
            if (tracks_->Item(i)->Visible()) {
                panelTrackIndex_ = i;
                break;
            }
        }
        panelTrack_ = tracks_->Item(panelTrackIndex_);
    }
    if (!panelTrack_)
        return;
    const QSignalBlocker blockYScale(panel.txtYScale);
    const QSignalBlocker blockYOffset(panel.txtYOffset);
    panel.txtTrackName->setText(panelTrack_->Tag());
    QPalette palette = panel.lblTrackColor->palette();
    palette.setColor(QPalette::Window, platform::toQColor(static_cast<uint32_t>(panelTrack_->DrawColor())));
    panel.lblTrackColor->setPalette(palette);
    panel.txtYScale->setText(NumberText::ofSingle(panelTrack_->YScale()));
    panel.txtYOffset->setText(platform::runtime::format(panelTrack_->YOffset(), QStringLiteral("0.00")));
    const QString &unit = panelTrack_->MeasureUnit();
    panel.lbl[0]->setText(caption(txt::YScale, unit + QStringLiteral("/") + mdlStrings::Translate(txt::Div)));
    panel.lbl[1]->setText(caption(txt::YOffset, unit));
}

void Oscilloscope::stepTrack(bool next)
{
    const auto position = ScopeViewMath::trackStep(panelTrackIndex_, tracks_->Count(), next);
    if (!position)
        return;
    panelTrackIndex_ = *position;
    panelTrack_ = tracks_->Item(panelTrackIndex_);
    DrawAll();
}

// The panel must not keep editing a track that is no longer shown; the next redraw picks another.
void Oscilloscope::followPanelTrack()
{
    for (int32_t i = 1; i <= tracks_->Count(); ++i) {
        if (tracks_->Item(i) == panelTrack_) {
            panelTrackIndex_ = i;
            return;
        }
    }
    panelTrack_.reset();
    panelTrackIndex_ = 0;
}

// The boxes take only whole numbers (a decimal comma or point): letters, an emptied box or a
// half-typed exponent leave the value as it was instead of reading as 0 or as their leading digits.
void Oscilloscope::txtXScale_Change()
{
    if (const auto scale = NumberText::readTypedSingle(picStatusBar_->txtXScale->text()))
        setXScale(*scale);
    restartRedrawTimer();
}

void Oscilloscope::txtYScale_Change()
{
    const auto scale = NumberText::readTypedSingle(picStatusBar_->txtYScale->text());
    if (panelTrack_ && scale) {
        try {
            panelTrack_->setYScale(*scale);
        } catch (const platform::Error &) {
            // An invalid scale leaves the track as it was.
        }
    }
    restartRedrawTimer();
}

void Oscilloscope::txtYOffset_Change()
{
    const auto offset = NumberText::readTypedSingle(picStatusBar_->txtYOffset->text());
    if (panelTrack_ && offset)
        panelTrack_->setYOffset(*offset);
    restartRedrawTimer();
}

void Oscilloscope::AutoSetX()
{
    const int width = ScaleWidth();
    std::optional<float> scale = ScopeViewMath::xScaleFor(bufferPtr_, samplesPerSecond_, width, xGridSpacing_);
    xOffset_ = 0;
    for (const auto &track : *tracks_) {
        if (track->Buffer(bufferSize_) == 0)
            continue;
        // The ring has wrapped: all of it, oldest sample at the left. The oldest is the slot after the
        // write position, so that the walk from the left edge does not end before it starts.
        xOffset_ = WrapIndex(static_cast<int64_t>(bufferPtr_) + 1);
        scale = ScopeViewMath::xScaleFor(bufferSize_, samplesPerSecond_, width, xGridSpacing_);
        break;
    }
    if (scale)
        xScale_ = *scale;
    DrawAll();
}

// Widens the range by a track's level lines and by its samples on screen.
void Oscilloscope::addToRange(ScopeViewMath::Range &range, Track &track) const
{
    for (const auto &level : track.LevelLines())
        range.add(level->Value());
    const ScopeGeometry g = geometry();
    const int64_t shown = g.shownSamples(bufferPtr_);
    for (int64_t k = 0; k < shown; ++k) {
        if (g.sampleToX(xOffset_ + k, track.XOffset()) > static_cast<float>(g.width))
            break;
        range.add(track.Buffer(xOffset_ + k));
    }
}

void Oscilloscope::AutoSet(int32_t index, bool keepZero, bool sameScale)
{
    const int height = ScaleHeight();
    const auto apply = [&](Track &track, const ScopeViewMath::Range &range) {
        const auto fit = ScopeViewMath::fitRange(range, keepZero, zeroPosition_, height, yGridSpacing_);
        track.setYScale(fit.yScale);
        track.setYOffset(fit.yOffset);
    };
    if (index != 0) {
        Track &track = *tracks_->Item(index);
        ScopeViewMath::Range range(track.Visible() ? track.Buffer(xOffset_) : 0.0f);
        if (track.Visible())
            addToRange(range, track);
        apply(track, range);
    } else if (sameScale) {
        if (tracks_->Count() == 0)
            return DrawAll();
        ScopeViewMath::Range range(tracks_->Item(1)->Buffer(xOffset_));
        for (const auto &track : *tracks_) {
            if (track->Visible())
                addToRange(range, *track);
        }
        for (const auto &track : *tracks_)
            apply(*track, range);
    } else {
        for (const auto &track : *tracks_) {
            if (!track->Visible())
                continue;
            ScopeViewMath::Range range(track->Buffer(xOffset_));
            addToRange(range, *track);
            apply(*track, range);
        }
    }
    DrawAll();
}

void Oscilloscope::Zoom()
{
    if (cursors_->state() != 2)
        return;
    const int32_t s1 = CursorPos1();
    const int32_t s2 = CursorPos2();
    if (s1 == s2)
        return;
    xOffset_ = s1;
    const int64_t span = ScopeViewMath::spanForward(s1, s2, bufferSize_);
    if (const auto scale =
            ScopeViewMath::xScaleFor(static_cast<double>(span), samplesPerSecond_, ScaleWidth(), xGridSpacing_))
        xScale_ = *scale;
    cursors_->place(SampleToX(s1), SampleToX(s2));
    DrawAll();
}

void Oscilloscope::Scroll(int32_t direction)
{
    xOffset_ = WrapIndex(ScopeViewMath::scrolledOffset(direction, xOffset_, xScale_, samplesPerSecond_, xGridSpacing_));
    DrawAll();
}

void Oscilloscope::ShowControlPanel()
{
    FConsole *panel = FConsole::Instance();
    panel->ShowProperties(this);
    panel->show();
    panel->raise();
}

void Oscilloscope::focusInEvent(QFocusEvent *)
{
    picStatusBar_->txtYScale->setFocus();
}

void Oscilloscope::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Minimising the window is no reason to close the panel; hiding the control is.
    if (!event->spontaneous())
        FConsole::Unload(this);
}
