#include "core/HtmlText.h"

#include "core/Cp932.h"

QString toHtmlText(QStringView text)
{
    QString out;
    appendHtmlText(out, text);
    return out;
}

QString escapeHtml(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        case u'\'': out += u"&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

void appendHtmlText(QString &out, QStringView text)
{
    // The escapes and the space rules touch distinct characters, so one pass does them all;
    // a space (from the text, a tab or the padding) is held back until the next character
    // tells whether it pairs into a full-width space.
    bool spacePending = false;
    auto emitSpace = [&]() {
        if (spacePending) {
            out += QChar(0x3000);
            spacePending = false;
        } else {
            spacePending = true;
        }
    };
    auto emitOther = [&](QStringView piece) {
        if (spacePending) {
            out += u"&nbsp;";
            spacePending = false;
        }
        out += piece;
    };
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&': emitOther(u"&amp;"); break;
        case u'<': emitOther(u"&lt;"); break;
        case u'>': emitOther(u"&gt;"); break;
        case u'"': emitOther(u"&quot;"); break;
        case u'\t':
        case u' ': emitSpace(); break;
        default: emitOther(QStringView(&c, 1));
        }
    }
    if (Cp932::byteLength(text) == 1)
        emitSpace();
    if (spacePending)
        out += u"&nbsp;";
}
