#include "CursorOverlay.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

int CursorOverlay::column(float x)
{
    if (!(std::fabs(x) < 1e9f))
        return -1;
    return static_cast<int>(std::floor(x));
}

void CursorOverlay::draw(float x, bool xorPen)
{
    const int at = column(x);
    const auto it = std::find_if(lines_.begin(), lines_.end(), [at](const Line &l) { return l.column == at; });
    if (!xorPen) {
        if (it != lines_.end())
            it->inverted = false;
        else
            lines_.push_back({at, false});
    } else if (it != lines_.end()) {
        lines_.erase(it);
    } else {
        lines_.push_back({at, true});
    }
}

void CursorOverlay::paint(QPainter &painter, const QImage &screen, const QRect &dirty) const
{
    for (const Line &line : lines_) {
        if (line.column < dirty.left() || line.column > dirty.right())
            continue;
        const QRect strip(line.column, dirty.top(), 1, dirty.height());
        if (!line.inverted) {
            painter.fillRect(strip, Qt::white);
            continue;
        }
        const QRect source = strip.intersected(screen.rect());
        if (source.isEmpty())
            continue;
        QImage pixels = screen.copy(source);
        pixels.invertPixels();
        painter.drawImage(source.topLeft(), pixels);
    }
}
