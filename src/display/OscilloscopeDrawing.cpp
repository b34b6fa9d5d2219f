#include "FConsole.h"
#include "Oscilloscope.h"
#include "ScopeCanvas.h"
#include "ScopeCursors.h"
#include "ScopeGrid.h"
#include "ScopeSurface.h"
#include "ScopeTrace.h"
#include "platform/Color.h"
#include "platform/Runtime.h"

#include <QMenu>
#include <QPainter>
#include <QTimer>

namespace {

constexpr int LabelPointSize = 6;
constexpr float LabelLeft = 10;
constexpr int32_t LabelColor = 0xFFFFFF;
constexpr int32_t SolidStyle = 0;
constexpr int32_t DotStyle = 2;
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
        drawBackground();
        surface_->clearScreen();
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

void Oscilloscope::drawBackground()
{
    QImage &image = surface_->background();
    image.fill(platform::toQColor(static_cast<uint32_t>(backColor_)));
    QPainter painter(&image);
    const ScopeGeometry g = geometry();
    std::vector<QLineF> lines;
    if (gridVisible_) {
        painter.setPen(ScopeSurface::pen(gridColor_, DotStyle, 1));
        for (const float x : ScopeGrid::columns(g.width, xGridSpacing_))
            lines.emplace_back(x, 0, x, g.height);
        surface_->drawLines(painter, lines);

        QFont font = painter.font();
        font.setPointSize(LabelPointSize);
        font.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(font);
        for (const ScopeGrid::Row &row : ScopeGrid::rows(g.height, zeroPosition_, yGridSpacing_)) {
            if (panelTrack_) {
                const float value = g.yToValue(row.y, panelTrack_->YScale(), panelTrack_->YOffset());
                painter.setPen(platform::toQColor(LabelColor));
                painter.drawText(QRectF(LabelLeft, row.y, g.width, g.height), Qt::AlignLeft | Qt::AlignTop,
                                 platform::runtime::format(value, QStringLiteral("0.###")));
            }
            painter.setPen(ScopeSurface::pen(gridColor_, row.solid ? SolidStyle : DotStyle, 1));
            lines.assign(1, QLineF(0, row.y, g.width, row.y));
            surface_->drawLines(painter, lines);
        }
    }
    for (const auto &track : *tracks_) {
        if (!track->Visible())
            continue;
        for (const auto &level : track->LevelLines()) {
            const float y = ValueToY(level->Value(), *track);
            painter.setPen(ScopeSurface::pen(level->DrawColor(), level->DrawStyle(), level->DrawWidth()));
            lines.assign(1, QLineF(0, y, g.width, y));
            surface_->drawLines(painter, lines);
        }
    }
}

void Oscilloscope::drawTraces()
{
    QPainter painter(&surface_->screen());
    const ScopeGeometry g = geometry();
    std::vector<QLineF> lines;
    for (const auto &track : *tracks_) {
        if (!track->Visible())
            continue;
        ScopeTrace::build(g, bufferPtr_, *track, lines);
        if (g.samplesPerPixel() > 1 && ScopeSurface::isSolid(track->DrawStyle())) {
            surface_->fillColumns(lines, track->DrawColor(), track->DrawWidth());
            continue;
        }
        painter.setPen(ScopeSurface::pen(track->DrawColor(), track->DrawStyle(), track->DrawWidth()));
        surface_->drawLines(painter, lines);
    }
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
    QPainter painter(&surface_->screen());
    painter.setPen(ScopeSurface::pen(triggerColor_, SolidStyle, 1));
    surface_->drawLines(painter, marks);
}

void Oscilloscope::DrawLatest(int32_t index)
{
    if (surface_->size().isEmpty())
        return;
    const ScopeGeometry g = geometry();
    const int32_t back = realTimeViewDecimation_;
    const float step = g.pixelsPerSample() * static_cast<float>(back);
    const std::size_t slotCount = static_cast<std::size_t>(bufferSize_) + 1;
    QPainter painter(&surface_->screen());
    QRect dirty;
    std::vector<QLineF> segment(1);
    for (const auto &track : *tracks_) {
        const std::vector<float> &samples = track->Samples();
        if (!track->Visible() || samples.size() != slotCount)
            continue;
        const float x2 = g.sampleToX(index, track->XOffset());
        const float y1 = g.valueToY(samples[static_cast<std::size_t>(g.wrapIndex(static_cast<int64_t>(index) - back))],
                                    track->YScale(), track->YOffset());
        const float y2 =
            g.valueToY(samples[static_cast<std::size_t>(g.wrapIndex(index))], track->YScale(), track->YOffset());
        segment[0] = QLineF(x2 - step, y1, x2, y2);
        painter.setPen(ScopeSurface::pen(track->DrawColor(), track->DrawStyle(), track->DrawWidth()));
        dirty |= surface_->drawLines(painter, segment);
    }
    if (triggerFlags_[static_cast<std::size_t>(g.wrapIndex(index))]) {
        const float x = g.sampleToX(index);
        segment[0] = QLineF(x, 0, x, g.height);
        painter.setPen(ScopeSurface::pen(triggerColor_, SolidStyle, 1));
        dirty |= surface_->drawLines(painter, segment);
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
