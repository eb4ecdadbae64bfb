#include "app/synccommands.h"

#include "app/busycursor.h"
#include "app/commandregistry.h"
#include "app/commandshell.h"
#include "app/dialogs.h"
#include "app/guard.h"
#include "app/statuspanels.h"
#include "compare/abort.h"
#include "compare/filesize.h"
#include "compare/rowsides.h"
#include "filelist/filelistview.h"
#include "project/project.h"
#include "project/userprefs.h"
#include "sync/copyrunreport.h"
#include "sync/pathprobe.h"
#include "sync/runlocktext.h"
#include "sync/volume.h"

#include <QAction>
#include <QCoreApplication>
#include <QScopeGuard>

SyncCommands::SyncCommands(CommandShell &shell, CommandRegistry &commands, Dialogs &dialogs,
                           const TProject &project, const UserPrefs &prefs, StatusPanels &panels)
    : m_shell(shell), m_commands(commands), m_dialogs(dialogs), m_project(project), m_prefs(prefs),
      m_panels(panels), m_comparison(project, prefs, *this), m_copyRunHost(*this, this)
{
    connect(&m_thread, &CopyRunThread::finishAll, this,
            [this] { guarded([this] { JvThread1FinishAll(); }); });
}

SyncCommands::~SyncCommands() = default;

void SyncCommands::ClassifyFileList()
{
    m_comparison.ClassifyFileList();
}

void SyncCommands::showSummary()
{
    // A destination that does not answer at once shows the free space last known of it, and
    // its answer when it comes, unless the list is busy by then.
    constexpr std::chrono::milliseconds kWait{40};
    if (!m_freeSpace) {
        m_freeSpace = std::make_unique<PathProbe<double>>(
            this, DestinationFreeSpace, [this](const QString &folder, double bytes) {
                if (folder == m_comparison.listedFolders().destination && !m_comparison.busy())
                    m_panels.setPanel1(SizeText(bytes, true));
            });
    }
    const QString folder = m_comparison.listedFolders().destination;
    const double bytes =
        m_freeSpace->ask(folder, kWait).value_or(m_freeSpace->lastAnswerFor(folder).value_or(-1));
    m_panels.setPanel1(SizeText(bytes, true));
    m_comparison.ShowStatusMessage(m_comparison.summaryText());
}

void SyncCommands::foldersChanged()
{
    const bool before = m_comparison.listCurrent();
    m_comparison.foldersChanged();
    if (m_comparison.listCurrent() == before)
        return;
    m_shell.UpdateCommandStates();
    showSummary();
}

void SyncCommands::ActProjectFileToCopyRefreshExecute()
{
    m_comparison.RefreshFileList(); // which ends with the summary
}

void SyncCommands::ActAppCopyFilesExecute()
{
    // Nothing starts on a list that is no longer the fields' folders' (the command is disabled).
    if (!m_comparison.listCurrent() || m_comparison.busy() || m_thread.isRunning())
        return;
    const FoldersOfList folders = m_comparison.listedFolders();
    CopyRunSettings settings;
    settings.SrcPath = folders.source;
    settings.DestPath = folders.destination;
    settings.FileSyncReadOnly = m_prefs.FileSyncReadOnly;
    settings.FileCompareCopy = m_prefs.FileCompareCopy;
    settings.FilesToCopyCount = m_comparison.filesToCopyCount();
    // The classification at the end of the run takes both files of each row from the worker.
    settings.readSidesAtEnd = true;
    settings.fileCalls = m_copyFileCalls;
    if (settings.FilesToCopyCount == 0)
        return;
    if (const QString gone = m_comparison.folderNoLongerListed(); !gone.isEmpty()) {
        m_dialogs.message(m_shell.window(), BoxKind::Warning,
                          QStringLiteral("Le répertoire \"%1\" n'est plus celui de la liste des "
                                         "fichiers : mettez la liste à jour avant de copier.")
                              .arg(gone),
                          {BoxButton::Ok});
        throw Abort();
    }
    platform::RunLock lock = platform::RunLock::acquire(folders.destination);
    if (lock.state() == platform::RunLock::State::HeldElsewhere) {
        m_dialogs.message(m_shell.window(), BoxKind::Warning, runLockRefusal(folders.destination),
                          {BoxButton::Ok});
        throw Abort();
    }
    if (lock.state() == platform::RunLock::State::Unavailable)
        m_dialogs.message(m_shell.window(), BoxKind::Warning,
                          runLockWarning(folders.destination, lock.status()), {BoxButton::Ok});
    if (!m_thread.start(m_comparison.fileList(), settings, m_comparison.StopRequested,
                        m_copyRunHost))
        return;
    m_runLock.emplace(std::move(lock));
    if (rowCount() > 0)
        m_comparison.beginCopyRun();
    m_shell.UpdateCommandStates();
    showSummary();
    m_panels.setProgress(0);
}

