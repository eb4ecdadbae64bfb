#include "project/exclusionlist.h"

#include "platform/losslessname.h"

ExclusionList::ExclusionList(Kind kind, QObject *parent) : QObject(parent), m_kind(kind) {}

QString ExclusionList::key(const QString &entry) const
{
    if (m_kind == Kind::Extensions)
        return entry.toCaseFolded();
    if (entry.startsWith(u'/'))
        return entry;
    return u'/' + entry;
}

QString ExclusionList::fileEntryOfRow(const QString &files, const QByteArray &rawFiles)
{
    return rawFiles.isEmpty() ? files : platform::losslessText(rawFiles);
}

bool ExclusionList::contains(const QString &entry) const
{
    return !entry.isEmpty() && m_keys.contains(key(entry));
}

bool ExclusionList::add(const QString &entry)
{
    if (entry.isEmpty() || contains(entry))
        return false;
    Q_EMIT aboutToChange();
    m_entries.append(entry);
    m_keys.insert(key(entry));
    Q_EMIT changed();
    return true;
}

bool ExclusionList::removeAt(qsizetype index)
{
    if (index < 0 || index >= m_entries.size())
        return false;
    Q_EMIT aboutToChange();
    m_keys.remove(key(m_entries.at(index)));
    m_entries.removeAt(index);
    Q_EMIT changed();
    return true;
}

void ExclusionList::assign(const QStringList &entries)
{
    Q_EMIT aboutToChange();
    m_entries.clear();
    m_keys.clear();
    m_entries.reserve(entries.size());
    m_keys.reserve(entries.size());
    for (const QString &entry : entries) {
        if (entry.isEmpty())
            continue;
        const qsizetype before = m_keys.size();
        m_keys.insert(key(entry));
        if (m_keys.size() > before)
            m_entries.append(entry);
    }
    Q_EMIT changed();
}

namespace {

// Leading and trailing spaces and control characters (every character up to the space) go.
QString trimControls(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

// Only the first entries are joined: a label with a text of megabytes takes seconds to lay out.
QString joinedSummary(const QStringList &entries)
{
    QString text;
    qsizetype joined = 0;
    for (; joined < entries.size() && text.size() <= kSummaryLength; ++joined)
        text += entries[joined] + u"; ";
    text = trimControls(text);
    if (joined == entries.size() && text.size() <= kSummaryLength)
        return text;
    text.truncate(kSummaryLength);
    return text + u'…';
}

QString asciiLower(QString text)
{
    for (QChar &c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return text;
}

} // namespace

QString extensionsSummary(const QStringList &extensions)
{
    const QString text = asciiLower(joinedSummary(extensions));
    return text.isEmpty() ? QStringLiteral("Aucune") : text;
}

QString filesSummary(const QStringList &files)
{
    const QString text = joinedSummary(files);
    return text.isEmpty() ? QStringLiteral("Aucun") : text;
}
