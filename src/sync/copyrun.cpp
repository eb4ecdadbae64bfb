#include "sync/copyrun.h"

#include "compare/filelist.h"
#include "compare/filesize.h"
#include "compare/filetime.h"
#include "compare/folderpath.h"
#include "compare/statuscode.h"
#include "compare/verdicttext.h"
#include "platform/filecalls.h"
#include "platform/openfilelimit.h"
#include "platform/paths.h"
#include "platform/temporaryfile.h"
#include "sync/volume.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("CopyRun", source);
}

} // namespace

CopyRunSnapshot CopyRunSnapshot::take(const FileList &list, bool withRowsToClassify)
{
    CopyRunSnapshot snapshot;
    snapshot.rowCount = list.count();
    // One pass over the rows: each is read once while the window waits.
    for (int i = 0; i < list.count(); ++i) {
        const FileEntry &entry = list.row(i);
        if (entry.classified && isDueForCopy(entry.statusCode))
            snapshot.rows.push_back({i, entry.statusCode, entry.files, entry.rawFiles});
        if (withRowsToClassify && examinedByClassification(entry))
            snapshot.toClassify.push_back({i, entry.files, entry.rawFiles});
    }
    return snapshot;
}

CopyRun::CopyRun(CopyRunSnapshot snapshot, CopyRunSettings settings,
                 std::atomic<bool> &StopRequested, CopyRunHost &host, FreeSpace freeSpace)
    : m_snapshot(std::move(snapshot)), m_settings(std::move(settings)),
      m_StopRequested(StopRequested), m_host(host), m_freeSpace(std::move(freeSpace)),
      m_sourcePaths(m_settings.SrcPath), m_destinationPaths(m_settings.DestPath),
      m_places(m_settings.SrcPath, m_settings.DestPath),
      m_commits(m_settings.flush, m_settings.commitInBackground)
{
    if (!m_freeSpace)
        m_freeSpace = TargetFreeSpace;
    // A quarter of the limit, at most 64, is left to the rest of the program.
    const int limit = platform::openFileLimit();
    const int reserve = std::clamp(limit / 4, 8, 64);
    m_maxOpenCopies = std::size_t(std::max(1, (limit - reserve) / 3));
}

void CopyRun::JvThread1Execute()
{
    std::optional<platform::ScopedFileCalls> calls;
    if (m_settings.fileCalls != nullptr)
        calls.emplace(*m_settings.fileCalls);
    m_host.setBusyCursor(true);
    if (m_snapshot.rowCount == 0) {
        m_end = CopyRunEnd::NoRows;
        m_host.setBusyCursor(false);
        return;
    }
    m_host.setProgress(0);
    m_CopyOrdinal = 1;
    m_progressOrdinal = 1;
    m_host.clearCurrentRow(false);
    m_host.setRowClickHandler(false);
    try {
        if (m_settings.readSidesAtEnd)
            m_copiedSides = std::make_unique<CopiedSides>();
        loop();
    } catch (const std::exception &error) {
        m_end = CopyRunEnd::Error;
        m_errorText = QString::fromLocal8Bit(error.what());
    } catch (...) {
        m_end = CopyRunEnd::Error;
        m_errorText = text("Erreur inconnue");
    }
    // Copies still waiting replace their targets before the run reports its end, whatever
    // ended it. Should that fail too, their temporary files go and the old targets stay.
    try {
        finishCommits();
    } catch (...) {
    }
    m_pending.clear();
    m_commits.wait();
    if (m_copiedSides && !m_StopRequested.load()) {
        try {
            m_rowSides = m_copiedSides->sides(m_settings.SrcPath, m_settings.DestPath,
                                              m_snapshot.toClassify, m_StopRequested);
        } catch (...) {
            m_rowSides.clear(); // the classification reads them itself
        }
    }
    m_copiedSides.reset(); // and the watches with it, which every program shares a budget of
    m_host.clearCurrentRow(true);
    m_host.setRowClickHandler(true);
    m_host.setBusyCursor(false);
}

