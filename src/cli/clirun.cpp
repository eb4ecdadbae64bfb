#include "cli/clirun.h"

#include "cli/clihosts.h"
#include "cli/clioptions.h"
#include "cli/console.h"
#include "cli/consoletext.h"
#include "cli/copyprogress.h"
#include "compare/abort.h"
#include "compare/comparison.h"
#include "compare/csvexport.h"
#include "compare/rowedits.h"
#include "compare/statuscode.h"
#include "platform/appinfo.h"
#include "platform/runlock.h"
#include "platform/terminal.h"
#include "project/project.h"
#include "project/projectlifecycle.h"
#include "project/userprefs.h"
#include "sync/copyrun.h"
#include "sync/copyrunreport.h"
#include "sync/runlocktext.h"

#include <QLocale>

#include <algorithm>
#include <optional>

namespace {

struct CopyOutcome {
    int copied = 0;
    int failed = 0;
};

QString plural(int count, const QString &one, const QString &many)
{
    return count == 1 ? one : QString::number(count) + u' ' + many;
}

// Names on the standard error every source folder the listing could not read; their count.
int reportUnreadFolders(const FileList &list, Console &console)
{
    int count = 0;
    for (int i = 0; i < list.count(); ++i) {
        const auto &row = list.row(i);
        if (row.statusCode != StatusError)
            continue;
        console.error(consoleText(row.files) + u" : " + row.field(fldStatusText).toString());
        ++count;
    }
    return count;
}

void listRows(const FileList &list, Console &console)
{
    int width = 0;
    for (int i = 0; i < list.count(); ++i)
        width = std::max(width, int(list.row(i).field(fldStatusText).toString().size()));
    for (int i = 0; i < list.count(); ++i) {
        const auto &row = list.row(i);
        console.line(rowLine(row.field(fldStatusText).toString(), row.files, width));
    }
}

CopyOutcome copyDueRows(Comparison &comparison, const UserPrefs &prefs, Console &console)
{
    const FoldersOfList folders = comparison.listedFolders();
    CopyRunSettings settings;
    settings.SrcPath = folders.source;
    settings.DestPath = folders.destination;
    settings.FileSyncReadOnly = prefs.FileSyncReadOnly;
    settings.FileCompareCopy = prefs.FileCompareCopy;
    settings.FilesToCopyCount = comparison.filesToCopyCount();
    CopyRunSnapshot snapshot = CopyRunSnapshot::take(comparison.fileList());
    const std::vector<CopyRunRow> allRows = snapshot.rows;
    // As FilesToCopyCount counts: a row held back by a read-only target is passed over.
    const auto due = std::count_if(allRows.cbegin(), allRows.cend(), [&](const CopyRunRow &row) {
        return countsForCopy(comparison.fileList().row(row.index));
    });
    std::unique_ptr<CopyProgress> progress;
    if (console.showsStatus())
        progress = std::make_unique<CopyProgress>(allRows, folders.source, folders.destination);
    CliCopyHost host(console, comparison.fileList(), std::move(progress), prefs.FileCompareCopy);

    CopyOutcome outcome;
    QStringList timesNotKept;
    for (;;) {
        CopyRun run(std::move(snapshot), settings, comparison.StopRequested, host);
        run.JvThread1Execute();
        outcome.copied += run.CopyOrdinal() - 1;
        for (const QString &name : run.timesNotKept())
            timesNotKept.append(consoleText(name));
        if (run.end() == CopyRunEnd::Error) {
            console.error(run.errorText());
            ++outcome.failed;
        }
        if (run.end() != CopyRunEnd::InsufficientSpace)
            break;
        // The file that does not fit fails; the run goes on with the next ones.
        host.failCurrentRow(host.lastMessage());
        snapshot = {};
        snapshot.rowCount = comparison.fileList().count();
        for (const CopyRunRow &row : allRows) {
            if (row.index > host.currentRow())
                snapshot.rows.push_back(row);
        }
        if (snapshot.rows.empty())
            break;
    }
    console.endStatus();
    outcome.failed += host.failedCount();
    const QString timesReport = copyRunReport({}, timesNotKept);
    if (!timesReport.isEmpty())
        console.line(timesReport);
    QString summary = outcome.copied == 0
                          ? QStringLiteral("Aucun fichier copié")
                          : plural(outcome.copied, QStringLiteral("1 fichier copié"),
                                   QStringLiteral("fichiers copiés"));
    summary += QStringLiteral(" / %1 à copier").arg(due);
    if (outcome.failed > 0)
        summary += u" ; " + plural(outcome.failed, QStringLiteral("1 copie en erreur"),
                                   QStringLiteral("copies en erreur"));
    console.line(summary);
    return outcome;
}

} // namespace

