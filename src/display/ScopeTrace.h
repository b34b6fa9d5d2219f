#pragma once

#include "display/ScopeGeometry.h"

#include <QLineF>
#include <vector>

class Track;

// The lines of one track's trace over the shown samples: one segment per sample while a sample
// spans a pixel or more, else one vertical line per pixel column from the smallest to the largest
// value in it (a tick 1.1 pixels tall when they differ by less than a pixel).
class ScopeTrace {
public:
    static void build(const ScopeGeometry &geometry, int32_t bufferPtr, const Track &track, std::vector<QLineF> &lines);

private:
    static void segments(const ScopeGeometry &geometry, int64_t shown, const Track &track, std::vector<QLineF> &lines);
    static void columns(const ScopeGeometry &geometry, int64_t shown, const Track &track, std::vector<QLineF> &lines);
};
