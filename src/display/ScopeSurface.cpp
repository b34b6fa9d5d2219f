#include "ScopeSurface.h"

#include "platform/Color.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

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

}  // namespace

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

void ScopeSurface::fillColumns(const std::vector<QLineF> &lines, int32_t color, int32_t width)
{
    const int w = screen_.width();
    const int h = screen_.height();
    if (w <= 0 || h <= 0)
        return;
    const QRgb pixel = platform::toQColor(static_cast<uint32_t>(color)).rgb();
    const int penWidth = std::clamp(width, 1, MaxPenWidth);
    const qsizetype stride = screen_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    auto *bits = reinterpret_cast<QRgb *>(screen_.bits());
    const auto row = [h](double y) { return static_cast<int>(std::clamp(std::floor(y), 0.0, static_cast<double>(h))); };

    struct Span {
        int first, last, top, bottom;
    };
    std::vector<Span> spans;
    spans.reserve(lines.size());
    for (const QLineF &line : lines) {
        if (!std::isfinite(line.x1()) || !std::isfinite(line.y1()) || !std::isfinite(line.y2()))
            continue;
        const double left = std::floor(line.x1()) - (penWidth - 1) / 2;
        const int first = static_cast<int>(std::clamp(left, 0.0, static_cast<double>(w)));
        const int last = static_cast<int>(std::clamp(left + penWidth, 0.0, static_cast<double>(w))) - 1;
        const int top = row(std::min(line.y1(), line.y2()));
        const int bottom = row(std::max(line.y1(), line.y2()));
        if (first <= last && top < bottom)
            spans.push_back({first, last, top, bottom});
    }
    // Neighbouring columns share cache lines: filling a group of them row by row touches each line
    // once instead of once per column.
    constexpr std::size_t Group = 16;
    for (std::size_t g = 0; g < spans.size(); g += Group) {
        const std::size_t end = std::min(spans.size(), g + Group);
        int top = h, bottom = 0;
        for (std::size_t i = g; i < end; ++i) {
            top = std::min(top, spans[i].top);
            bottom = std::max(bottom, spans[i].bottom);
        }
        for (int y = top; y < bottom; ++y) {
            QRgb *at = bits + y * stride;
            for (std::size_t i = g; i < end; ++i) {
                const Span &s = spans[i];
                if (y >= s.top && y < s.bottom)
                    for (int x = s.first; x <= s.last; ++x)
                        at[x] = pixel;
            }
        }
    }
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
