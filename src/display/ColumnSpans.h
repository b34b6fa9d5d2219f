#pragma once

#include "CoveredColumns.h"

#include <QImage>
#include <QLineF>
#include <cstdint>
#include <vector>

// The vertical lines of column-mode traces in solid pens, written straight into an image's pixels:
// rows from the top end down to, not including, the bottom end's row, over the pen's width. The
// lines of several tracks are gathered and filled a band of rows at a time for all of them, in the
// order added: each band of the image comes into the cache once instead of once per track, and a
// column's rows no longer evict each other from the few cache sets they share. Where neighbouring
// columns overlap, their common rows are written a row of words at a time. What is added is
// recorded as covered.
class ColumnSpans {
public:
    ColumnSpans(QImage &image, CoveredColumns &covered) : image_(image), covered_(covered) {}

    // Lines that are not numbers are skipped.
    void add(const std::vector<QLineF> &lines, int32_t color, int32_t width);
    // Fills everything added since the last fill.
    void fill();

private:
    struct Span {
        int first;
        int count;
        int top;
        int bottom;
        QRgb pixel;
    };

    // Neighbouring spans of one colour side by side: the rows they all cover are filled across
    // their whole width at once, the rest span by span.
    struct Run {
        int first;
        int width;
        int top;
        int bottom;
        QRgb pixel;
        std::size_t begin;  // its spans
        std::size_t end;
    };

    void groupRuns();

    QImage &image_;
    CoveredColumns &covered_;
    std::vector<Span> spans_;
    std::vector<Run> runs_;
    int top_ = 0;
    int bottom_ = 0;
};
