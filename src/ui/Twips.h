// Window layouts are designed in twips: 15 twips are one pixel at 96 dots per inch.
#pragma once

#include <QRect>
#include <QWidget>

#include <cmath>
#include <initializer_list>

inline int twipsToPixels(double twips)
{
    return int(std::lround(twips / 15.0));
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

// Places a control at its designed rectangle, growing it about its centre when the chosen
// font needs more room, so that no caption is clipped.
inline void placeTwips(QWidget *widget, int left, int top, int width, int height)
{
    QRect rect = twipsRect(left, top, width, height);
    const QSize needed = widget->sizeHint();
    if (needed.height() > rect.height() && rect.height() < twipsToPixels(300)) {
        const int grow = needed.height() - rect.height();
        rect.adjust(0, -grow / 2, 0, grow - grow / 2);
    }
    if (needed.width() > rect.width() && !widget->inherits("QLineEdit")) {
        const int grow = needed.width() - rect.width();
        rect.adjust(-grow / 2, 0, grow - grow / 2, 0);
    }
    widget->setGeometry(rect);
}

// Chains the keyboard focus through the controls in the order given.
inline void setTabChain(std::initializer_list<QWidget *> controls)
{
    QWidget *previous = nullptr;
    for (QWidget *control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}
