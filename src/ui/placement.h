#pragma once
// The frame's saved placement (section "Window") and how it is brought back onto the screen.
// Rectangles are edges, right and bottom exclusive: width = right - left.

struct NormalRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const NormalRect&) const = default;
};

// A saved rectangle of zero width, or 100 pixels high or less, is ignored: the frame keeps the
// default place.
bool IsUsablePlacement(const NormalRect& saved);

// Shifts the rectangle, without resizing it, back inside the work area on each axis on its own:
// a rectangle sticking out on the left or top is aligned with that edge, otherwise one sticking
// out on the right or bottom is aligned with that edge.
NormalRect FitIntoWorkArea(const NormalRect& saved, const NormalRect& workArea);
