#include "ScopeSurface.h"

#include "platform/Color.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace
{

// Widths beyond this only slow the painter down; the drawing area is never that narrow.
constexpr int MaxPenWidth = 64;

Qt::PenStyle penStyle(int32_t style)
{
    switch (style) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case 5: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

} // namespace

void ScopeSurface::resize(const QSize &size)
{
    background_ = QImage(size, QImage::Format_RGB32);
    background_.fill(Qt::black);
    screen_ = background_;
    overlay_.clear();
}

void ScopeSurface::clearScreen()
{
    screen_ = background_;
    overlay_.clear();
}

void ScopeSurface::paint(QPainter &painter, const QRect &dirty) const
{
    painter.drawImage(dirty.topLeft(), screen_, dirty);
    overlay_.paint(painter, screen_, dirty);
}

QPen ScopeSurface::pen(int32_t color, int32_t style, int32_t width)
{
    QPen result(platform::toQColor(static_cast<uint32_t>(color)));
    result.setStyle(penStyle(style));
    result.setWidth(std::clamp(width, 1, MaxPenWidth));
    result.setCapStyle(Qt::FlatCap);
    return result;
}

QRect ScopeSurface::drawLines(QPainter &painter, const std::vector<QLineF> &lines) const
{
    // A margin past the edges keeps wide pens and line ends looking as they would unclipped.
    const qreal margin = painter.pen().widthF() + 2;
    const QRectF bounds = QRectF(QPointF(0, 0), QSizeF(size())).adjusted(-margin, -margin, margin, margin);
    std::vector<QLineF> visible;
    visible.reserve(lines.size());
    QRectF touched;
    for (QLineF line : lines) {
        if (!clip(line, bounds))
            continue;
        visible.push_back(line);
        touched |= QRectF(line.p1(), line.p2()).normalized();
    }
    if (!visible.empty())
        painter.drawLines(visible.data(), static_cast<int>(visible.size()));
    return touched.toAlignedRect().adjusted(-static_cast<int>(margin), -static_cast<int>(margin),
                                            static_cast<int>(margin), static_cast<int>(margin));
}

bool ScopeSurface::clip(QLineF &line, const QRectF &bounds)
{
    // Liang-Barsky in double precision, so samples of any magnitude give the visible part.
    const double x0 = line.x1(), y0 = line.y1();
    const double dx = line.x2() - x0, dy = line.y2() - y0;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(dx) || !std::isfinite(dy))
        return false;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - bounds.left(), bounds.right() - x0, y0 - bounds.top(), bounds.bottom() - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    line = QLineF(x0 + t0 * dx, y0 + t0 * dy, x0 + t1 * dx, y0 + t1 * dy);
    return true;
}
