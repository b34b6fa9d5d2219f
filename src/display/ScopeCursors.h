#pragma once

#include <cstdint>

class CursorOverlay;

// The two measuring cursors of a held display: 0 none, 1 the first fixed and the second following
// the mouse, 2 both fixed. Lines go to the overlay as the copy and XOR pens would draw them.
class ScopeCursors {
public:
    explicit ScopeCursors(CursorOverlay &overlay) : overlay_(overlay) {}

    int32_t state() const { return state_; }
    float x1() const { return x1_; }
    float x2() const { return x2_; }

    // A left-button release at x; true when it fixed the second cursor.
    bool release(float x);
    // The mouse moved to x.
    void move(float x);
    // Back to no cursors (the next full redraw removes the lines).
    void reset() { state_ = 0; }
    // Draws both lines again after the overlay was cleared by a full redraw.
    void redraw();

    // Moves the first or second cursor to column x, swapping them when they would cross.
    void placeFirst(float x);
    void placeSecond(float x);
    // Puts the cursors at the columns of a zoomed view.
    void place(float x1, float x2)
    {
        x1_ = x1;
        x2_ = x2;
    }

private:
    void drawCursor(float x, bool drawNew, bool eraseLast, bool xorPen);
    void eraseCursor(float x);

    CursorOverlay &overlay_;
    int32_t state_ = 0;
    float x1_ = 0;
    float x2_ = 0;
    float lastColumn_ = 0;
};
