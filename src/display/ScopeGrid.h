#pragma once

#include <vector>

// Where the grid lines of the drawing area lie.
class ScopeGrid {
public:
    struct Row {
        float y;
        bool solid;  // a whole multiple of the zero line's position
    };

    // Columns at 0, spacing, 2 x spacing, ... up to the width.
    static std::vector<float> columns(int width, float spacing);

    // Rows one spacing apart through the zero line (at height x zeroPosition), from the first one
    // at or below the top over the height.
    static std::vector<Row> rows(int height, float zeroPosition, float spacing);
};
