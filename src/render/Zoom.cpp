#include "render/Zoom.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int kSteps[] = {10, 15, 20, 25, 33, 50, 67, 75, 100, 125, 150, 200, 300, 400, 500, 600, 800};

} // namespace

int Zoom::clamped(int percent)
{
    return std::clamp(percent, kMinPercent, kMaxPercent);
}

int Zoom::zoomedIn(int percent)
{
    const auto next = std::upper_bound(std::begin(kSteps), std::end(kSteps), percent);
    return next == std::end(kSteps) ? kMaxPercent : *next;
}

int Zoom::zoomedOut(int percent)
{
    const auto next = std::lower_bound(std::begin(kSteps), std::end(kSteps), percent);
    return next == std::begin(kSteps) ? kMinPercent : *std::prev(next);
}

int Zoom::fitPercent(QSize area, int columns, int rows, int baseSide)
{
    if (columns < 1 || rows < 1 || baseSide < 1)
        return 100;
    const int side = std::min(area.width() / columns, area.height() / rows);
    if (side < 1)
        return kMinPercent;
    // The smallest percent whose cells are that side: cellSide rounds down.
    const qint64 percent = (qint64(side) * 100 + baseSide - 1) / baseSide;
    return int(std::clamp<qint64>(percent, kMinPercent, kMaxPercent));
}