void SyncCommands::ActAppStopExecute()
{
    // A classification pass on its own does not look at the flag: nothing to stop.
    if (!m_comparison.stoppable())
        return;
    m_comparison.StopRequested = true;
    m_commands.action(Command::ActAppStop)->setEnabled(false);
    if (m_comparison.busyReason() == Comparison::BusyReason::CopyRun)
        setStatusText(QStringLiteral("Arrêt en cours..."));
}

void SyncCommands::JvThread1FinishAll()
{
    const CopyRun *run = m_thread.lastRun();
    if (run != nullptr && run->end() == CopyRunEnd::Error)
        m_dialogs.message(m_shell.window(), BoxKind::Error, run->errorText(), {BoxButton::Ok});
    const QString report =
        run != nullptr ? copyRunReport(run->failures(), run->timesNotKept()) : QString();
    {
        const auto idle = qScopeGuard([this] {
            m_runLock.reset();
            m_panels.setProgress(0);
            setStatusText(QString());
            m_comparison.endCopyRun();
            m_shell.UpdateCommandStates();
            showSummary();
        });
        const bool cutShort = run != nullptr && (run->end() == CopyRunEnd::Stopped ||
                                                 run->end() == CopyRunEnd::Abandoned ||
                                                 run->end() == CopyRunEnd::TargetLost);
        // Cut short, the rows keep what the run wrote; those copied are never copied again.
        if (cutShort)
            m_comparison.endStoppedCopyRun(run->copiedRows());
        else if (run != nullptr)
            m_comparison.ClassifyAfterCopyRun(run->rowSides());
        else
            ClassifyFileList();
    }
    // Told once the list shows the run's outcome, so that the failed rows are there to see.
    if (!report.isEmpty())
        m_dialogs.message(m_shell.window(), BoxKind::Warning, report, {BoxButton::Ok});
}

bool SyncCommands::stopBusyWorkBeforeClosing()
{
    if (!m_comparison.busy())
        return true;
    const bool copying = m_comparison.busyReason() == Comparison::BusyReason::CopyRun;
    const BoxButton answer = m_dialogs.message(
        m_shell.window(), BoxKind::Confirmation,
        copying ? QStringLiteral("La synchronisation des fichiers est en cours.\n"
                                 "Souhaitez-vous l'arrêter et fermer Tandrimo ?")
                : QStringLiteral("La liste des fichiers est en cours de mise à jour.\n"
                                 "Souhaitez-vous l'arrêter et fermer Tandrimo ?"),
        {BoxButton::Yes, BoxButton::No});
    if (answer != BoxButton::Yes)
        return false;
    // The work ends at its next file or entry (a copy run once its end has been handled);
    // the close is asked again then, without waiting here.
    m_comparison.StopRequested = true;
    m_closeWhenIdle = true;
    return false;
}

bool SyncCommands::takeCloseWhenIdle()
{
    if (!m_closeWhenIdle || m_comparison.busy())
        return false;
    m_closeWhenIdle = false;
    return true;
}

// ---- What the comparison asks of the window.

void SyncCommands::setStatusText(const QString &text)
{
    m_panels.setStatusText(text);
}

void SyncCommands::processPendingInput()
{
    QCoreApplication::processEvents();
}

void SyncCommands::showBusyCursor()
{
    ::showBusyCursor();
}

void SyncCommands::restoreCursor()
{
    ::restoreCursor();
}

BoxButton SyncCommands::message(BoxKind kind, const QString &text, const BoxButtons &buttons)
{
    return m_dialogs.message(m_shell.window(), kind, text, buttons);
}

void SyncCommands::updateCommandStates()
{
    m_shell.UpdateCommandStates();
}

// ---- What the copy run asks of the window.

void SyncCommands::setBusyCursor(bool busy)
{
    if (busy)
        showBusyCursor();
    else
        restoreCursor();
}

void SyncCommands::setRowClickHandler(bool attached)
{
    m_rowClickAttached = attached;
}

void SyncCommands::setCurrentRow(int index)
{
    if (m_view != nullptr && index >= 0 && index < rowCount())
        m_view->setCurrentRow(index);
}

void SyncCommands::clearCurrentRow(bool scrollToFirst)
{
    if (m_view == nullptr)
        return;
    if (scrollToFirst)
        m_view->scrollToTop();
    m_view->clearCurrentRow();
}

void SyncCommands::setRowStatusText(int index, const QString &text)
{
    if (index >= 0 && index < rowCount())
        m_comparison.fileList().setStatusText(index, text);
}

void SyncCommands::setRowError(int index, const QString &text, const QString &detail)
{
    if (index >= 0 && index < rowCount())
        m_comparison.fileList().setError(index, text, detail);
}

void SyncCommands::setStatusPanel(int panel, const QString &text)
{
    if (panel == 1)
        m_panels.setPanel1(text);
    else
        setStatusText(text);
}

void SyncCommands::setProgress(int percent)
{
    m_panels.setProgress(percent);
}

void SyncCommands::beginEffects()
{
    m_comparison.fileList().holdRowChanges();
}

void SyncCommands::endEffects()
{
    m_comparison.fileList().releaseRowChanges();
}
