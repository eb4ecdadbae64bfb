#include "project/exclusionlist.h"

bool ExclusionList::contains(const QString &entry) const
{
    return m_entries.contains(entry, Qt::CaseInsensitive);
}

bool ExclusionList::add(const QString &entry)
{
    if (entry.isEmpty() || contains(entry))
        return false;
    Q_EMIT aboutToChange();
    m_entries.append(entry);
    Q_EMIT changed();
    return true;
}

bool ExclusionList::removeAt(qsizetype index)
{
    if (index < 0 || index >= m_entries.size())
        return false;
    Q_EMIT aboutToChange();
    m_entries.removeAt(index);
    Q_EMIT changed();
    return true;
}

void ExclusionList::assign(const QStringList &entries)
{
    Q_EMIT aboutToChange();
    m_entries.clear();
    for (const QString &entry : entries) {
        if (!entry.isEmpty() && !contains(entry))
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

QString joinedSummary(const QStringList &entries)
{
    QString text;
    for (const QString &entry : entries)
        text += entry + u"; ";
    return trimControls(text);
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
