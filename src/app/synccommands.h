#pragma once

#include "compare/comparison.h"
#include "compare/refreshhost.h"
#include "platform/runlock.h"
#include "sync/copyrunhost.h"
#include "sync/copyrunthread.h"
#include "sync/queuedcopyrunhost.h"

#include <QObject>

#include <memory>
#include <optional>

class CommandRegistry;
class CommandShell;
class Dialogs;
class FileListView;
class StatusPanels;
struct TProject;
struct UserPrefs;
template <typename Answer> class PathProbe;

// The synchronisation: the comparison of the two folders with its refresh, and the copy run
// with Start, Stop and the end of the run. It owns the rows and the worker thread, and is
// what the refresh and the copy run ask of the window.
class SyncCommands : public QObject, private RefreshHost, private CopyRunHost {
    Q_OBJECT
public:
    SyncCommands(CommandShell &shell, CommandRegistry &commands, Dialogs &dialogs,
                 const TProject &project, const UserPrefs &prefs, StatusPanels &panels);
    // A run still working is stopped and waited for, without a question to the user.
    ~SyncCommands() override;

    // The list view shows the rows; it exists once the rows do.
    void setView(FileListView *view) { m_view = view; }
    // The file operations of the copy run's worker: a test's double, or the system's (null).
    void setCopyFileCalls(platform::FileCalls *calls) { m_copyFileCalls = calls; }

    Comparison &comparison() { return m_comparison; }
    CopyRunThread &copyRunThread() { return m_thread; }

    void ClassifyFileList();
    // The summary in the status bar, with the destination's free space: what the comparison
    // asks for at the end of each of its operations, and the window after any other change.
    void showSummary() override;
    // The fields may name other folders than the list's: once they do, the list is shown as
    // not refreshed and the commands on its files are disabled.
    void foldersChanged();

    void ActProjectFileToCopyRefreshExecute();
    void ActAppCopyFilesExecute();
    void ActAppStopExecute();
    void JvThread1FinishAll();

    // The list's click handler is detached while a run works.
    bool rowClickAttached() const { return m_rowClickAttached; }

    // Asked when the window is to close: true when it may close now. While the list is busy
    // the user is asked; "&Oui" stops the work, and the window closes once the list is idle.
    bool stopBusyWorkBeforeClosing();
    // True once, when a close was put off and the list is idle now.
    bool takeCloseWhenIdle();

private:
    // What the comparison asks of the window.
    void setStatusText(const QString &text) override;
    void processPendingInput() override;
    void showBusyCursor() override;
    void restoreCursor() override;
    BoxButton message(BoxKind kind, const QString &text, const BoxButtons &buttons) override;
    void updateCommandStates() override;

    // What the copy run asks of the window, carried over to the UI thread in order.
    void setBusyCursor(bool busy) override;
    void setRowClickHandler(bool attached) override;
    void setCurrentRow(int index) override;
    void clearCurrentRow(bool scrollToFirst) override;
    void setRowStatusText(int index, const QString &text) override;
    void setRowError(int index, const QString &text, const QString &detail) override;
    void setStatusPanel(int panel, const QString &text) override;
    void setProgress(int percent) override;
    void beginEffects() override;
    void endEffects() override;

    int rowCount() const { return m_comparison.fileList().count(); }

    CommandShell &m_shell;
    CommandRegistry &m_commands;
    Dialogs &m_dialogs;
    const TProject &m_project;
    const UserPrefs &m_prefs;
    StatusPanels &m_panels;
    FileListView *m_view = nullptr;
    platform::FileCalls *m_copyFileCalls = nullptr;
    bool m_rowClickAttached = true;
    bool m_closeWhenIdle = false;
    // The destination's free space, asked where a file system that does not answer cannot hold
    // the window.
    std::unique_ptr<PathProbe<double>> m_freeSpace;
    // The destination's lock, held from Start until the run's end has been handled.
    std::optional<platform::RunLock> m_runLock;
    // In this order: the thread goes first, then the host it calls, then the rows and the
    // stop flag it points into.
    Comparison m_comparison;
    QueuedCopyRunHost m_copyRunHost;
    CopyRunThread m_thread;
};
