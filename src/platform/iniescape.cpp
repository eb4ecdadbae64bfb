#include "platform/iniescape.h"

#include "platform/losslessname.h"

#include <algorithm>

namespace platform {

namespace {

constexpr QChar kEscape = u'%';

enum class Part { Key, Value };

// No control character goes into the file either. A text that starts with the escape needs it
// to read back, and so does one that keeps bytes that are not valid UTF-8 (lone surrogates),
// which a UTF-8 file cannot hold as text.
bool needsEscape(const QString &text, Part part)
{
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first == kEscape || first.isSpace() || text.back().isSpace())
        return true;
    if (part == Part::Key && (first == u'[' || first == u';'))
        return true;
    return std::any_of(text.cbegin(), text.cend(),
                       [part](QChar c) {
                           return c.unicode() < 0x20 || (part == Part::Key && c == u'=');
                       }) ||
           holdsLoneSurrogate(text);
}

QString escaped(const QString &text, Part part)
{
    if (!needsEscape(text, part))
        return text;
    return kEscape + QString::fromLatin1(losslessBytes(text).toPercentEncoding());
}

QString unescaped(const QString &stored, Part part)
{
    if (!stored.startsWith(kEscape))
        return stored;
    const QString text = losslessText(QByteArray::fromPercentEncoding(stored.sliced(1).toUtf8()));
    return escaped(text, part) == stored ? text : stored;
}

} // namespace

QString escapedIniKey(const QString &key)
{
    return escaped(key, Part::Key);
}

QString unescapedIniKey(const QString &stored)
{
    return unescaped(stored, Part::Key);
}

QString escapedIniValue(const QString &value)
{
    return escaped(value, Part::Value);
}

QString unescapedIniValue(const QString &stored)
{
    return unescaped(stored, Part::Value);
}

} // namespace platform
