#pragma once

#include "compare/folderpath.h"
#include "compare/rowsides.h"
#include "platform/failsafecopy.h"
#include "platform/filecalls.h"
#include "sync/commitqueue.h"
#include "sync/copiedsides.h"
#include "sync/copyrunhost.h"
#include "sync/rowplaces.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class FileList;

// What the worker needs of one row, copied on the UI thread when the run begins: the worker
// never reads the live FileList, which the UI thread owns.
struct CopyRunRow {
    int index = 0;
    std::int32_t code = 0;
    QString files;       // relative path
    QByteArray rawFiles; // its exact bytes when the name is not valid UTF-8
};

struct CopyRunSnapshot {
    int rowCount = 0; // rows of the list when the run began
    // The rows due for copying that a classification examined, in list order. Rows never
    // classified are never copied.
    std::vector<CopyRunRow> rows;
    // The rows a classification would examine, whose files the run reads once it has ended
    // (withRowsToClassify); empty otherwise.
    std::vector<RowToRead> toClassify;

    // UI thread.
    static CopyRunSnapshot take(const FileList &list, bool withRowsToClassify = false);
};

struct CopyRunSettings {
    QString SrcPath;
    QString DestPath;
    bool FileSyncReadOnly = true;
    bool FileCompareCopy = false;
    int FilesToCopyCount = 0;

    // Finished copies wait in their temporary files until this many are ready, or this many
    // bytes, or this long after the first; then one flush makes them all durable and each
    // replaces its target. A flush per file would cost more than the copy of a small file.
    int commitFiles = 256;
    qint64 commitBytes = qint64(64) << 20;
    int commitMilliseconds = 500;
    // Flush before replacing (crash safety); off only to measure what the flush costs.
    bool flush = true;
    // Each group of waiting copies is flushed and renamed on a thread of its own while the
    // worker copies the next files; off, the worker does it and waits.
    bool commitInBackground = true;
    // Once every copy is in place, and unless stopped, the worker reads both files of every row
    // a classification would examine (rowSides()), so that the classification at the end of the
    // run reads no file on the window's thread.
    bool readSidesAtEnd = false;
    // The file operations of the worker's thread: a test's double, or the system's when null.
    platform::FileCalls *fileCalls = nullptr;
};

// A row whose copy failed, for the report at the end of the run.
struct CopyFailure {
    int index = 0;
    QString files;       // the row's relative path
    QString explanation; // why, in French
};

// Why the loop ended.
enum class CopyRunEnd {
    NotRun,            // the worker has not run yet
    NoRows,            // the list was empty
    Completed,         // every row was seen
    Stopped,           // StopRequested was set
    InsufficientSpace, // a file did not fit on the destination
    Abandoned,         // "&Abandon" after a failed verification: no copy was placed after it
    TargetLost,        // the target's disk turned read-only or went away: the user was told
    Error,             // an error escaped the loop: errorText()
};

// The copy run: for every row due for copying, in list order, copies the file in the direction
// its code gives (StatusToCopy: source over destination; StatusToCopyBack: destination over
// source), after a check of the destination's free space, optionally verified, and reports each
// stage in the row's status text. Each copy is fail-safe: the target is replaced only by a
// complete copy, and a failure leaves the old target exactly as it was, its permission bits
// included. A copy counts, and its row says so, only once it is in its target's place. Files
// are reached below the two folders without following a link (RowPlacesFinder). Stop ends the
// copy under way within a moment, its temporary file discarded; the copies already made still
// take their targets' places. "&Abandon" ends the run at once: no copy made but not yet placed
// takes its target's place.
class CopyRun {
public:
    // The free bytes of the file system that holds the target's folder (its path, and the folder
    // held open; a disk mounted inside the destination is another disk), or -1 when unknown.
    // Called on the worker, once per file; by default TargetFreeSpace.
    using FreeSpace = std::function<double(const QByteArray &folder, int folderFd)>;

    CopyRun(CopyRunSnapshot snapshot, CopyRunSettings settings, std::atomic<bool> &StopRequested,
            CopyRunHost &host, FreeSpace freeSpace = {});

    // The worker's body: the whole loop. Never throws; an escaping error ends the loop and is
    // kept in errorText().
    void JvThread1Execute();

    // The run could not begin (no thread for it): it ends as an error, with why.
    void endWithoutRunning(const QString &why)
    {
        m_end = CopyRunEnd::Error;
        m_errorText = why;
    }

    CopyRunEnd end() const { return m_end; }
    const QString &errorText() const { return m_errorText; }
    // 1 when the run begins, plus one per copy placed over its target.
    std::int32_t CopyOrdinal() const { return m_CopyOrdinal; }
    // The rows whose copy failed, in the order they failed. Read once the worker has ended.
    const std::vector<CopyFailure> &failures() const { return m_failures; }
    // The rows whose copy took its target's place, in the order placed. Read once the worker
    // has ended.
    const std::vector<int> &copiedRows() const { return m_copiedRows; }
    // The copies whose target's file system stored another modification time than the
    // origin's, so that the next comparison will not find them up to date (relative paths).
    const QStringList &timesNotKept() const { return m_timesNotKept; }
    // Both files of the snapshot's rows to classify, read after the last copy was placed (see
    // readSidesAtEnd): fewer rows, or none, when stopped meanwhile. Read once the worker has
    // ended.
    const std::vector<RowSides> &rowSides() const { return m_rowSides; }

private:
    struct Pending {
        const CopyRunRow *row;
        platform::StagedCopy copy;
        platform::FolderRef sourceFolder; // the row's folders, for the watch of their changes
        platform::FolderRef destinationFolder;
    };

