#include "ColumnSpans.h"
#include "FConsole.h"
#include "Oscilloscope.h"
#include "ScopeBackground.h"
#include "ScopeCanvas.h"
#include "ScopeCursors.h"
#include "ScopeGrid.h"
#include "ScopeSurface.h"
#include "ScopeTrace.h"
#include "platform/Runtime.h"

#include <QMenu>
#include <QTimer>

namespace {

constexpr int32_t SolidStyle = 0;
constexpr int16_t LeftButton = 1;
constexpr int16_t RightButton = 2;

}  // namespace

void Oscilloscope::DrawAll()
{
    tmrRedraw_->stop();
    const QSize size(ScaleWidth(), ScaleHeight());
    if (surface_->size() != size)
        surface_->resize(size);
    if (!size.isEmpty()) {
        surface_->showBackground(background());
        drawTraces();
        cursors_->redraw();
        if (showTrigger_)
            drawTriggerMarks();
    }
    UpdatePanel();
    // A restart that happened while drawing (the panel's boxes) is already served.
    tmrRedraw_->setInterval(500);
    tmrRedraw_->stop();
    picScope_->update();
}

ScopeBackground Oscilloscope::background() const
{
    const ScopeGeometry g = geometry();
    ScopeBackground b;
    b.size = QSize(g.width, g.height);
    b.backColor = backColor_;
    b.gridVisible = gridVisible_;
    b.gridColor = gridColor_;
    b.xGridSpacing = xGridSpacing_;
    b.yGridSpacing = yGridSpacing_;
    b.zeroPosition = zeroPosition_;
    if (gridVisible_ && panelTrack_) {
        for (const ScopeGrid::Row &row : ScopeGrid::rows(g.height, zeroPosition_, yGridSpacing_))
            b.labels.append(platform::runtime::format(g.yToValue(row.y, panelTrack_->YScale(), panelTrack_->YOffset()),
                                                      QStringLiteral("0.###")));
    }
    for (const auto &track : *tracks_) {
        if (!track->Visible())
            continue;
        for (const auto &level : track->LevelLines())
            b.levels.push_back(
                {ValueToY(level->Value(), *track), level->DrawColor(), level->DrawStyle(), level->DrawWidth()});
    }
    return b;
}

void Oscilloscope::drawTraces()
{
    const ScopeGeometry g = geometry();
    ColumnSpans columns = surface_->columnSpans();
    std::vector<QLineF> lines;
    for (const auto &track : *tracks_) {
        if (!track->Visible())
            continue;
        ScopeTrace::build(g, bufferPtr_, *track, lines);
        if (g.samplesPerPixel() > 1 && ScopeSurface::isSolid(track->DrawStyle())) {
            columns.add(lines, track->DrawColor(), track->DrawWidth());
            continue;
        }
        // Tracks are drawn in their order, so the columns gathered so far go first.
        columns.fill();
        surface_->drawLines(lines, track->DrawColor(), track->DrawStyle(), track->DrawWidth());
    }
    columns.fill();
}

void Oscilloscope::drawTriggerMarks()
{
    const ScopeGeometry g = geometry();
    const int64_t shown = g.shownSamples(bufferPtr_);
    std::vector<QLineF> marks;
    for (int64_t k = 0; k < shown; ++k) {
        if (!triggerFlags_[static_cast<std::size_t>(g.wrapIndex(xOffset_ + k))])
            continue;
        const float x = g.sampleToX(xOffset_ + k);
        marks.emplace_back(x, 0, x, g.height);
    }
    surface_->drawLines(marks, triggerColor_, SolidStyle, 1);
}

void Oscilloscope::DrawLatest(int32_t index)
{
    if (surface_->size().isEmpty())
        return;
    const ScopeGeometry g = geometry();
    const int32_t back = realTimeViewDecimation_;
    const float step = g.pixelsPerSample() * static_cast<float>(back);
    const std::size_t slotCount = static_cast<std::size_t>(bufferSize_) + 1;
    QRect dirty;
    std::vector<QLineF> segment(1);
    for (const auto &track : *tracks_) {
        const TrackSamples &samples = track->Samples();
        if (!track->Visible() || samples.size() != slotCount)
            continue;
        const float x2 = g.sampleToX(index, track->XOffset());
        const float y1 = g.valueToY(samples[static_cast<std::size_t>(g.wrapIndex(static_cast<int64_t>(index) - back))],
                                    track->YScale(), track->YOffset());
        const float y2 =
            g.valueToY(samples[static_cast<std::size_t>(g.wrapIndex(index))], track->YScale(), track->YOffset());
        segment[0] = QLineF(x2 - step, y1, x2, y2);
        dirty |= surface_->drawLines(segment, track->DrawColor(), track->DrawStyle(), track->DrawWidth());
    }
    if (triggerFlags_[static_cast<std::size_t>(g.wrapIndex(index))]) {
        const float x = g.sampleToX(index);
        segment[0] = QLineF(x, 0, x, g.height);
        dirty |= surface_->drawLines(segment, triggerColor_, SolidStyle, 1);
    }
    if (!dirty.isEmpty())
        picScope_->update(dirty);
}

void Oscilloscope::clearScreen()
{
    surface_->clearScreen();
    picScope_->update();
}

void Oscilloscope::restartRedrawTimer()
{
    tmrRedraw_->start();
}

void Oscilloscope::picScope_MouseUp(int16_t button, int16_t shift, float x, float y)
{
    emit MouseUp(button, shift, x, y);
    if (button == RightButton) {
        mnuPopup_->popup(picScope_->mapToGlobal(QPointF(x, y).toPoint()));
        return;
    }
    if (button != LeftButton || !hold_)
        return;
    const bool bothFixed = cursors_->release(x);
    picScope_->update();
    FConsole *panel = FConsole::Loaded();
    if (bothFixed && panel && panel->isVisible() && panel->Scope() == this)
        panel->UpdateCurData();
}

void Oscilloscope::picScope_MouseMove(int16_t button, int16_t shift, float x, float y)
{
    emit MouseMove(button, shift, x, y);
    if (cursors_->state() != 1)
        return;
    cursors_->move(x);
    picScope_->update();
}

void Oscilloscope::picScope_DblClick()
{
    emit DblClick();
    if (enableControlPanel_)
        ShowControlPanel();
}
