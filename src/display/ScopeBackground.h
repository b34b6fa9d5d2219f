#pragma once

#include <QSize>
#include <QStringList>
#include <cstdint>
#include <vector>

class QImage;

// What the background of the drawing area shows: its colour, the grid with its value labels and
// the level lines. Equal descriptions draw equal pixels, so an unchanged background is restored
// instead of drawn again.
struct ScopeBackground {
    struct Level {
        float y;
        int32_t color;
        int32_t style;
        int32_t width;
        bool operator==(const Level &) const = default;
    };

    QSize size;
    int32_t backColor = 0;
    bool gridVisible = false;
    int32_t gridColor = 0;
    float xGridSpacing = 50;
    float yGridSpacing = 50;
    float zeroPosition = 0.5f;
    QStringList labels;  // the value at each grid row, top down; empty without labels
    std::vector<Level> levels;

    bool operator==(const ScopeBackground &) const = default;

    // Draws the whole background over the image.
    void draw(QImage &image) const;
};
