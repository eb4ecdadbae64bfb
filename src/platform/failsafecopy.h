#pragma once

#include "platform/filestat.h"
#include "platform/foldertree.h"
#include "platform/iostatus.h"
#include "platform/uniquefd.h"

#include <QByteArray>

#include <atomic>
#include <cerrno>
#include <sys/stat.h>
#include <vector>

namespace platform {

// How a copy of one file ended. Only Copied and CopiedUnverified replaced the target; after
// any other outcome the old target is exactly as it was and no temporary file is left.
enum class CopyOutcome {
    Copied,           // the target holds a complete copy (verified when asked)
    CopiedUnverified, // in place, but a verification asked could not read the copy from its disk
    Failed,           // status says why; trying again may succeed
    SourceChanged,    // the origin changed, moved or went while it was copied
    Mismatch,         // the verification found the copy different from its origin
    Stopped,          // the stop flag was set before the copy was complete
    // The target's name was taken where the copy expected none: by a file that appeared
    // meanwhile, or by another name that a file system ignoring letter case takes for it.
    NameTaken,
};

struct CopyResult {
    CopyOutcome outcome = CopyOutcome::Failed;
    IoStatus status; // the system's reason of a failure
    // Once the copy replaced its target: the origin's last write and the one the target's file
    // system stored, read back (UTC milliseconds since 1970, finer parts dropped; -1 unknown).
    // They differ where the file system keeps coarser or narrower times (FAT).
    qint64 originMtimeMs = -1;
    qint64 storedMtimeMs = -1;
    // Once an unnamed copy took its target's name: the origin as the last check before found
    // it, and the copy in place. Not ok() when unknown, or for a file that has other names too,
    // which may change through them.
    FileStat origin{};
    FileStat target{};
    // NameTaken: the name of the file that holds the target's place, when it could be found.
    QByteArray takenBy = {};

    bool placed() const
    {
        return outcome == CopyOutcome::Copied || outcome == CopyOutcome::CopiedUnverified;
    }
};

struct CopyOptions {
    // Compare the copy, read back from its disk once flushed, with its origin before it
    // replaces the target: the commit does it.
    bool verify = false;
    // Flush the copy to disk before it replaces the target, so that a power cut leaves either
    // the old target or the complete new file. Off only to measure what the flush costs.
    bool flush = true;
    // Looked at between two chunks of the copy, and of the verification of a large one: once
    // set, the copy is given up (Stopped), its temporary file removed and the target left as it
    // was.
    const std::atomic<bool> *stop = nullptr;
};

// A file of a copy: its name in a folder held open. Every call on it is relative to that folder,
// so that a folder renamed or swapped for a link meanwhile cannot redirect it.
struct FileInFolder {
    FolderRef folder;
    QByteArray name;
};

class StagedCopy;

// The origin of a copy, opened before the copy is made, so that its size is known without a
// second reading of its path. Closed when it goes.
class OpenedOrigin {
public:
    OpenedOrigin() = default;
    OpenedOrigin(OpenedOrigin &&other) noexcept;
    OpenedOrigin &operator=(OpenedOrigin &&other) noexcept;
    OpenedOrigin(const OpenedOrigin &) = delete;
    OpenedOrigin &operator=(const OpenedOrigin &) = delete;
    ~OpenedOrigin();

    // The size of a regular file, opened or not, else -1.
    qint64 size() const;

private:
    friend OpenedOrigin openOrigin(const FileInFolder &, bool);
    friend CopyResult stageCopy(OpenedOrigin &, const FileInFolder &, bool, const CopyOptions &,
                                StagedCopy &);
    void close();

    FileInFolder m_file;
    bool m_followLink = false;
    UniqueFd m_fd;
    int m_error = EBADF; // why it could not be opened and read
    struct ::stat m_stat {};
};

// Opens the origin without blocking (a FIFO or a device is never waited for) and reads what it
// is; a failure is kept, for stageCopy to report. A symbolic link in its place is followed only
// when followLink is set (a link to a file that the listing took for that file), else refused
// (ELOOP); every later look at the origin does the same.
OpenedOrigin openOrigin(const FileInFolder &origin, bool followLink);

// A complete copy waiting in a temporary file beside its target, not yet in the target's place:
// unnamed where the file system allows it, else named kTempPrefix and a few random characters,
// and then marked and locked while it lives (see createTemporaryFile). Destroying it uncommitted
// removes the temporary file.
class StagedCopy {
public:
    StagedCopy() = default;
    StagedCopy(StagedCopy &&other) noexcept = default;
    // Discards the copy this one held first.
    StagedCopy &operator=(StagedCopy &&other) noexcept;
    StagedCopy(const StagedCopy &) = delete;
    StagedCopy &operator=(const StagedCopy &) = delete;
    ~StagedCopy();

