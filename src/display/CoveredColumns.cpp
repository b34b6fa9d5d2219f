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
    add(onScreen.left(), onScreen.right() + 1, onScreen.top(), onScreen.bottom() + 1);
}

void CoveredColumns::clear()
{
    std::fill(bands_.begin(), bands_.end(), Rows{size_.height(), 0});
    top_ = size_.height();
    bottom_ = 0;
}
