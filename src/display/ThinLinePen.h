#pragma once

#include <QImage>
#include <QLineF>

// A solid one-pixel pen that writes straight into the pixels of a 32-bit image. For a batch of
// lines it lights exactly the pixels the painter's aliased one-pixel pen lights for the same batch
// (the same rough cut one pixel outside the edges, the same 26.6 fixed-point stepping, the same
// half-pixel extension where a line turns back on the one before it), at the cost of one store per
// pixel instead of a trip through the painter's span machinery.
class ThinLinePen {
public:
    ThinLinePen(QImage &image, QRgb colour);

    void draw(const QLineF &line);

private:
    enum Direction { NoDirection = 0, TopToBottom = 1, BottomToTop = 2, LeftToRight = 4, RightToLeft = 8 };
    enum Extension { None = 0, AtStart = 1, AtEnd = 2 };
    // Fixed-point end points: 26.6 for the coordinates.
    struct Ends {
        int along1, across1, along2, across2;
    };

    bool cutToImage(double &x1, double &y1, double &x2, double &y2) const;
    // One pixel per step along the main axis (rows for a steep line, columns for a flat one).
    void step(Ends ends, bool steep);
    void plot(int x, int y);

    QRgb *pixels_;
    qsizetype pixelsPerLine_;
    int width_;
    int height_;
    QRgb colour_;
    Direction lastDirection_ = NoDirection;
};
