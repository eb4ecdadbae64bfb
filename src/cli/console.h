#pragma once

#include <QElapsedTimer>
#include <QString>

// The command line's output. Plain lines go to the standard output (none when quiet), errors to
// the standard error. On a terminal one status line is rewritten in place below the plain
// lines; in a pipe or a log there is none, so that only whole lines are written.
class Console {
public:
    explicit Console(bool quiet);

    bool showsStatus() const { return m_statusShown; }
    void line(const QString &text);
    void error(const QString &text);
    // Rewrites the status line, at most every kStatusIntervalMs unless forced.
    void status(const QString &text, bool force = false);
    // Clears the status line for good.
    void endStatus();

    static constexpr qint64 kStatusIntervalMs = 100;

private:
    void clearStatus();
    void drawStatus();

    bool m_quiet;
    bool m_statusShown; // a terminal, not quiet
    bool m_statusOnScreen = false;
    int m_columns = 80;
    QString m_status;
    QElapsedTimer m_statusTimer;
};
