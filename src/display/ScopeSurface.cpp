#include "ScopeSurface.h"

#include "ThinLinePen.h"
#include "platform/Color.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

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

// Calls draw with the part of each line that lies on a surface of that size, with a margin past the
// edges that keeps wide pens and line ends looking as they would unclipped. Returns the pixels
// touched.
template <typename Draw>
QRect forEachVisible(const std::vector<QLineF> &lines, const QSize &size, qreal penWidth, Draw draw)
{
    const qreal margin = penWidth + 2;
    const QRectF bounds = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(-margin, -margin, margin, margin);
    qreal left = bounds.right(), right = bounds.left(), top = bounds.bottom(), bottom = bounds.top();
    for (QLineF line : lines) {
        if (!ScopeSurface::clip(line, bounds))
            continue;
        draw(line);
        left = std::min({left, line.x1(), line.x2()});
        right = std::max({right, line.x1(), line.x2()});
        top = std::min({top, line.y1(), line.y2()});
        bottom = std::max({bottom, line.y1(), line.y2()});
    }
    if (left > right)
        return {};
    const auto grow = static_cast<int>(margin);
    return QRectF(QPointF(left, top), QPointF(right, bottom)).toAlignedRect().adjusted(-grow, -grow, grow, grow);
}

}  // namespace

void ScopeSurface::resize(const QSize &size)
{
    screen_ = QImage(size, QImage::Format_RGB32);
    screen_.fill(Qt::black);
    background_.reset();
    packed_ = PackedRows();
    covered_.reset(size);
    overlay_.clear();
}

void ScopeSurface::showBackground(const ScopeBackground &background)
{
    if (background_ == background) {
        clearScreen();
        return;
    }
    background.draw(screen_);
    packed_.pack(screen_);
    covered_.reset(screen_.size());
    background_ = background;
    overlay_.clear();
}

void ScopeSurface::clearScreen()
{
    if (background_)
        covered_.take([this](int y, int left, int right) { packed_.unpack(screen_, y, left, right); });
    overlay_.clear();
}

QImage &ScopeSurface::wholeScreen()
{
    covered_.add(screen_.rect());
    return screen_;
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
    result.setWidth(penWidth(width));
    result.setCapStyle(Qt::FlatCap);
    return result;
}

int ScopeSurface::penWidth(int32_t width)
{
    // Widths beyond this only slow the drawing down; the drawing area is never that narrow.
    constexpr int MaxPenWidth = 64;
    return std::clamp(width, 1, MaxPenWidth);
}

QRect ScopeSurface::drawLines(const std::vector<QLineF> &lines, int32_t color, int32_t style, int32_t width)
{
    const QPen linePen = pen(color, style, width);
    QRect touched;
    if (linePen.style() != Qt::SolidLine || linePen.width() != 1) {
        QPainter painter(&screen_);
        painter.setPen(linePen);
        touched = drawLines(painter, lines);
    } else {
        ThinLinePen thin(screen_, linePen.color().rgb());
        touched =
            forEachVisible(lines, screen_.size(), linePen.widthF(), [&thin](const QLineF &line) { thin.draw(line); });
    }
    covered_.add(touched);
    return touched;
}

QRect ScopeSurface::drawLines(QPainter &painter, const std::vector<QLineF> &lines)
{
    std::vector<QLineF> visible;
    visible.reserve(lines.size());
    const QSize size(painter.device()->width(), painter.device()->height());
    const QRect touched = forEachVisible(lines, size, painter.pen().widthF(),
                                         [&visible](const QLineF &line) { visible.push_back(line); });
    if (!visible.empty())
        painter.drawLines(visible.data(), static_cast<int>(visible.size()));
    return touched;
}

bool ScopeSurface::clip(QLineF &line, const QRectF &bounds)
{
    // Cohen-Sutherland in double precision: each cut puts one coordinate exactly on the edge, so the
    // visible part of a line comes out right even when its far end lies at 1E30.
    enum : int { Left = 1, Right = 2, Top = 4, Bottom = 8 };
    double x0 = line.x1(), y0 = line.y1(), x1 = line.x2(), y1 = line.y2();
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
        return false;
    const auto outcode = [&](double x, double y) {
        return (x < bounds.left()    ? Left
                : x > bounds.right() ? Right
                                     : 0) |
               (y < bounds.top()      ? Top
                : y > bounds.bottom() ? Bottom
                                      : 0);
    };
    int code0 = outcode(x0, y0);
    int code1 = outcode(x1, y1);
    while (code0 | code1) {
        if (code0 & code1)
            return false;
        const int out = code0 ? code0 : code1;
        double x, y;
        if (out & Top) {
            y = bounds.top();
            x = x0 + (x1 - x0) * ((y - y0) / (y1 - y0));
        } else if (out & Bottom) {
            y = bounds.bottom();
            x = x0 + (x1 - x0) * ((y - y0) / (y1 - y0));
        } else if (out & Left) {
            x = bounds.left();
            y = y0 + (y1 - y0) * ((x - x0) / (x1 - x0));
        } else {
            x = bounds.right();
            y = y0 + (y1 - y0) * ((x - x0) / (x1 - x0));
        }
        if (out == code0) {
            x0 = x;
            y0 = y;
            code0 = outcode(x0, y0);
        } else {
            x1 = x;
            y1 = y;
            code1 = outcode(x1, y1);
        }
    }
    line = QLineF(x0, y0, x1, y1);
    return true;
}