    bool isValid() const { return m_fd.isValid(); }
    // Its name in the target's folder; empty while the temporary file has none.
    const QByteArray &temporaryName() const { return m_temporary; }
    qint64 size() const { return m_identity.size; }
    // Removes the temporary file; the target is left alone.
    void discard();

private:
    friend CopyResult stageCopy(OpenedOrigin &, const FileInFolder &, bool, const CopyOptions &,
                                StagedCopy &);
    friend CopyResult commitCopy(StagedCopy &, bool);
    friend std::vector<CopyResult> commitCopies(std::vector<StagedCopy> &, bool);

    // How the copy reached its disk before the commit: not at all, by its own flush still to
    // come, or by a flush of its whole file system already done.
    enum class Flush { None, Own, Done };
    CopyResult commit(Flush flush);
    CopyResult placed(CopyOutcome outcome, const struct ::stat &origin);
    // Renames the named temporary file to the target's name: over the old target when there
    // was one, else only where the name is free.
    CopyResult renameIntoPlace(CopyOutcome outcome);
    CopyResult nameTaken() const;
    CopyOutcome verify(bool flushed);

    // The status-change time is part of it: a program can put a file's modification time back
    // after writing into it, never its status-change time.
    struct Identity {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 mtimeSeconds = 0;
        long mtimeNanoseconds = 0;
        qint64 ctimeSeconds = 0;
        long ctimeNanoseconds = 0;
        friend bool operator==(const Identity &, const Identity &) = default;
    };
    static Identity identityOf(const struct ::stat &st);
    bool originUnchanged(struct ::stat &now) const;
    qint64 storedMtimeMs() const;
    int targetFolder() const { return m_target.folder->fd(); }

    UniqueFd m_fd;
    QByteArray m_temporary; // its name in the target's folder, empty while it has none
    FileInFolder m_target;
    FileInFolder m_origin;
    bool m_followOrigin = false;
    bool m_replaces = false; // a file had the target's name when the copy began
    const std::atomic<bool> *m_stop = nullptr;
    Identity m_identity;
    qint64 m_originMtimeMs = -1;
    bool m_timesGiven = false; // the copy's file system took the origin's times
    quint64 m_device = 0;      // of the temporary file
    bool m_verify = false;
};

// First half of a copy, from an origin already opened, which it consumes: copies its bytes into a
// new temporary file in the target's folder (a reflink where the file system offers it, else
// copy_file_range, else read and write), counting every byte so that a full disk fails, keeping
// the holes of a sparse origin; gives the copy the origin's times and permission bits where its
// file system keeps them; checks that the origin did not change meanwhile. replaces: a file had
// the target's name when the copy began; without one, the commit never replaces a file that took
// the name since. On success staged holds the copy, to be verified by its commit when
// options.verify is set; otherwise nothing is left behind.
CopyResult stageCopy(OpenedOrigin &origin, const FileInFolder &target, bool replaces,
                     const CopyOptions &options, StagedCopy &staged);
// The same between two whole paths, whose folders are reached as the system resolves them (the
// caller named them): the origin's name is followed, and the target replaced when it exists.
CopyResult stageCopy(const QByteArray &from, const QByteArray &to, const CopyOptions &options,
                     StagedCopy &staged);

// Second half: flushes the copy (when flush); when asked, drops its pages from the cache and
// compares it, read back from its disk, with its origin (CopiedUnverified where it could not be
// read from the disk: not flushed, or its pages kept); checks once more that the origin's name
// still names the file that was read, unchanged; links an unnamed copy under the target's name
// where no file has it, and otherwise names the copy and renames it over the target (never over
// a folder: the rename refuses it; never over a file that took a free name since: NameTaken);
// then reads back the time the target's file system stored. Consumes staged, whatever the
// outcome.
CopyResult commitCopy(StagedCopy &staged, bool flush);

// Commits many staged copies, in order. Their flush is shared: one flush of each file system
// involved instead of one per file, which costs more than the copy of a small file; each file
// is flushed on its own only when that shared flush reports a failure, to tell which. Then each
// is verified and renamed as commitCopy does, up to the first found different from its origin:
// the copies after it stay in staged, uncommitted, for the caller to commit or discard once
// the user has decided. The results are those of the copies committed, in order.
std::vector<CopyResult> commitCopies(std::vector<StagedCopy> &staged, bool flush);

// The whole fail-safe copy of one file: stageCopy, then commitCopy.
CopyResult copyFileFailSafe(const QByteArray &from, const QByteArray &to,
                            const CopyOptions &options = {});

} // namespace platform
