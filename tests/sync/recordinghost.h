#pragma once

#include "sync/copyrunhost.h"

#include <QList>
#include <QStringList>

#include <functional>

class QThread;

// The window of a copy run, as a recorder: every call becomes one line of events(), in order,
// and a box takes the next scripted answer ("OK" when none is left, counted as unexpected).
class RecordingHost : public CopyRunHost {
public:
    void answer(BoxButton button) { m_answers.append(button); }
    // Runs before a box is answered (to press Stop during a question, for instance).
    std::function<void()> onMessage;
    // Runs after each event is recorded.
    std::function<void(const QString &event)> onEvent;

    const QStringList &events() const { return m_events; }
    // The events of one kind ("text 3", "panel 2", "progress", "box"), without that prefix.
    QStringList eventsOf(const QString &prefix) const;
    QStringList texts(int row) const { return eventsOf(QStringLiteral("text %1").arg(row)); }
    QList<int> progress() const;
    int unexpectedBoxes() const { return m_unexpected; }
    // Whether every call came on that thread.
    bool allOn(const QThread *thread) const;

    void setBusyCursor(bool busy) override;
    void setRowClickHandler(bool attached) override;
    void setCurrentRow(int index) override;
    void clearCurrentRow(bool scrollToFirst) override;
    void setRowStatusText(int index, const QString &text) override;
    // Recorded as three events: "code i -1", "text i ..." and "detail i ...".
    void setRowError(int index, const QString &text, const QString &detail) override;
    void setStatusPanel(int panel, const QString &text) override;
    void setProgress(int percent) override;
    BoxButton message(BoxKind kind, const QString &text, const BoxButtons &buttons) override;

private:
    void record(const QString &event);

    QStringList m_events;
    QList<const QThread *> m_threads;
    QList<BoxButton> m_answers;
    int m_unexpected = 0;
};
