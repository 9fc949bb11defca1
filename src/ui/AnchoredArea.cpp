#include "ui/AnchoredArea.h"

#include <QResizeEvent>

#include <algorithm>

namespace {

// The least room kept between a control anchored to the bottom and one above it.
constexpr int kGap = 8;

} // namespace

AnchoredArea::AnchoredArea(QSize designedSize, QWidget *parent)
    : QWidget(parent)
    , designedSize_(designedSize)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void AnchoredArea::setFilling(QWidget *control, QSize leastSize)
{
    filling_ = control;
    fillingDesigned_ = control->geometry();
    fillingLeast_ = leastSize.boundedTo(fillingDesigned_.size());
    updateGeometry();
}

void AnchoredArea::anchor(QWidget *control, Qt::Edges edges)
{
    anchored_.append({control, control->geometry(), edges});
    updateGeometry();
}

QSize AnchoredArea::leastShrink() const
{
    QSize shrink = filling_ ? fillingDesigned_.size() - fillingLeast_ : QSize();
    for (const Anchored &lower : anchored_) {
        if (!(lower.edges & Qt::BottomEdge))
            continue;
        for (const Anchored &upper : anchored_) {
            if ((upper.edges & Qt::BottomEdge) || upper.designed.top() >= lower.designed.top())
                continue;
            const bool sideBySide
                = upper.designed.right() < lower.designed.left() || lower.designed.right() < upper.designed.left();
            if (!sideBySide)
                shrink.setHeight(std::min(shrink.height(), lower.designed.top() - upper.designed.bottom() - kGap));
        }
    }
    return shrink.expandedTo(QSize(0, 0));
}

QSize AnchoredArea::minimumSizeHint() const
{
    return designedSize_ - leastShrink();
}

void AnchoredArea::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeControls();
}

void AnchoredArea::placeControls()
{
    // Below the least size (a window manager may insist) the controls stay where they were at it.
    const QSize grown = size().expandedTo(minimumSizeHint()) - designedSize_;
    if (filling_)
        filling_->setGeometry(fillingDesigned_.adjusted(0, 0, grown.width(), grown.height()));
    for (const Anchored &item : anchored_) {
        const QPoint shift(
            item.edges & Qt::RightEdge ? grown.width() : 0, item.edges & Qt::BottomEdge ? grown.height() : 0);
        item.control->setGeometry(item.designed.translated(shift));
    }
}