void CopyRun::loop()
{
    m_end = CopyRunEnd::Completed;
    std::size_t seen = 0;
    for (const CopyRunRow &row : m_snapshot.rows) {
        if (m_StopRequested.load()) {
            m_end = CopyRunEnd::Stopped;
            m_host.setStatusPanel(2, text("Arrêt en cours..."));
            return;
        }
        collectCommittedIfDone();
        // A copy made in a watched folder tells the watch of its temporary file: taken in
        // before the kernel's queue of them fills.
        if (m_copiedSides && (++seen & 1023) == 0)
            m_copiedSides->collect();
        if (m_abandoned || targetLost() || !copyRow(row) || targetLost())
            return;
        commitIfDue();
        if (m_abandoned || targetLost())
            return;
    }
    // A Stop during the last copy ended it too.
    if (m_StopRequested.load())
        m_end = CopyRunEnd::Stopped;
}

QString CopyRun::fromText(const CopyRunRow &row) const
{
    const bool back = row.code == StatusToCopyBack;
    return JoinFolderPath(back ? m_settings.DestPath : m_settings.SrcPath, row.files);
}

QString CopyRun::toText(const CopyRunRow &row) const
{
    const bool back = row.code == StatusToCopyBack;
    return JoinFolderPath(back ? m_settings.SrcPath : m_settings.DestPath, row.files);
}

void CopyRun::fail(const CopyRunRow &row, const platform::IoStatus &status)
{
    // A failure that the target's folder caused names that folder, not the file.
    const QString to = toText(row);
    const platform::IoStatus shown =
        status.concernsFolder() ? status.inFolder(to.left(to.lastIndexOf(u'/'))) : status;
    failWith(row, shown.explanation(), shown.reason());
    // A disk that turned read-only or went away takes no further file: one message, not one
    // error per row left.
    const int error = status.error();
    const bool gone = error == ENODEV || error == ENXIO || error == ENOMEDIUM ||
                      error == ENOTCONN || error == EHOSTDOWN || error == ESHUTDOWN;
    if (m_lostTarget.isEmpty() && (error == EROFS || (gone && status.concernsFolder())))
        m_lostTarget = shown.explanation();
}

void CopyRun::failWith(const CopyRunRow &row, const QString &explanation, const QString &detail)
{
    m_host.setRowError(row.index, text("Erreur : ") + explanation,
                       text("Copie de %1 vers %2 : %3").arg(fromText(row), toText(row), detail));
    m_failures.push_back({row.index, row.files, explanation});
}

void CopyRun::checkStoredTime(const CopyRunRow &row, const platform::CopyResult &result)
{
    if (result.originMtimeMs < 0 || result.storedMtimeMs < 0)
        return;
    // Sizes are equal after a copy: only the times can tell the two sides apart.
    const bool back = row.code == StatusToCopyBack;
    const DateComparison verdict =
        back ? compareFileTimes(result.storedMtimeMs, result.originMtimeMs, 0, 0)
             : compareFileTimes(result.originMtimeMs, result.storedMtimeMs, 0, 0);
    if (verdict != DateComparison::SameTime && verdict != DateComparison::SameTimeWithin2s)
        m_timesNotKept.append(row.files);
}

int CopyRun::progress() const
{
    if (m_settings.FilesToCopyCount <= 0)
        return 100;
    // The division first, then the product, truncated toward zero; a full bar above 100.
    const double value = std::trunc((100.0 / m_settings.FilesToCopyCount) * m_progressOrdinal);
    return value >= 100 ? 100 : value <= 0 ? 0 : int(value);
}

bool CopyRun::makeRoomForACopy()
{
    while (m_pending.size() + m_commits.rowsInFlight() >= m_maxOpenCopies) {
        if (m_commits.inFlight())
            collectCommitted();
        else
            commitPending();
        if (m_abandoned)
            return false;
    }
    return true;
}

bool CopyRun::targetLost()
{
    if (m_lostTarget.isEmpty() || m_end == CopyRunEnd::TargetLost)
        return !m_lostTarget.isEmpty();
    m_end = CopyRunEnd::TargetLost;
    m_host.message(BoxKind::Error,
                   text("%1 : la copie s'arrête.\nLes fichiers qui restaient à copier n'ont pas "
                        "été touchés.")
                       .arg(m_lostTarget),
                   {BoxButton::Ok});
    return true;
}