    void loop();
    // False when the loop must end. The steps: room for one more copy open, the row's files
    // found, room on the target's disk, the copy staged beside its target, then kept waiting
    // for its group's commit.
    bool copyRow(const CopyRunRow &row);
    // Whether the row's files were found and its target may be replaced; if not, the row
    // says why.
    bool worthCopying(const CopyRunRow &row, const RowPlaces &places);
    // The target's disk has room for size bytes (else the user was told), and a long copy
    // does not hold back the copies waiting. False when the loop must end.
    bool readyForACopyOf(const CopyRunRow &row, const RowPlaces &places, double size);
    // False, the row saying why, when no copy was made.
    bool stageRow(const CopyRunRow &row, const RowPlaces &places, platform::OpenedOrigin &origin,
                  platform::StagedCopy &staged);
    void keepPending(const CopyRunRow &row, const RowPlaces &places, platform::StagedCopy staged);
    // Makes the copy of the origin into a temporary file beside the target, a second time at
    // once after a failure that may pass.
    platform::CopyResult stage(platform::OpenedOrigin &origin, const RowPlaces &places,
                               platform::StagedCopy &staged);
    bool spaceFor(double size, const QByteArray &folder, int folderFd);
    // Each copy waiting holds its temporary file and may hold its two folders open: before the
    // next, the waiting ones are placed until one more fits within the files the process may
    // have open. False when the loop must end.
    bool makeRoomForACopy();
    // Once the target's disk is lost, the user is told once and the loop ends (true).
    bool targetLost();
    // A verification found the copy different: the row's error, then the user's choice.
    void copyFoundDifferent(const CopyRunRow &row);
    // Shows the row's failure with its reason and keeps it for the report.
    void fail(const CopyRunRow &row, const platform::IoStatus &status);
    void failWith(const CopyRunRow &row, const QString &explanation, const QString &detail);
    // Notes a placed copy whose stored time the next comparison will not find up to date.
    void checkStoredTime(const CopyRunRow &row, const platform::CopyResult &result);
    int progress() const;
    void commitIfDue();
    // Hands the waiting copies over to be flushed, verified when asked ("Vérification..." on
    // their rows from then on), and to replace their targets.
    void commitPending();
    // Waits for the copies handed over, and shows how each ended. A copy found different asks
    // the user, who may abandon the run: the loop ends wherever it collects.
    void collectCommitted();
    // The same, only when they are done: never waits.
    void collectCommittedIfDone();
    // Every copy made so far is in its target's place, or has failed and is shown so.
    void finishCommits();
    // Shows how each copy of the group ended. After a copy found different, the rest of the group
    // is committed once the user chose to go on, or discarded after "&Abandon".
    void settle(CommitGroup &group, std::vector<platform::CopyResult> results);
    void showCommitted(const CopyRunRow &row, const platform::CopyResult &result);
    // After "&Abandon": a copy made never takes its target's place, and its row says so.
    void discardPending();
    // The two full paths of a row, origin first, as the user reads them.
    QString fromText(const CopyRunRow &row) const;
    QString toText(const CopyRunRow &row) const;

    CopyRunSnapshot m_snapshot;
    CopyRunSettings m_settings;
    std::atomic<bool> &m_StopRequested;
    CopyRunHost &m_host;
    FreeSpace m_freeSpace;

    CopyRunEnd m_end = CopyRunEnd::NotRun;
    QString m_errorText;
    std::int32_t m_CopyOrdinal = 1;
    // 1 plus the copies made so far that did not fail since: the bar moves as each copy
    // begins, whether or not the ones before are in place yet.
    std::int32_t m_progressOrdinal = 1;
    bool m_abandoned = false; // "&Abandon" answered: the loop ends, and no box follows
    QString m_lostTarget;     // why the target's disk can take no more files, once it cannot
    std::size_t m_maxOpenCopies = 1;
    RowPathBuilder m_sourcePaths;
    RowPathBuilder m_destinationPaths;
    RowPlacesFinder m_places;
    std::vector<Pending> m_pending;
    CommitQueue m_commits;
    std::vector<CopyFailure> m_failures;
    std::vector<int> m_copiedRows;
    QStringList m_timesNotKept;
    std::vector<RowSides> m_rowSides;
    // With readSidesAtEnd: the two files of each copy placed, and the watch of their folders.
    std::unique_ptr<CopiedSides> m_copiedSides;
    qint64 m_pendingBytes = 0;
    QElapsedTimer m_pendingSince;
};
