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

// The smallest normal rectangle that still holds the menu bar, the tool and control bars, the
// status bar and a few lines of the copy pane, in pixels.
inline constexpr int kMinNormalWidth = 480;
inline constexpr int kMinNormalHeight = 320;

// A saved rectangle smaller than the minimum (a collapsed window, a damaged profile) is
// ignored: the frame takes the default place.
bool IsUsablePlacement(const NormalRect& saved);

// The normal rectangle of a frame without a usable saved one: three quarters of the work area
// on each axis, centred in it.
NormalRect DefaultNormalRect(const NormalRect& workArea);

// Shifts the rectangle, without resizing it, back inside the work area on each axis on its own:
// a rectangle sticking out on the left or top is aligned with that edge, otherwise one sticking
// out on the right or bottom is aligned with that edge.
NormalRect FitIntoWorkArea(const NormalRect& saved, const NormalRect& workArea);