bool CopyRun::copyRow(const CopyRunRow &row)
{
    if (!makeRoomForACopy())
        return false;
    m_host.setCurrentRow(row.index);
    const RowPlaces places =
        m_places.find(relativePathBytes(row.files, row.rawFiles), row.code == StatusToCopyBack);
    if (!worthCopying(row, places))
        return true;
    // Opened once: its size for the free space, its bytes for the copy.
    platform::OpenedOrigin origin = platform::openOrigin(places.origin, places.originFollowsLink);
    if (!readyForACopyOf(row, places, double(origin.size())))
        return false;
    m_host.setRowStatusText(row.index, text("Copie..."));
    m_host.setStatusPanel(2, text("Copie de ") + fromText(row));
    m_host.setProgress(progress());
    platform::StagedCopy staged;
    if (stageRow(row, places, origin, staged))
        keepPending(row, places, std::move(staged));
    return true;
}

bool CopyRun::worthCopying(const CopyRunRow &row, const RowPlaces &places)
{
    if (!places.ok()) {
        failWith(row, places.failure, places.failureDetail);
        return false;
    }
    // The old target is never changed: the rename replaces a read-only file as any other, and
    // the new file has the origin's permission bits.
    const TargetState &target = places.targetState;
    if (target.regular && target.readOnly && !m_settings.FileSyncReadOnly) {
        m_host.setRowStatusText(row.index, verdictText(Verdict::ReadOnly));
        return false;
    }
    return true;
}

bool CopyRun::readyForACopyOf(const CopyRunRow &row, const RowPlaces &places, double size)
{
    const QByteArray &to = row.code == StatusToCopyBack
                               ? m_sourcePaths.path(row.files, row.rawFiles)
                               : m_destinationPaths.path(row.files, row.rawFiles);
    if (!spaceFor(size, platform::folderOfPath(to), places.target.folder->fd()))
        return false;
    // Copies waiting to replace their targets do not wait for a long copy to end.
    if (size >= double(m_settings.commitBytes)) {
        commitPending();
        if (m_abandoned)
            return false;
    }
    return true;
}

bool CopyRun::stageRow(const CopyRunRow &row, const RowPlaces &places,
                       platform::OpenedOrigin &origin, platform::StagedCopy &staged)
{
    // A folder in the target's place is never replaced: no copy is even begun.
    const platform::CopyResult result =
        places.targetState.folder ? platform::CopyResult{platform::CopyOutcome::Failed,
                                                         platform::IoStatus::fromErrno(EISDIR)}
                                  : stage(origin, places, staged);
    if (result.outcome == platform::CopyOutcome::Stopped) {
        m_host.setRowStatusText(row.index, text("Copie arrêtée"));
        return false;
    }
    if (!staged.isValid()) {
        fail(row, result.status);
        return false;
    }
    return true;
}

void CopyRun::keepPending(const CopyRunRow &row, const RowPlaces &places,
                          platform::StagedCopy staged)
{
    // Not yet counted: its commit may still fail. Made, it is shown so when a verification
    // follows, the stage the user reads before "Vérification...".
    ++m_progressOrdinal;
    if (m_settings.FileCompareCopy)
        m_host.setRowStatusText(row.index, text("Copié"));
    m_pendingBytes += staged.size();
    if (m_pending.empty())
        m_pendingSince.start();
    m_pending.push_back({&row, std::move(staged), places.sourceFolder, places.destinationFolder});
}

