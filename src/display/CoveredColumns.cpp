#include "CoveredColumns.h"

#include <algorithm>

void CoveredColumns::reset(const QSize &size)
{
    size_ = size;
    bands_.resize(static_cast<std::size_t>((std::max(size.width(), 0) + BandWidth - 1) / BandWidth));
    clear();
}

void CoveredColumns::add(const QRect &rect)
{
    const QRect onScreen = rect.intersected(QRect(QPoint(0, 0), size_));
    if (onScreen.isEmpty())
        return;
    const int top = onScreen.top();
    const int bottom = onScreen.bottom() + 1;
    for (int b = onScreen.left() / BandWidth; b <= onScreen.right() / BandWidth; ++b) {
        Rows &rows = bands_[static_cast<std::size_t>(b)];
        rows.top = std::min(rows.top, top);
        rows.bottom = std::max(rows.bottom, bottom);
    }
    top_ = std::min(top_, top);
    bottom_ = std::max(bottom_, bottom);
}

void CoveredColumns::clear()
{
    std::fill(bands_.begin(), bands_.end(), Rows{size_.height(), 0});
    top_ = size_.height();
    bottom_ = 0;
}
