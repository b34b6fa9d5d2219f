#pragma once

#include "ColumnSpans.h"
#include "CoveredColumns.h"
#include "CursorOverlay.h"
#include "PackedRows.h"
#include "ScopeBackground.h"

#include <QImage>
#include <QLineF>
#include <QPen>
#include <cstdint>
#include <optional>
#include <vector>

class QPainter;

// The drawing area's one full-size layer, the screen: the background (colour, grid, labels, level
// lines) and everything drawn over it since (traces, trigger marks). The background itself is kept
// packed, and clearing the screen back to it copies only the columns' rows drawn over since; the
// cursor lines lie over the screen.
class ScopeSurface {
public:
    // A black screen of that size, without a background.
    void resize(const QSize &size);
    QSize size() const { return screen_.size(); }

    const QImage &screen() const { return screen_; }
    // The screen for drawing on anywhere; all of it is given back to the background when cleared.
    QImage &wholeScreen();
    CursorOverlay &overlay() { return overlay_; }

    // Shows the background alone: restored when it is the one shown before, else drawn and kept.
    void showBackground(const ScopeBackground &background);
    // Shows the background alone again: the traces are gone, the cursor lines too.
    void clearScreen();

    // Paints the part `dirty` of the screen and the cursor lines.
    void paint(QPainter &painter, const QRect &dirty) const;

    // Column-mode traces filled into the screen.
    ColumnSpans columnSpans() { return ColumnSpans(screen_, covered_); }

    // A pen for a colour 0x00BBGGRR, a line style code (0 solid, 1 dash, 2 dot, 3 dash-dot,
    // 4 dash-dot-dot, 5 none, 6 solid) and a width in pixels.
    static QPen pen(int32_t color, int32_t style, int32_t width);

    // Draws the lines on the screen in that pen, each clipped to the surface; lines with
    // coordinates that are not numbers are skipped. Returns the pixels touched (for a partial
    // repaint).
    QRect drawLines(const std::vector<QLineF> &lines, int32_t color, int32_t style, int32_t width);
    // The same with a painter on any image, in its pen.
    static QRect drawLines(QPainter &painter, const std::vector<QLineF> &lines);

    // Line width in pixels of a width property (at least one).
    static int penWidth(int32_t width);
    static bool isSolid(int32_t style) { return style == 0 || style == 6 || style < 0 || style > 6; }

    // Cuts a line to the rectangle; false when nothing of it lies inside or it is not a number.
    static bool clip(QLineF &line, const QRectF &bounds);

private:
    QImage screen_;
    std::optional<ScopeBackground> background_;
    PackedRows packed_;
    CoveredColumns covered_;  // drawn over since the background was shown alone
    CursorOverlay overlay_;
};
