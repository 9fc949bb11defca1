#include "ui/Fonts.h"

#include <QFontDatabase>
#include <QWidget>

namespace {

QFont gothicFont()
{
    // Only families the machine has: fontconfig would otherwise stand in any font for the first.
    static const QStringList families = [] {
        const QStringList installed = QFontDatabase::families();
        QStringList found;
        for (const char *name :
            {"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "VL PGothic"}) {
            if (installed.contains(QString::fromUtf8(name)))
                found << QString::fromUtf8(name);
        }
        return found;
    }();
    QFont font;
    if (!families.isEmpty())
        font.setFamilies(families);
    return font;
}

} // namespace

QFont gridSheetFont()
{
    QFont font = gothicFont();
    font.setPointSize(9);
    return font;
}

QFont windowFont()
{
    QFont font = gothicFont();
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
