#include "ui/PictureLayout.h"

#include "ui/Twips.h"

#include <algorithm>
#include <cmath>

namespace PictureLayout {

namespace {

    // The designed sizes of the field and the label, which the layout keeps.
    constexpr int kFieldWidth = 1080;
    constexpr int kFieldHeight = 270;
    constexpr int kLabelWidth = 705;
    constexpr int kLabelHeight = 180;
    constexpr int kTwipsPerPixel = 15;
    // Between the label and the field, in pixels (15 twips).
    constexpr int kLabelGap = 1;
    // No row is searched for beyond this width: no caption at any sane font needs it.
    constexpr int kWidestRow = 1 << 14;

    QRect pixelRect(const QRect &twips)
    {
        return twipsRect(twips.x(), twips.y(), twips.width(), twips.height());
    }

    // Grows a control to the height it needs about its centre, but never up into the picture,
    // which ends at areaBottom.
    QRect tallEnough(QRect rect, int height, int areaBottom)
    {
        if (height > rect.height()) {
            const int grow = height - rect.height();
            rect.adjust(0, -grow / 2, 0, grow - grow / 2);
        }
        if (rect.top() < areaBottom)
            rect.moveTop(areaBottom);
        return rect;
    }

} // namespace

Designed designedFor(const QRect &boxTwips)
{
    Designed designed;
    const int boxBottom = boxTwips.y() + boxTwips.height();
    designed.window = QSize(boxTwips.width() + 80, boxTwips.height() + 800);
    const int half = int(std::nearbyint(boxTwips.width() / 2.0)); // halves to even
    designed.rowLine = boxBottom + 215;
    designed.button = QRect(boxTwips.x(), boxBottom + 15, half, 400);
    designed.field
        = QRect(boxTwips.width() - kFieldWidth, designed.rowLine - kFieldHeight / 2, kFieldWidth, kFieldHeight);
    designed.label = QRect(
        designed.field.x() - (kLabelWidth + 15), designed.rowLine - kLabelHeight / 2, kLabelWidth, kLabelHeight);
    return designed;
}

Row rowUnder(const QRect &area, const RowNeeds &needs)
{
    const Designed designed = designedFor(QRect(area.x() * kTwipsPerPixel, area.y() * kTwipsPerPixel,
        area.width() * kTwipsPerPixel, area.height() * kTwipsPerPixel));
    const int areaBottom = area.y() + area.height();
    Row row;
    // The button keeps its top under the picture and grows downwards alone.
    row.button = pixelRect(designed.button);
    row.button.setHeight(std::max(row.button.height(), needs.button.height()));
    row.field = tallEnough(pixelRect(designed.field), needs.field.height(), areaBottom);
    const QRect label = tallEnough(pixelRect(designed.label), needs.label.height(), areaBottom);
    const int labelWidth = std::max(label.width(), needs.label.width());
    row.label = QRect(row.field.left() - kLabelGap - labelWidth, label.top(), labelWidth, label.height());
    return row;
}

int rowMinimumWidth(const RowNeeds &needs)
{
    for (int width = 1; width < kWidestRow; ++width) {
        const Row row = rowUnder(QRect(0, 0, width, 0), needs);
        if (row.button.width() >= needs.button.width() && row.button.right() < row.label.left())
            return width;
    }
    return kWidestRow;
}

Fit fitFor(
    const QSize &picture, const QMargins &frame, const QSize &available, const RowNeeds &needs, int scrollBarExtent)
{
    const Designed designed = designedFor(QRect(QPoint(0, 0), picture * kTwipsPerPixel));
    const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QSize designedClient
        = QSize(twipsToPixels(designed.window.width()), twipsToPixels(designed.window.height())) - frameSize;
    const int rowWidth = rowMinimumWidth(needs);
    const Row row = rowUnder(QRect(0, 0, rowWidth, 0), needs);
    const int rowBottom = std::max({row.button.bottom(), row.label.bottom(), row.field.bottom()}) + 1;

    Fit fit;
    fit.rightMargin = std::max(designedClient.width() - picture.width(), 0);
    fit.rowBand = std::max(designedClient.height() - picture.height(), rowBottom);
    const QSize room = (available - frameSize).expandedTo(QSize(1, 1));
    // A scroll bar on one side takes room from the other, which may then need one too.
    bool across = picture.width() > room.width();
    const bool down = picture.height() + (across ? scrollBarExtent : 0) > room.height() - fit.rowBand;
    across = across || (down && picture.width() + scrollBarExtent > room.width());
    const int width = std::max(picture.width() + (down ? scrollBarExtent : 0), rowWidth) + fit.rightMargin;
    const int height = picture.height() + (across ? scrollBarExtent : 0) + fit.rowBand;
    fit.client = QSize(width, height).boundedTo(room);
    return fit;
}

} // namespace PictureLayout
