#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

// A 32-bit picture kept as its distinct rows. The rows of a grid repeat, so a full-screen
// background takes the memory of a handful of rows; a row that differs from a kept one only over a
// short stretch (a value label) keeps just that stretch. Unpacking copies every row in one go from
// rows that stay in the cache.
class PackedRows {
public:
    void pack(const QImage &image);
    // Writes the picture into an image of the packed size.
    void unpack(QImage &image) const;
    // Writes the pixels [left, right) of row y only.
    void unpack(QImage &image, int y, int left, int right) const;

    QSize size() const { return size_; }
    // Memory held for the pixels.
    std::size_t bytes() const;

private:
    struct Row {
        uint32_t distinct;    // index of the distinct row it copies
        uint32_t patch;       // first pixel of its own stretch in patches_
        uint32_t patchLeft;   // column of that stretch
        uint32_t patchWidth;  // 0: no stretch of its own
    };

    // The row as a reference to a kept one, or false when it differs from all of them too widely.
    bool refer(const QRgb *line, uint32_t preferred, Row &row);

    QSize size_;
    std::vector<QRgb> distinct_;
    std::vector<QRgb> patches_;
    std::vector<Row> rows_;
};
