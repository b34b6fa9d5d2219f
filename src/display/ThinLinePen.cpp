#include "ThinLinePen.h"

#include <cstdlib>
#include <utility>

namespace {

int toFixed26Dot6(double value)
{
    return static_cast<int>(value * 64.);
}

// 16.16 quotient of two 26.6 distances.
int64_t fixedDivide(int numerator, int denominator)
{
    return static_cast<int64_t>(numerator) * 65536 / denominator;
}

}  // namespace

ThinLinePen::ThinLinePen(QImage &image, QRgb colour)
    : pixels_(reinterpret_cast<QRgb *>(image.bits())),
      pixelsPerLine_(image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb))), width_(image.width()),
      height_(image.height()), colour_(colour)
{}

void ThinLinePen::draw(const QLineF &line)
{
    if (line.p1() == line.p2()) {
        plot(qRound(line.x1()), qRound(line.y1()));
        return;
    }
    double x1 = line.x1(), y1 = line.y1(), x2 = line.x2(), y2 = line.y2();
    if (!cutToImage(x1, y1, x2, y2))
        return;
    const int fx1 = toFixed26Dot6(x1), fy1 = toFixed26Dot6(y1);
    const int fx2 = toFixed26Dot6(x2), fy2 = toFixed26Dot6(y2);
    if (std::abs(fx2 - fx1) < std::abs(fy2 - fy1))
        step({fy1, fx1, fy2, fx2}, true);
    else if (fx1 != fx2)
        step({fx1, fy1, fx2, fy2}, false);
}

// Cuts the line at one pixel outside the top and left edges and two outside the right and bottom
// ones, each end in turn, as the painter does before stepping; false when nothing is left.
bool ThinLinePen::cutToImage(double &x1, double &y1, double &x2, double &y2) const
{
    const auto cut = [](double &a1, double &b1, double &a2, double &b2, double low, double high) {
        if (a1 < low) {
            if (a2 <= low)
                return false;
            b1 += (b2 - b1) / (a2 - a1) * (low - a1);
            a1 = low;
        } else if (a1 > high) {
            if (a2 >= high)
                return false;
            b1 += (b2 - b1) / (a2 - a1) * (high - a1);
            a1 = high;
        }
        if (a2 < low) {
            b2 += (b2 - b1) / (a2 - a1) * (low - a2);
            a2 = low;
        } else if (a2 > high) {
            b2 += (b2 - b1) / (a2 - a1) * (high - a2);
            a2 = high;
        }
        return true;
    };
    return cut(x1, y1, x2, y2, -1, width_ + 1) && cut(y1, x1, y2, x2, -1, height_ + 1);
}

void ThinLinePen::step(Ends e, bool steep)
{
    const Direction forward = steep ? TopToBottom : LeftToRight;
    const Direction backward = steep ? BottomToTop : RightToLeft;
    const bool reversed = e.along1 > e.along2;
    if (reversed) {
        std::swap(e.along1, e.along2);
        std::swap(e.across1, e.across2);
    }
    const Direction direction = reversed ? backward : forward;
    const int64_t increment = fixedDivide(e.across2 - e.across1, e.along2 - e.along1);
    int64_t across = static_cast<int64_t>(e.across1) * 1024;
    // A line that turns back on the one before it along the same axis reaches half a pixel further
    // at the joint.
    if (lastDirection_ != direction && (lastDirection_ == forward || lastDirection_ == backward)) {
        if (reversed) {
            e.along2 += 32;
        } else {
            e.along1 -= 32;
            across -= increment >> 1;
        }
    }
    int along = (e.along1 + 32) >> 6;
    const int alongEnd = (e.along2 + 32) >> 6;
    if (along == alongEnd)
        return;
    across += ((static_cast<int64_t>(along) * 64 + (increment > 0 ? 32 : 0) - e.along1) * increment) >> 6;
    lastDirection_ = direction;
    for (; along < alongEnd; ++along, across += increment) {
        const int at = static_cast<int>(across >> 16);
        if (steep)
            plot(at, along);
        else
            plot(along, at);
    }
}

void ThinLinePen::plot(int x, int y)
{
    if (x >= 0 && x < width_ && y >= 0 && y < height_)
        pixels_[y * pixelsPerLine_ + x] = colour_;
}