int runCli(const CliOptions &options, Console &console)
{
    TProject project;
    const ProjectFileRead read = openProject(project, options.projectPath);
    if (!read.ok()) {
        console.error(projectReadRefusal(options.projectPath, read));
        return ExitUsage;
    }
    if (const QString warning = projectIncompleteWarning(options.projectPath, read);
        !warning.isEmpty())
        console.error(warning);

    UserPrefs prefs;
    const QString settingsFile = platform::settingsFilePath();
    if (const QString unreadable = readUserPrefs(settingsFile, prefs); !unreadable.isEmpty())
        console.error(QStringLiteral("Le fichier de paramètres \"%1\" ne peut pas être lu (%2) : "
                                     "les préférences par défaut sont utilisées.")
                          .arg(settingsFile, unreadable));
    if (options.verify)
        prefs.FileCompareCopy = true;

    CliRefreshHost refreshHost(console, options.allowRootDestination);
    Comparison comparison(project, prefs, refreshHost);
    platform::installInterruptHandler(comparison.StopRequested);
    try {
        comparison.RefreshFileList();
    } catch (const Abort &) {
        console.endStatus();
        if (platform::interruptRequested())
            return ExitInterrupted;
        // A check that shows no box names its refusal in the list's error row.
        QStringList reasons = refreshHost.messages();
        for (int i = 0; reasons.isEmpty() && i < comparison.fileList().count(); ++i)
            reasons.append(comparison.fileList().row(i).files);
        for (const QString &reason : reasons)
            console.error(reason);
        return ExitFolderCheck;
    }
    console.endStatus();
    if (platform::interruptRequested())
        return ExitInterrupted;

    const FileList &list = comparison.fileList();
    int failed = 0;
    // Held until the run returns, the CSV written; a dry run writes nothing and takes none.
    std::optional<platform::RunLock> lock;
    if (options.dryRun) {
        listRows(list, console);
        console.line(comparison.summaryText());
        failed = reportUnreadFolders(list, console);
    } else {
        const QString destination = comparison.listedFolders().destination;
        lock = platform::RunLock::acquire(destination);
        if (lock->state() == platform::RunLock::State::HeldElsewhere) {
            console.error(runLockRefusal(destination));
            return ExitLocked;
        }
        if (lock->state() == platform::RunLock::State::Unavailable)
            console.error(runLockWarning(destination, lock->status()));
        failed = reportUnreadFolders(list, console);
        if (comparison.filesToCopyCount() > 0)
            failed += copyDueRows(comparison, prefs, console).failed;
        else
            console.line(comparison.summaryText());
    }
    if (!options.csvPath.isEmpty()) {
        const platform::IoStatus written =
            exportFileListCsv(options.csvPath, list, csvSeparator(QLocale()));
        if (!written.ok()) {
            console.error(QStringLiteral("La liste n'a pas pu être écrite dans le fichier \"%1\" : "
                                         "%2")
                              .arg(options.csvPath, written.reason()));
            return ExitUsage;
        }
    }
    if (platform::interruptRequested())
        return ExitInterrupted;
    return failed > 0 ? ExitSomeFailed : ExitCopied;
}
