#include "ScopeGrid.h"

#include "ScopeGeometry.h"

std::vector<float> ScopeGrid::columns(int width, float spacing)
{
    std::vector<float> result;
    if (!(spacing >= 1))
        return result;
    for (int i = 0;; ++i) {
        const double x = static_cast<double>(i) * spacing;
        if (x > width)
            break;
        result.push_back(static_cast<float>(x));
    }
    return result;
}

std::vector<ScopeGrid::Row> ScopeGrid::rows(int height, float zeroPosition, float spacing)
{
    std::vector<Row> result;
    if (!(spacing >= 1))
        return result;
    const float zero = static_cast<float>(height) * zeroPosition;
    const int64_t zeroRow = ScopeGeometry::roundEven(zero);
    const int64_t divisionsAbove = zeroRow / ScopeGeometry::roundEven(spacing);
    const float start = zero - spacing * static_cast<float>(divisionsAbove);
    for (int i = 0;; ++i) {
        const double d = static_cast<double>(i) * spacing;
        if (d > height)
            break;
        const float y = start + static_cast<float>(d);
        const int64_t row = ScopeGeometry::roundEven(y);
        // With the zero line at the top there is no multiple to test against: only it is solid.
        const bool solid = zeroRow == 0 ? row == 0 : row % zeroRow == 0;
        result.push_back({y, solid});
    }
    return result;
}
