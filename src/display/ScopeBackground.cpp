#include "ScopeBackground.h"

#include "ScopeGrid.h"
#include "ScopeSurface.h"
#include "platform/Color.h"

#include <QPainter>

namespace {

constexpr int LabelPointSize = 6;
constexpr float LabelLeft = 10;
constexpr int32_t LabelColor = 0xFFFFFF;
constexpr int32_t SolidStyle = 0;
constexpr int32_t DotStyle = 2;

}  // namespace

void ScopeBackground::draw(QImage &image) const
{
    image.fill(platform::toQColor(static_cast<uint32_t>(backColor)));
    QPainter painter(&image);
    const auto width = static_cast<float>(size.width());
    const auto height = static_cast<float>(size.height());
    std::vector<QLineF> lines;
    if (gridVisible) {
        painter.setPen(ScopeSurface::pen(gridColor, DotStyle, 1));
        for (const float x : ScopeGrid::columns(size.width(), xGridSpacing))
            lines.emplace_back(x, 0, x, height);
        ScopeSurface::drawLines(painter, lines);

        QFont font = painter.font();
        font.setPointSize(LabelPointSize);
        font.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(font);
        const std::vector<ScopeGrid::Row> rows = ScopeGrid::rows(size.height(), zeroPosition, yGridSpacing);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (i < static_cast<std::size_t>(labels.size())) {
                painter.setPen(platform::toQColor(LabelColor));
                painter.drawText(QRectF(LabelLeft, rows[i].y, width, height), Qt::AlignLeft | Qt::AlignTop,
                                 labels[static_cast<qsizetype>(i)]);
            }
            painter.setPen(ScopeSurface::pen(gridColor, rows[i].solid ? SolidStyle : DotStyle, 1));
            lines.assign(1, QLineF(0, rows[i].y, width, rows[i].y));
            ScopeSurface::drawLines(painter, lines);
        }
    }
    for (const Level &level : levels) {
        painter.setPen(ScopeSurface::pen(level.color, level.style, level.width));
        lines.assign(1, QLineF(0, level.y, width, level.y));
        ScopeSurface::drawLines(painter, lines);
    }
}
