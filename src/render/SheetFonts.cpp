#include "render/SheetFonts.h"

#include <QFontDatabase>
#include <QStringList>

#include <initializer_list>

namespace {

// Only families the machine has: fontconfig would otherwise stand in any font for the first.
QStringList installedOf(std::initializer_list<const char *> names)
{
    const QStringList installed = QFontDatabase::families();
    QStringList found;
    for (const char *name : names) {
        if (installed.contains(QString::fromUtf8(name)))
            found << QString::fromUtf8(name);
    }
    return found;
}

} // namespace

QFont sheetFont()
{
    static const QStringList families
        = installedOf({"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "VL PGothic"});
    QFont font;
    if (!families.isEmpty())
        font.setFamilies(families);
    return font;
}

QFont pageFont()
{
    static const QStringList families
        = installedOf({"ＭＳ ゴシック", "Osaka-等幅", "IPAGothic", "Noto Sans Mono CJK JP"});
    QFont font;
    if (families.isEmpty()) {
        font.setFamily(QStringLiteral("monospace"));
        font.setStyleHint(QFont::Monospace);
    } else {
        font.setFamilies(families);
    }
    return font;
}
