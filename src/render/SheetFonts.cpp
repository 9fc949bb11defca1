#include "render/SheetFonts.h"

#include "html/HtmlPageWriter.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

// Only families the machine has: fontconfig would otherwise stand in any font for the first.
QStringList installedOf(const QStringList &names)
{
    const QStringList installed = QFontDatabase::families();
    QStringList found;
    for (const QString &name : names) {
        if (installed.contains(name))
            found << name;
    }
    return found;
}

} // namespace

QFont sheetFont()
{
    static const QStringList families
        = installedOf({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
            QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")});
    QFont font;
    if (!families.isEmpty())
        font.setFamilies(families);
    return font;
}

QFont pageFont()
{
    // The page's own list, as a browser reads it: the first family installed.
    static const QStringList families = installedOf(pageFontFamilies());
    QFont font;
    if (families.isEmpty()) {
        font.setFamily(QStringLiteral("monospace"));
        font.setStyleHint(QFont::Monospace);
    } else {
        font.setFamilies(families);
    }
    return font;
}
