#pragma once

#include "platform/filestat.h"
#include "platform/iostatus.h"

#include <QByteArray>

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
    friend OpenedOrigin openOrigin(const QByteArray &, int);
    friend CopyResult stageCopy(OpenedOrigin &, const QByteArray &, const CopyOptions &,
                                StagedCopy &, int);
    void close();

    QByteArray m_path;
    int m_fd = -1;
    int m_error = EBADF; // why it could not be opened and read
    struct ::stat m_stat {};
};

// Opens the origin without blocking (a FIFO or a device is never waited for) and reads what it
// is; a failure is kept, for stageCopy to report. folderFd, when given, is from's folder already
// open: only the file's name is looked up.
OpenedOrigin openOrigin(const QByteArray &from, int folderFd = -1);

// A complete copy waiting in a temporary file beside its target, not yet in the target's place:
// unnamed where the file system allows it, else named kTempPrefix and a few random characters,
// and then marked and locked while it lives (see createTemporaryFile). Destroying it uncommitted
// removes the temporary file.
class StagedCopy {
public:
    StagedCopy() = default;
    StagedCopy(StagedCopy &&other) noexcept;
    StagedCopy &operator=(StagedCopy &&other) noexcept;
    StagedCopy(const StagedCopy &) = delete;
    StagedCopy &operator=(const StagedCopy &) = delete;
    ~StagedCopy();

    bool isValid() const { return m_fd >= 0; }
    // Empty while the temporary file has no name.
    const QByteArray &temporaryPath() const { return m_temporary; }
    const QByteArray &target() const { return m_target; }
    qint64 size() const { return m_identity.size; }
    // Removes the temporary file; the target is left alone.
    void discard();

private:
    friend CopyResult stageCopy(OpenedOrigin &, const QByteArray &, const CopyOptions &,
                                StagedCopy &, int);
    friend CopyResult commitCopy(StagedCopy &, bool);
    friend std::vector<CopyResult> commitCopies(std::vector<StagedCopy> &, bool);

    // How the copy reached its disk before the commit: not at all, by its own flush still to
    // come, or by a flush of its whole file system already done.
    enum class Flush { None, Own, Done };
    CopyResult commit(Flush flush);
    CopyResult placed(CopyOutcome outcome, const struct ::stat &origin);
    CopyOutcome verify(bool flushed);

    struct Identity {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 mtimeSeconds = 0;
        long mtimeNanoseconds = 0;
        friend bool operator==(const Identity &, const Identity &) = default;
    };
    static Identity identityOf(const struct ::stat &st);
    bool originUnchanged(struct ::stat &now) const;
    qint64 storedMtimeMs() const;

    int m_fd = -1;
    QByteArray m_temporary;
    QByteArray m_target;
    QByteArray m_origin;
    Identity m_identity;
    qint64 m_originMtimeMs = -1;
    bool m_timesGiven = false; // the copy's file system took the origin's times
    quint64 m_device = 0;      // of the temporary file
    bool m_verify = false;
};

// First half of a copy: opens the origin without blocking (a FIFO or a device is refused, never
// waited for), copies its bytes into a new temporary file in the target's folder (a reflink
// where the file system offers it, else copy_file_range, else read and write), counting every
// byte so that a full disk fails, keeping the holes of a sparse origin; gives the copy the
// origin's times and permission bits where its file system keeps them; checks that the origin
// did not change meanwhile. On success staged holds the copy, to be verified by its commit when
// options.verify is set; otherwise nothing is left behind.
CopyResult stageCopy(const QByteArray &from, const QByteArray &to, const CopyOptions &options,
                     StagedCopy &staged);
// The same from an origin already opened, which it consumes; targetFolderFd, when given, is the
// target's folder already open, where the temporary file is made.
CopyResult stageCopy(OpenedOrigin &origin, const QByteArray &to, const CopyOptions &options,
                     StagedCopy &staged, int targetFolderFd = -1);

// Second half: flushes the copy (when flush); when asked, drops its pages from the cache and
// compares it, read back from its disk, with its origin (CopiedUnverified where it could not be
// read from the disk: not flushed, or its pages kept); checks once more that the origin's path
// still names the file that was read, unchanged; links an unnamed copy under the target's name
// where no file has it, and otherwise names the copy and renames it over the target (never over
// a folder: the rename refuses it); then reads back the time the target's file system stored.
// Consumes staged, whatever the outcome.
CopyResult commitCopy(StagedCopy &staged, bool flush);

// Commits many staged copies, in order. Their flush is shared: one flush of each file system
// involved instead of one per file, which costs more than the copy of a small file; each file
// is flushed on its own only when that shared flush reports a failure, to tell which. Then each
// is verified and renamed as commitCopy does.
std::vector<CopyResult> commitCopies(std::vector<StagedCopy> &staged, bool flush);

// The whole fail-safe copy of one file: stageCopy, then commitCopy.
CopyResult copyFileFailSafe(const QByteArray &from, const QByteArray &to,
                            const CopyOptions &options = {});

} // namespace platform
