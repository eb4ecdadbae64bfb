#include "recordinghost.h"

#include <QThread>

namespace {

QString kindName(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Plain:
        return QStringLiteral("Plain");
    case BoxKind::Information:
        return QStringLiteral("Information");
    case BoxKind::Warning:
        return QStringLiteral("Warning");
    case BoxKind::Error:
        return QStringLiteral("Error");
    case BoxKind::Confirmation:
        return QStringLiteral("Confirmation");
    }
    return QString();
}

QString buttonName(BoxButton button)
{
    switch (button) {
    case BoxButton::Ok:
        return QStringLiteral("OK");
    case BoxButton::Cancel:
        return QStringLiteral("Annuler");
    case BoxButton::Yes:
        return QStringLiteral("&Oui");
    case BoxButton::No:
        return QStringLiteral("&Non");
    case BoxButton::Abandon:
        return QStringLiteral("&Abandon");
    }
    return QString();
}

} // namespace

QStringList RecordingHost::eventsOf(const QString &prefix) const
{
    QStringList found;
    const QString head = prefix + u' ';
    for (const QString &event : m_events) {
        if (event.startsWith(head))
            found.append(event.mid(head.size()));
    }
    return found;
}

QList<int> RecordingHost::progress() const
{
    QList<int> values;
    for (const QString &value : eventsOf(QStringLiteral("progress")))
        values.append(value.toInt());
    return values;
}

bool RecordingHost::allOn(const QThread *thread) const
{
    for (const QThread *t : m_threads) {
        if (t != thread)
            return false;
    }
    return true;
}

void RecordingHost::record(const QString &event)
{
    m_events.append(event);
    m_threads.append(QThread::currentThread());
    if (onEvent)
        onEvent(event);
}

void RecordingHost::setBusyCursor(bool busy)
{
    record(QStringLiteral("cursor %1").arg(int(busy)));
}

void RecordingHost::setRowClickHandler(bool attached)
{
    record(QStringLiteral("click %1").arg(int(attached)));
}

void RecordingHost::setCurrentRow(int index)
{
    record(QStringLiteral("row %1").arg(index));
}

void RecordingHost::clearCurrentRow(bool scrollToFirst)
{
    record(QStringLiteral("norow %1").arg(int(scrollToFirst)));
}

void RecordingHost::setRowStatusText(int index, const QString &text)
{
    record(QStringLiteral("text %1 ").arg(index) + text);
}

void RecordingHost::setRowError(int index, const QString &text, const QString &detail)
{
    record(QStringLiteral("code %1 -1").arg(index));
    record(QStringLiteral("text %1 ").arg(index) + text);
    record(QStringLiteral("detail %1 ").arg(index) + detail);
}

void RecordingHost::setStatusPanel(int panel, const QString &text)
{
    record(QStringLiteral("panel %1 ").arg(panel) + text);
}

void RecordingHost::setProgress(int percent)
{
    record(QStringLiteral("progress %1").arg(percent));
}

BoxButton RecordingHost::message(BoxKind kind, const QString &text, const BoxButtons &buttons)
{
    QStringList names;
    for (BoxButton button : buttons)
        names.append(buttonName(button));
    if (onMessage)
        onMessage();
    BoxButton answer = BoxButton::Ok;
    if (m_answers.isEmpty())
        ++m_unexpected;
    else
        answer = m_answers.takeFirst();
    record(QStringLiteral("box ") + kindName(kind) + u'|' + text + u'|' + names.join(u',') + u'|' +
           buttonName(answer));
    return answer;
}
