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
    return saved.right != saved.left && saved.Height() > 100;
}

NormalRect FitIntoWorkArea(const NormalRect& saved, const NormalRect& workArea) {
    const int dx = Shift(saved.left, saved.right, workArea.left, workArea.right);
    const int dy = Shift(saved.top, saved.bottom, workArea.top, workArea.bottom);
    return {saved.left + dx, saved.top + dy, saved.right + dx, saved.bottom + dy};
}
