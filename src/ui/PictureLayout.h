// Where the image view window puts its picture and its row of controls: the designed
// layout for a picture that fits the screen, widened for what the row needs at the font in
// use, and cut to the room on screen, the rest of the picture then scrolled.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace PictureLayout {

// The designed layout in twips for a picture box at boxTwips; window is the outer size,
// frame and title bar included.
struct Designed {
    QSize window;
    int rowLine = 0;
    QRect button;
    QRect field;
    QRect label;
};
Designed designedFor(const QRect &boxTwips);

// What the row's controls need at the font in use: their size hints.
struct RowNeeds {
    QSize button;
    QSize label;
    QSize field;
};

// The row in pixels under a picture area.
struct Row {
    QRect button;
    QRect label;
    QRect field;
};
// The designed places under the area, each control as tall as it needs about the row line,
// the label as wide as it needs and still ending just left of the field.
Row rowUnder(const QRect &area, const RowNeeds &needs);
// The narrowest area under which the row's controls neither overlap nor get clipped.
int rowMinimumWidth(const RowNeeds &needs);

// The window's client area for a picture.
struct Fit {
    QSize client;
    int rightMargin = 0; // client width right of the row's area
    int rowBand = 0; // client height under the picture area, which holds the row
};
// The designed window for the picture, frame included, made wide enough for the row and
// tall enough to show it whole, then cut to the room on screen (available, frame included);
// a scroll bar of scrollBarExtent is allowed for on a side where the picture is cut.
Fit fitFor(
    const QSize &picture, const QMargins &frame, const QSize &available, const RowNeeds &needs, int scrollBarExtent);

} // namespace PictureLayout
