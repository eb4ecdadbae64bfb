#include "cli/consoletext.h"

#include <algorithm>

namespace {

bool shownAsItIs(QChar c)
{
    const char16_t u = c.unicode();
    return u >= 0x20 && u != 0x7f && u != u'\\' && (u < 0x80 || u > 0x9f) && u != 0x2028 &&
           u != 0x2029 && !c.isSurrogate();
}

QString hex(unsigned value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0'));
}

} // namespace

QString consoleText(const QString &text)
{
    if (std::all_of(text.cbegin(), text.cend(), shownAsItIs))
        return text;
    QString shown;
    shown.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (shownAsItIs(c)) {
            shown += c;
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            shown += c;
            shown += text[++i];
        } else if (u == u'\\') {
            shown += u"\\\\";
        } else if (u == u'\n') {
            shown += u"\\n";
        } else if (u == u'\r') {
            shown += u"\\r";
        } else if (u == u'\t') {
            shown += u"\\t";
        } else if (u < 0x80) {
            shown += u"\\x" + hex(u, 2);
        } else if (u >= 0xdc80 && u <= 0xdcff) {
            shown += u"\\x" + hex(u - 0xdc00, 2);
        } else {
            shown += u"\\u" + hex(u, 4);
        }
    }
    return shown;
}
