#include "core/Version.h"

QString versionText()
{
    const int minor = GLYPHSCAPE_VERSION_MINOR;
    const QString minorText = (QStringLiteral("00") + QString::number(minor)).right(2);
    return QString::number(GLYPHSCAPE_VERSION_MAJOR) + u'.' + minorText + QString::number(GLYPHSCAPE_VERSION_PATCH)
        + u'b';
}

QString applicationTitle()
{
    return QStringLiteral("Glyphscape");
}
