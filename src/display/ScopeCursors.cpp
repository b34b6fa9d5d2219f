#include "ScopeCursors.h"

#include "CursorOverlay.h"

namespace {
constexpr float OffScreen = -1;
}

bool ScopeCursors::release(float x)
{
    switch (state_) {
    case 0:
        x1_ = x;
        state_ = 1;
        drawCursor(x, true, false, false);
        lastColumn_ = OffScreen;
        return false;
    case 1:
        x2_ = x;
        state_ = 2;
        drawCursor(x, true, true, false);
        return true;
    default:
        eraseCursor(x1_);
        eraseCursor(x2_);
        x1_ = x;
        state_ = 1;
        drawCursor(x, true, false, true);
        lastColumn_ = OffScreen;
        return false;
    }
}

void ScopeCursors::move(float x)
{
    if (state_ != 1)
        return;
    x2_ = x;
    drawCursor(x, true, true, true);
}

void ScopeCursors::redraw()
{
    if (state_ == 0)
        return;
    drawCursor(x1_, true, false, false);
    drawCursor(x2_, true, false, false);
}

void ScopeCursors::placeFirst(float x)
{
    if (x >= x2_) {
        x1_ = x2_;
        x2_ = x;
    } else {
        x1_ = x;
    }
}

void ScopeCursors::placeSecond(float x)
{
    if (x <= x1_) {
        x2_ = x1_;
        x1_ = x;
    } else {
        x2_ = x;
    }
}

void ScopeCursors::drawCursor(float x, bool drawNew, bool eraseLast, bool xorPen)
{
    if (eraseLast)
        overlay_.draw(lastColumn_, xorPen);
    if (drawNew)
        overlay_.draw(x, xorPen);
    lastColumn_ = x;
}

void ScopeCursors::eraseCursor(float x)
{
    overlay_.draw(x, true);
}
