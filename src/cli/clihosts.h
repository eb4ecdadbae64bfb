#pragma once

#include "compare/refreshhost.h"
#include "sync/copyrunhost.h"

#include <QString>
#include <QStringList>

#include <memory>

class Console;
class CopyProgress;
class FileList;

// The refresh on a terminal: its status texts on the status line, its boxes kept for the
// standard error. Without a person to ask, a source at the root of a drive is accepted, a
// missing destination is not made, and a destination at the file system's root is refused
// unless allowed on the command line.
class CliRefreshHost : public RefreshHost {
public:
    CliRefreshHost(Console &console, bool allowRootDestination)
        : m_console(console), m_allowRootDestination(allowRootDestination)
    {}

    // The texts of the boxes the refresh showed, in order.
    const QStringList &messages() const { return m_messages; }

    void setStatusText(const QString &text) override;
    void processPendingInput() override {}
    void showBusyCursor() override {}
    void restoreCursor() override {}
    BoxButton message(BoxKind kind, const QString &text, const BoxButtons &buttons) override;
    void showSummary() override {}
    void updateCommandStates() override {}
    bool createMissingDestination(const QString &folder) override;
    bool acceptRootDestination(const QString &folder) override;

private:
    Console &m_console;
    bool m_allowRootDestination;
    QStringList m_messages;
};

// The copy run on a terminal: each row's status written into the list as the window does, a
// plain line per file once it is done, each failure on the standard error, and the progress on
// the status line. Every question is answered so that the run goes on: the file concerned
// counts as failed.
class CliCopyHost : public CopyRunHost {
public:
    // verifying: "Copié" is a stage before "Vérification...", not the file's end.
    CliCopyHost(Console &console, FileList &list, std::unique_ptr<CopyProgress> progress,
                bool verifying);
    ~CliCopyHost() override;

    int currentRow() const { return m_current; }
    int failedCount() const { return m_failed; }
    // The text of the last box the run showed.
    const QString &lastMessage() const { return m_lastMessage; }
    // The current row failed for a reason the run told in a box.
    void failCurrentRow(const QString &reason);

    void setBusyCursor(bool) override {}
    void setRowClickHandler(bool) override {}
    void setCurrentRow(int index) override;
    void clearCurrentRow(bool) override {}
    void setRowStatusText(int index, const QString &text) override;
    void setRowError(int index, const QString &text, const QString &detail) override;
    void setStatusPanel(int, const QString &) override {}
    void setProgress(int) override {}
    BoxButton message(BoxKind kind, const QString &text, const BoxButtons &buttons) override;

private:
    QString rowPath(int index) const;
    void showProgress(bool force);

    Console &m_console;
    FileList &m_list;
    std::unique_ptr<CopyProgress> m_progress; // null when there is no status line
    bool m_verifying;
    int m_current = -1;
    int m_failed = 0;
    QString m_lastMessage;
};

// A row as the plain lines show it: its status text, padded to width, then its path with its
// control characters escaped (consoleText).
QString rowLine(const QString &statusText, const QString &path, int width);