platform::CopyResult CopyRun::stage(platform::OpenedOrigin &origin, const RowPlaces &places,
                                    platform::StagedCopy &staged)
{
    platform::CopyOptions options;
    options.verify = m_settings.FileCompareCopy;
    options.flush = m_settings.flush;
    options.stop = &m_StopRequested;
    const bool replaces = places.targetState.exists;
    try {
        // A second attempt follows at once a failure that may pass; a changed origin or a copy
        // found different is no such failure. Too many files open: the copies waiting are
        // placed first, which closes theirs.
        platform::CopyResult result =
            platform::stageCopy(origin, places.target, replaces, options, staged);
        const int error = result.status.error();
        if (result.outcome == platform::CopyOutcome::Failed && (error == EMFILE || error == ENFILE))
            finishCommits();
        if (result.outcome == platform::CopyOutcome::Failed && !m_abandoned) {
            platform::OpenedOrigin again =
                platform::openOrigin(places.origin, places.originFollowsLink);
            result = platform::stageCopy(again, places.target, replaces, options, staged);
        }
        return result;
    } catch (const std::exception &) {
        staged.discard();
        return {platform::CopyOutcome::Failed, platform::IoStatus::fromErrno(0)};
    }
}

// The free space of the target's file system against the size of the file; when it does not
// fit, the user is told and the run ends (false).
bool CopyRun::spaceFor(double size, const QByteArray &folder, int folderFd)
{
    double free = m_freeSpace(folder, folderFd);
    if (!(free >= size) && (!m_pending.empty() || m_commits.inFlight())) {
        // Copies waiting to replace their targets hold the old targets' space: free it first.
        finishCommits();
        if (m_abandoned)
            return false;
        free = m_freeSpace(folder, folderFd);
    }
    m_host.setStatusPanel(1, SizeText(size, false) + u" / " + SizeText(free, false));
    if (free >= size)
        return true;
    m_host.message(BoxKind::Plain,
                   text("Espace disque Destination insuffisant !\nEspace disque Destination "
                        "libre = ") +
                       SizeText(free, false) + u'\n' + text("Taille du fichier à copier : ") +
                       SizeText(size, false),
                   {BoxButton::Ok});
    m_end = CopyRunEnd::InsufficientSpace;
    return false;
}

// Once the user abandoned the run, further copies found different show their error only.
void CopyRun::copyFoundDifferent(const CopyRunRow &row)
{
    failWith(row, text("la copie diffère de l'original"),
             text("La vérification a trouvé la copie différente de l'original ; l'ancien "
                  "fichier est resté en place."));
    if (m_abandoned)
        return;
    const BoxButton answer = m_host.message(
        BoxKind::Warning,
        text("Le fichier \"%1\" n'a pas été copié correctement.\nPour continuer la copie des "
             "autres fichiers (s'il en reste à copier), cliquez sur OK.\nPour arrêter la copie "
             "en cours, appuyez sur Abandon.")
            .arg(platform::fileNamePart(fromText(row))),
        {BoxButton::Ok, BoxButton::Abandon});
    if (answer != BoxButton::Abandon)
        return;
    m_abandoned = true;
    // A run that had already ended for another reason keeps that reason.
    if (m_end == CopyRunEnd::Completed)
        m_end = CopyRunEnd::Abandoned;
}

void CopyRun::commitIfDue()
{
    if (m_pending.empty())
        return;
    if (int(m_pending.size()) < m_settings.commitFiles && m_pendingBytes < m_settings.commitBytes &&
        m_pendingSince.elapsed() < m_settings.commitMilliseconds)
        return;
    // While the group before is still being flushed, the worker copies on instead of waiting
    // for it, up to a few groups' worth: the next flush takes them all at once.
    constexpr int kGroupsWhileFlushing = 4;
    if (m_commits.inFlight() && !m_commits.done() &&
        qint64(m_pending.size()) < qint64(kGroupsWhileFlushing) * m_settings.commitFiles &&
        m_pendingBytes < kGroupsWhileFlushing * m_settings.commitBytes)
        return;
    commitPending();
}

