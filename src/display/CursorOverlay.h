#pragma once

#include <vector>

class QImage;
class QPainter;
class QRect;

// The cursor lines laid over the traces. A line drawn with the copy pen is white; a line drawn with
// the XOR pen inverts the pixels under it, and a second XOR line on the same column erases the
// first (also a white one, which on a raster screen would leave a black hole in the trace).
class CursorOverlay {
public:
    void draw(float x, bool xorPen);
    void clear() { lines_.clear(); }

    // Paints the lines over the part `dirty` of the screen image.
    void paint(QPainter &painter, const QImage &screen, const QRect &dirty) const;

    // Pixel column of a cursor at x.
    static int column(float x);

    struct Line {
        int column;
        bool inverted;
    };
    const std::vector<Line> &lines() const { return lines_; }

private:
    std::vector<Line> lines_;
};
