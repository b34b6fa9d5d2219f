#pragma once

#include "display/CursorOverlay.h"

#include <QImage>
#include <QLineF>
#include <QPen>
#include <cstdint>
#include <vector>

class QPainter;

// The drawing area's two layers: the retained background (colour, grid, labels, level lines) and
// the screen, which is the background plus everything drawn since (traces, trigger marks); the
// cursor lines lie over both.
class ScopeSurface {
public:
    // Sizes both layers, dropping their content.
    void resize(const QSize &size);
    QSize size() const { return background_.size(); }

    QImage &background() { return background_; }
    QImage &screen() { return screen_; }
    const QImage &screen() const { return screen_; }
    CursorOverlay &overlay() { return overlay_; }

    // Shows the background alone again: the traces are gone, the cursor lines too.
    void clearScreen();

    // Paints the part `dirty` of the screen and the cursor lines.
    void paint(QPainter &painter, const QRect &dirty) const;

    // A pen for a colour 0x00BBGGRR, a line style code (0 solid, 1 dash, 2 dot, 3 dash-dot,
    // 4 dash-dot-dot, 5 none, 6 solid) and a width in pixels.
    static QPen pen(int32_t color, int32_t style, int32_t width);

    // Draws the lines, each clipped to the surface; lines with coordinates that are not numbers
    // are skipped. Returns the pixels touched (for a partial repaint).
    QRect drawLines(QPainter &painter, const std::vector<QLineF> &lines) const;

    // Draws vertical lines of a solid pen straight into the screen's pixels, far faster than the
    // painter's one-pixel spans: rows from the top end down to, not including, the bottom end's row.
    void fillColumns(const std::vector<QLineF> &lines, int32_t color, int32_t width);
    static bool isSolid(int32_t style) { return style == 0 || style == 6 || style < 0 || style > 6; }

    // Cuts a line to the rectangle; false when nothing of it lies inside or it is not a number.
    static bool clip(QLineF &line, const QRectF &bounds);

private:
    QImage background_;
    QImage screen_;
    CursorOverlay overlay_;
};
