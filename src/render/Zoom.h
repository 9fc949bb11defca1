// The sheet's zoom: percentages, the steps between them and the cell side they give.
#pragma once

#include <QSize>

namespace Zoom {

constexpr int kMinPercent = 10;
constexpr int kMaxPercent = 800;

// The next step above or below percent, within the limits.
int zoomedIn(int percent);
int zoomedOut(int percent);
int clamped(int percent);

// A cell's side in pixels: never below one pixel, so every cell stays on screen.
constexpr int cellSide(int baseSide, int percent)
{
    const int side = baseSide * percent / 100;
    return side < 1 ? 1 : side;
}

// The largest zoom that shows every cell of the sheet inside area, within the limits.
int fitPercent(QSize area, int columns, int rows, int baseSide);

} // namespace Zoom
