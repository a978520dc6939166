#include "ui/placement.h"

namespace {

// The shift that brings [low, high) inside [areaLow, areaHigh); the low edge wins.
int Shift(int low, int high, int areaLow, int areaHigh) {
    if (low < areaLow) return areaLow - low;
    if (high > areaHigh) return areaHigh - high;
    return 0;
}

}  // namespace

bool IsUsablePlacement(const NormalRect& saved) {
    return saved.Width() >= kMinNormalWidth && saved.Height() >= kMinNormalHeight;
}

NormalRect DefaultNormalRect(const NormalRect& workArea) {
    const int width = workArea.Width() * 3 / 4;
    const int height = workArea.Height() * 3 / 4;
    const int left = workArea.left + (workArea.Width() - width) / 2;
    const int top = workArea.top + (workArea.Height() - height) / 2;
    return {left, top, left + width, top + height};
}

NormalRect FitIntoWorkArea(const NormalRect& saved, const NormalRect& workArea) {
    const int dx = Shift(saved.left, saved.right, workArea.left, workArea.right);
    const int dy = Shift(saved.top, saved.bottom, workArea.top, workArea.bottom);
    return {saved.left + dx, saved.top + dy, saved.right + dx, saved.bottom + dy};
}
