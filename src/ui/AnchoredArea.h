// A window's client area laid out as designed at its designed size. As it grows or shrinks,
// one filling control takes the difference and the others keep their distance to the edges
// they are anchored to.
#pragma once

#include <QList>
#include <QRect>
#include <QWidget>

class AnchoredArea : public QWidget {
    Q_OBJECT
public:
    AnchoredArea(QSize designedSize, QWidget *parent = nullptr);

    // Each control's geometry when added is its designed place.
    void setFilling(QWidget *control, QSize leastSize);
    // A control anchored to the bottom moves up as the area shrinks, until it would come
    // closer than a gap to a control above it; that sets the area's least height.
    void anchor(QWidget *control, Qt::Edges edges);

    QSize sizeHint() const override { return designedSize_; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Anchored {
        QWidget *control;
        QRect designed;
        Qt::Edges edges;
    };
    // How far the area may shrink, from its designed size, in each direction.
    QSize leastShrink() const;
    void placeControls();

    QSize designedSize_;
    QWidget *filling_ = nullptr;
    QRect fillingDesigned_;
    QSize fillingLeast_;
    QList<Anchored> anchored_;
};
