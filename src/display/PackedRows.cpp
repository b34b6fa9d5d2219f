#include "PackedRows.h"

#include <algorithm>
#include <cstring>

namespace {

// Beyond this share of the width a row of its own is cheaper to keep and to copy.
constexpr int PatchShare = 4;

}  // namespace

void PackedRows::pack(const QImage &image)
{
    size_ = image.size();
    distinct_.clear();
    patches_.clear();
    rows_.clear();
    if (size_.isEmpty())
        return;
    rows_.reserve(static_cast<std::size_t>(size_.height()));
    const auto width = static_cast<std::size_t>(size_.width());
    uint32_t previous = 0;
    for (int y = 0; y < size_.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        Row row{};
        if (!refer(line, previous, row)) {
            row = {static_cast<uint32_t>(distinct_.size() / width), 0, 0, 0};
            distinct_.insert(distinct_.end(), line, line + width);
        }
        previous = row.distinct;
        rows_.push_back(row);
    }
    distinct_.shrink_to_fit();
    patches_.shrink_to_fit();
}

bool PackedRows::refer(const QRgb *line, uint32_t preferred, Row &row)
{
    const int width = size_.width();
    const auto count = static_cast<uint32_t>(distinct_.size() / static_cast<std::size_t>(width));
    int bestWidth = width / PatchShare + 1;
    int bestLeft = 0;
    uint32_t best = count;
    // Neighbouring rows mostly repeat: the row the previous one copied is tried first.
    for (uint32_t k = 0; k < count && bestWidth > 0; ++k) {
        const uint32_t candidate = k == 0 ? preferred : (k == preferred ? 0 : k);
        const QRgb *kept = distinct_.data() + static_cast<std::size_t>(candidate) * static_cast<std::size_t>(width);
        int left = 0;
        while (left < width && kept[left] == line[left])
            ++left;
        int right = width;
        while (right > left && kept[right - 1] == line[right - 1])
            --right;
        if (right - left < bestWidth) {
            bestWidth = right - left;
            bestLeft = left;
            best = candidate;
        }
    }
    if (best == count)
        return false;
    row = {best, static_cast<uint32_t>(patches_.size()), static_cast<uint32_t>(bestLeft),
           static_cast<uint32_t>(bestWidth)};
    patches_.insert(patches_.end(), line + bestLeft, line + bestLeft + bestWidth);
    return true;
}

void PackedRows::unpack(QImage &image) const
{
    for (int y = 0; y < size_.height(); ++y)
        unpack(image, y, 0, size_.width());
}

void PackedRows::unpack(QImage &image, int y, int left, int right) const
{
    Q_ASSERT(image.size() == size_ && 0 <= left && left <= right && right <= size_.width());
    const Row &row = rows_[static_cast<std::size_t>(y)];
    auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
    const auto width = static_cast<std::size_t>(size_.width());
    std::memcpy(line + left, distinct_.data() + row.distinct * width + static_cast<std::size_t>(left),
                static_cast<std::size_t>(right - left) * sizeof(QRgb));
    const int patchLeft = std::max(left, static_cast<int>(row.patchLeft));
    const int patchRight = std::min(right, static_cast<int>(row.patchLeft + row.patchWidth));
    if (patchLeft < patchRight)
        std::memcpy(line + patchLeft, patches_.data() + row.patch + static_cast<uint32_t>(patchLeft) - row.patchLeft,
                    static_cast<std::size_t>(patchRight - patchLeft) * sizeof(QRgb));
}

std::size_t PackedRows::bytes() const
{
    return (distinct_.capacity() + patches_.capacity()) * sizeof(QRgb) + rows_.capacity() * sizeof(Row);
}
