#pragma once

#include <QRect>
#include <QSize>
#include <algorithm>
#include <vector>

// The part of the screen drawn over since it last showed the background alone: for each band of
// pixel columns, the rows from the highest to the lowest one drawn. Traces mostly cover a fraction
// of the height, so giving the background back over these rows alone copies far less than the
// whole screen.
class CoveredColumns {
public:
    // Nothing covered on a screen of that size.
    void reset(const QSize &size);
    // Adds the pixels of the rectangle that lie on the screen.
    void add(const QRect &rect);
    // Adds rows [top, bottom) of columns [left, right), all on the screen and not empty.
    void add(int left, int right, int top, int bottom)
    {
        for (int b = left / BandWidth; b <= (right - 1) / BandWidth; ++b) {
            Rows &rows = bands_[static_cast<std::size_t>(b)];
            rows.top = std::min(rows.top, top);
            rows.bottom = std::max(rows.bottom, bottom);
        }
        top_ = std::min(top_, top);
        bottom_ = std::max(bottom_, bottom);
    }
    bool isEmpty() const { return top_ >= bottom_; }

    // Calls restore(y, left, right) for each stretch of covered columns [left, right) of each row y,
    // top down; nothing is covered afterwards.
    template <typename Restore> void take(Restore restore);

private:
    // One band is a 64-byte cache line of 32-bit pixels: narrower bands would save no memory traffic.
    static constexpr int BandWidth = 16;

    struct Rows {
        int top;
        int bottom;
    };

    void clear();

    QSize size_;
    std::vector<Rows> bands_;
    int top_ = 0;
    int bottom_ = 0;
};

template <typename Restore> void CoveredColumns::take(Restore restore)
{
    const int bandCount = static_cast<int>(bands_.size());
    for (int y = top_; y < bottom_; ++y) {
        int left = -1;
        for (int b = 0; b <= bandCount; ++b) {
            const bool covered = b < bandCount && bands_[b].top <= y && y < bands_[b].bottom;
            if (covered && left < 0)
                left = b * BandWidth;
            else if (!covered && left >= 0) {
                restore(y, left, std::min(b * BandWidth, size_.width()));
                left = -1;
            }
        }
    }
    clear();
}
