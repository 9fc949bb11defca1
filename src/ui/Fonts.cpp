#include "ui/Fonts.h"

#include "render/SheetFonts.h"

#include <QWidget>

QFont gridSheetFont()
{
    QFont font = sheetFont();
    font.setPointSize(9);
    return font;
}

QFont windowFont()
{
    QFont font = sheetFont();
    font.setPixelSize(11);
    return font;
}

void applyWindowFont(QWidget *window)
{
    const QFont font = windowFont();
    window->setFont(font);
    // The platform theme may give some widget classes fonts of their own; ours win.
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (!child->property("keepFont").toBool())
            child->setFont(font);
    }
}