void CopyRun::commitPending()
{
    if (m_pending.empty())
        return;
    // One group at a time: the previous one is done before the next goes.
    collectCommitted();
    if (m_abandoned) {
        discardPending();
        return;
    }
    // What a commit finds of a copy's two files is kept, and holds while nothing is told of
    // them: their folders are watched from before it. (Not from before the copy: every file
    // operation in a watched folder costs the kernel more.)
    if (m_copiedSides) {
        for (const Pending &pending : m_pending) {
            const CopyRunRow &row = *pending.row;
            m_copiedSides->watchFoldersOf(
                m_sourcePaths.path(row.files, row.rawFiles), pending.sourceFolder->fd(),
                m_destinationPaths.path(row.files, row.rawFiles), pending.destinationFolder->fd());
        }
    }
    // Shared with the committing thread, so that the copies stay here should no thread start.
    CommitGroup group{{}, std::make_shared<std::vector<platform::StagedCopy>>()};
    group.copies->reserve(m_pending.size());
    group.rows.reserve(m_pending.size());
    for (Pending &pending : m_pending) {
        group.copies->push_back(std::move(pending.copy));
        group.rows.push_back(pending.row);
    }
    m_pending.clear();
    m_pendingBytes = 0;
    if (m_settings.FileCompareCopy) {
        for (const CopyRunRow *row : group.rows) {
            m_host.setRowStatusText(row->index, text("Vérification..."));
            m_host.setStatusPanel(2, text("Vérification de ") + fromText(*row));
        }
    }
    if (std::optional<CommittedGroup> committed = m_commits.hand(std::move(group)))
        settle(committed->group, std::move(committed->results));
}

void CopyRun::collectCommitted()
{
    if (std::optional<CommittedGroup> committed = m_commits.collect())
        settle(committed->group, std::move(committed->results));
}

void CopyRun::collectCommittedIfDone()
{
    if (m_commits.done())
        collectCommitted();
}

void CopyRun::finishCommits()
{
    commitPending();
    collectCommitted();
}

void CopyRun::settle(CommitGroup &group, std::vector<platform::CopyResult> results)
{
    std::size_t shown = 0;
    for (;;) {
        for (const platform::CopyResult &result : results) {
            if (shown < group.rows.size())
                showCommitted(*group.rows[shown++], result);
        }
        if (group.copies->empty())
            return;
        if (m_abandoned)
            break;
        // The user chose to go on after a copy found different: the rest of the group follows.
        results = platform::commitCopies(*group.copies, m_settings.flush);
    }
    group.copies->clear();
    for (; shown < group.rows.size(); ++shown)
        m_host.setRowStatusText(group.rows[shown]->index, text("Copie abandonnée"));
}

void CopyRun::discardPending()
{
    for (const Pending &pending : m_pending)
        m_host.setRowStatusText(pending.row->index, text("Copie abandonnée"));
    m_pending.clear(); // their temporary files go with them
    m_pendingBytes = 0;
}

void CopyRun::showCommitted(const CopyRunRow &row, const platform::CopyResult &result)
{
    switch (result.outcome) {
    case platform::CopyOutcome::Copied:
    case platform::CopyOutcome::CopiedUnverified: {
        ++m_CopyOrdinal;
        m_copiedRows.push_back(row.index);
        checkStoredTime(row, result);
        if (m_copiedSides)
            m_copiedSides->copied(row.index, row.code == StatusToCopyBack, result);
        QString shown = text("Copié");
        if (m_settings.FileCompareCopy)
            shown = result.outcome == platform::CopyOutcome::Copied ? text("Copié et vérifié")
                                                                    : text("Copié et non vérifié");
        m_host.setRowStatusText(row.index, shown);
        break;
    }
    case platform::CopyOutcome::Mismatch:
        --m_progressOrdinal;
        copyFoundDifferent(row);
        break;
    case platform::CopyOutcome::Stopped:
        --m_progressOrdinal;
        m_host.setRowStatusText(row.index, text("Copie arrêtée"));
        break;
    case platform::CopyOutcome::NameTaken: {
        --m_progressOrdinal;
        const QString name = platform::fileNamePart(row.files);
        const QString holder = QFile::decodeName(result.takenBy);
        if (!holder.isEmpty() && holder != name) {
            const auto [explanation, detail] = nameTakenTexts(holder, name);
            failWith(row, explanation, detail);
        } else {
            failWith(row, text("un fichier de ce nom est apparu pendant la copie"),
                     text("Le fichier apparu à sa place n'est pas remplacé."));
        }
        break;
    }
    case platform::CopyOutcome::Failed:
    case platform::CopyOutcome::SourceChanged:
        --m_progressOrdinal;
        fail(row, result.status);
        break;
    }
}
