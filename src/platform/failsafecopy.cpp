#include "platform/failsafecopy.h"

#include "platform/atomicwrite.h"
#include "platform/filecalls.h"
#include "platform/filecompare.h"
#include "platform/filestat.h"
#include "platform/temporaryfile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace platform {

namespace {

constexpr size_t kCopyChunk = size_t(1) << 30; // per copy_file_range call
// A copy that will be flushed is sent to disk this many bytes at a time while it is made, so
// that the disk works during the copy rather than all of it at the flush.
constexpr qint64 kWritebackChunk = qint64(8) << 20;
constexpr size_t kBufferSize = size_t(1) << 20; // per read and write of the fallback
constexpr qint64 kFatTimeStep = 2000;           // milliseconds between the times FAT keeps

CopyResult failure(int error)
{
    return {CopyOutcome::Failed, IoStatus::fromErrno(error)};
}

CopyResult sourceChanged()
{
    return {CopyOutcome::SourceChanged, IoStatus::fromErrno(ESTALE)};
}

// Pairs of devices (origin, target) whose file systems refused a reflink: not asked again.
bool cloneRefused(quint64 from, quint64 to, bool record = false)
{
    thread_local std::set<std::pair<quint64, quint64>> refused;
    if (record)
        refused.insert({from, to});
    return refused.count({from, to}) != 0;
}

// Starts the write-back of what was copied since the last call, once a chunk of bytes is written
// (or the copy is complete), when the copy is to be flushed. The holes of a sparse copy count for
// nothing. A failure here is left to the flush to report.
class Writeback {
public:
    Writeback(int fd, bool enabled) : m_fd(fd), m_enabled(enabled) {}
    // bytes more were written, the last of them ending at offset end of the copy.
    void copied(qint64 bytes, qint64 end)
    {
        m_pending += bytes;
        if (m_pending >= kWritebackChunk)
            send(end);
    }
    void complete(qint64 end)
    {
        if (m_pending > 0)
            send(end);
    }

private:
    void send(qint64 end)
    {
        if (m_enabled)
            (void)fileCalls().startWriteback(m_fd, m_sent, end - m_sent);
        m_sent = end;
        m_pending = 0;
    }

    int m_fd;
    bool m_enabled;
    qint64 m_sent = 0;
    qint64 m_pending = 0;
};

// Copies with read and write from the current offsets, from done up to end.
CopyResult copyByReading(int in, int out, qint64 end, qint64 done, Writeback &writeback)
{
    thread_local std::vector<char> buffer;
    if (buffer.size() < kBufferSize)
        buffer.resize(kBufferSize);
    while (done < end) {
        const size_t want = size_t(std::min<qint64>(qint64(kBufferSize), end - done));
        const ssize_t n = fileCalls().read(in, buffer.data(), want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failure(errno);
        }
        if (n == 0)
            return sourceChanged(); // the origin got shorter
        if (!writeAll(out, buffer.data(), size_t(n)))
            return failure(errno);
        done += n;
        writeback.copied(n, done);
    }
    return {CopyOutcome::Copied, {}};
}

struct Closer {
    int fd;
    ~Closer() { fileCalls().close(fd); }
};

bool timesUnsupported(int error)
{
    return error == ENOSYS || error == EOPNOTSUPP || error == EPERM;
}

bool copyFileRangeUnavailable(int error)
{
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
           error == EBADF || error == EPERM;
}

// How the bytes of one copy go: copy_file_range until it turns out unavailable, then read and
// write for the rest.
struct Transfer {
    int in;
    int out;
    qint64 chunk; // per copy_file_range call
    Writeback writeback;
    bool byReading = false;
};

// Copies the origin's range [start, end) to the same offsets, both descriptors being at start. A
// short origin is a changed origin; a short write is retried until the system reports why it
// cannot go on (a full disk).
CopyResult copyRange(Transfer &t, qint64 start, qint64 end)
{
    qint64 done = start;
    while (!t.byReading && done < end) {
        const size_t want = size_t(std::min<qint64>(t.chunk, end - done));
        const ssize_t n = fileCalls().copyFileRange(t.in, t.out, want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (done != start || !copyFileRangeUnavailable(errno))
                return failure(errno);
            t.byReading = true;
            break;
        }
        if (n == 0)
            return sourceChanged();
        done += n;
        t.writeback.copied(n, done);
    }
    return copyByReading(t.in, t.out, end, done, t.writeback);
}

// Copies only the data of a sparse origin, each part at its own offset, so that its holes stay
// holes in the copy instead of taking room. Nothing when the origin cannot tell its holes: the
// caller copies every byte then.
std::optional<CopyResult> copyData(Transfer &t, qint64 size)
{
    FileCalls &calls = fileCalls();
    qint64 end = 0;
    while (end < size) {
        const off_t data = calls.lseek(t.in, end, SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            break; // nothing but a hole from end on
        if (data < 0) {
            if (end == 0)
                return std::nullopt;
            return failure(errno);
        }
        const off_t hole = calls.lseek(t.in, data, SEEK_HOLE);
        if (hole < 0 || calls.lseek(t.in, data, SEEK_SET) < 0 ||
            calls.lseek(t.out, data, SEEK_SET) < 0)
            return failure(errno);
        const qint64 start = std::min<qint64>(data, size);
        end = std::min<qint64>(hole, size);
        if (const CopyResult range = copyRange(t, start, end); range.outcome != CopyOutcome::Copied)
            return range;
    }
    t.writeback.complete(end);
    // A hole at the end is the size alone.
    if (end < size && calls.ftruncate(t.out, size) != 0)
        return failure(errno);
    return CopyResult{CopyOutcome::Copied, {}};
}

// Copies every byte of the origin into the empty out: a reflink where the file system offers it,
// else the data of a sparse origin, else every byte.
CopyResult copyBytes(int in, int out, const struct stat &origin, quint64 toDevice, bool flush)
{
    const qint64 size = origin.st_size;
    const quint64 fromDevice = quint64(origin.st_dev);
    if (size == 0)
        return {CopyOutcome::Copied, {}};
    if (!cloneRefused(fromDevice, toDevice)) {
        if (fileCalls().cloneFile(out, in) == 0) {
            struct stat st {};
            if (fileCalls().fstat(out, &st) != 0)
                return failure(errno);
            if (st.st_size != size)
                return sourceChanged();
            return {CopyOutcome::Copied, {}};
        }
        if (errno != ENOSPC && errno != EIO)
            cloneRefused(fromDevice, toDevice, true);
    }
    // Small files are left to the flush: sending each one on its own costs more than it saves.
    Transfer t{in, out, flush ? kWritebackChunk : qint64(kCopyChunk),
               Writeback(out, flush && size > kWritebackChunk)};
    if (qint64(origin.st_blocks) * 512 < size) {
        if (std::optional<CopyResult> sparse = copyData(t, size))
            return *sparse;
    }
    const CopyResult all = copyRange(t, 0, size);
    if (all.outcome == CopyOutcome::Copied)
        t.writeback.complete(size);
    return all;
}

} // namespace

StagedCopy::StagedCopy(StagedCopy &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_temporary(std::move(other.m_temporary)),
      m_target(std::move(other.m_target)), m_origin(std::move(other.m_origin)),
      m_identity(other.m_identity), m_originMtimeMs(other.m_originMtimeMs),
      m_timesGiven(other.m_timesGiven), m_device(other.m_device), m_verify(other.m_verify)
{}

StagedCopy &StagedCopy::operator=(StagedCopy &&other) noexcept
{
    if (this != &other) {
        discard();
        m_fd = std::exchange(other.m_fd, -1);
        m_temporary = std::move(other.m_temporary);
        m_target = std::move(other.m_target);
        m_origin = std::move(other.m_origin);
        m_identity = other.m_identity;
        m_originMtimeMs = other.m_originMtimeMs;
        m_timesGiven = other.m_timesGiven;
        m_device = other.m_device;
        m_verify = other.m_verify;
    }
    return *this;
}

StagedCopy::~StagedCopy()
{
    discard();
}

StagedCopy::Identity StagedCopy::identityOf(const struct ::stat &st)
{
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec),
            st.st_mtim.tv_nsec};
}

// The origin's path still names the file that was read, with the size and time it had.
bool StagedCopy::originUnchanged(struct ::stat &now) const
{
    return fileCalls().stat(m_origin.constData(), &now) == 0 && identityOf(now) == m_identity;
}

// The target's time, read back once it is in place. A file system that gives a renamed file the
// current time (fusefat) gets the origin's time once more, by the target's path; a difference
// that FAT's two-second rounding explains is left alone.
qint64 StagedCopy::storedMtimeMs() const
{
    FileCalls &calls = fileCalls();
    struct stat st {};
    if (calls.stat(m_target.constData(), &st) != 0)
        return -1;
    if (!m_timesGiven || qAbs(fileStatFrom(st).mtimeMs - m_originMtimeMs) < kFatTimeStep)
        return fileStatFrom(st).mtimeMs;
    // The access time given as it is: fusefat ignores a change of the modification time alone.
    const struct timespec times[2] = {st.st_atim,
                                      {m_identity.mtimeSeconds, m_identity.mtimeNanoseconds}};
    if (calls.utimensat(AT_FDCWD, m_target.constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
        return fileStatFrom(st).mtimeMs;
    return calls.stat(m_target.constData(), &st) == 0 ? fileStatFrom(st).mtimeMs : -1;
}

void StagedCopy::discard()
{
    if (m_fd < 0)
        return;
    fileCalls().close(m_fd);
    if (!m_temporary.isEmpty())
        fileCalls().unlink(m_temporary.constData());
    m_fd = -1;
}

OpenedOrigin::OpenedOrigin(OpenedOrigin &&other) noexcept
    : m_path(std::move(other.m_path)), m_fd(std::exchange(other.m_fd, -1)),
      m_error(std::exchange(other.m_error, EBADF)), m_stat(other.m_stat)
{}

OpenedOrigin &OpenedOrigin::operator=(OpenedOrigin &&other) noexcept
{
    if (this != &other) {
        close();
        m_path = std::move(other.m_path);
        m_fd = std::exchange(other.m_fd, -1);
        m_error = std::exchange(other.m_error, EBADF);
        m_stat = other.m_stat;
    }
    return *this;
}

OpenedOrigin::~OpenedOrigin()
{
    close();
}

void OpenedOrigin::close()
{
    if (m_fd >= 0)
        fileCalls().close(std::exchange(m_fd, -1));
    m_error = EBADF;
}

qint64 OpenedOrigin::size() const
{
    return S_ISREG(m_stat.st_mode) ? qint64(m_stat.st_size) : -1;
}

OpenedOrigin openOrigin(const QByteArray &from, int folderFd)
{
    FileCalls &calls = fileCalls();
    OpenedOrigin origin;
    origin.m_path = from;
    constexpr int kFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    const qsizetype slash = from.lastIndexOf('/');
    const int fd = folderFd >= 0 && slash >= 0
                       ? calls.openat(folderFd, from.constData() + slash + 1, kFlags, 0)
                       : calls.open(from.constData(), kFlags, 0);
    if (fd < 0) {
        origin.m_error = errno;
        // A file that cannot be read still tells its size.
        if (calls.stat(from.constData(), &origin.m_stat) != 0)
            origin.m_stat = {};
        return origin;
    }
    if (calls.fstat(fd, &origin.m_stat) != 0) {
        origin.m_error = errno;
        origin.m_stat = {};
        calls.close(fd);
        return origin;
    }
    origin.m_fd = fd;
    origin.m_error = 0;
    return origin;
}

CopyResult stageCopy(const QByteArray &from, const QByteArray &to, const CopyOptions &options,
                     StagedCopy &staged)
{
    OpenedOrigin opened = openOrigin(from);
    return stageCopy(opened, to, options, staged);
}

CopyResult stageCopy(OpenedOrigin &opened, const QByteArray &to, const CopyOptions &options,
                     StagedCopy &staged, int targetFolderFd)
{
    FileCalls &calls = fileCalls();
    staged.discard();
    // Consumed whatever the outcome: closed on return.
    OpenedOrigin taken = std::move(opened);
    if (taken.m_fd < 0)
        return failure(taken.m_error);
    const int in = taken.m_fd;
    const struct stat &origin = taken.m_stat;
    const QByteArray &from = taken.m_path;
    if (!S_ISREG(origin.st_mode))
        return failure(S_ISDIR(origin.st_mode) ? EISDIR : EINVAL);

    StagedCopy copy;
    copy.m_fd = createTemporaryFile(folderOfPath(to), 0600, &copy.m_temporary, targetFolderFd);
    if (copy.m_fd < 0)
        return failure(errno);
    copy.m_target = to;
    copy.m_origin = from;
    copy.m_identity = StagedCopy::identityOf(origin);
    copy.m_originMtimeMs = fileStatFrom(origin).mtimeMs;
    struct stat temporary {};
    if (calls.fstat(copy.m_fd, &temporary) != 0)
        return failure(errno);
    copy.m_device = quint64(temporary.st_dev);

    CopyResult result = copyBytes(in, copy.m_fd, origin, copy.m_device, options.flush);
    if (result.outcome != CopyOutcome::Copied)
        return result;

    // A file system that refuses the times keeps the copy all the same: the time read back after
    // the rename tells what it stored.
    const struct timespec times[2] = {origin.st_atim, origin.st_mtim};
    copy.m_timesGiven = calls.futimens(copy.m_fd, times) == 0;
    if (!copy.m_timesGiven && !timesUnsupported(errno))
        return failure(errno);
    if (calls.fchmod(copy.m_fd, origin.st_mode & 0777) != 0 && !permissionBitsUnsupported(errno))
        return failure(errno);

    // Written to while read: seen on the open file, without a walk of its path. A file renamed
    // over the origin meanwhile is seen by the commit, which checks the path itself.
    struct stat now {};
    if (calls.fstat(in, &now) != 0 || StagedCopy::identityOf(now) != copy.m_identity)
        return sourceChanged();

    copy.m_verify = options.verify;
    staged = std::move(copy);
    return {CopyOutcome::Copied, {}};
}

// Compares the copy with its origin, reopened by its path. Once the copy is flushed its pages
// are clean and can be dropped, so that it is read from its disk and a write the medium lost is
// seen; otherwise both sides would come from memory, and the copy is not called verified.
CopyOutcome StagedCopy::verify(bool flushed)
{
    FileCalls &calls = fileCalls();
    const bool fromDisk = flushed && calls.fadvise(m_fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    const int in =
        calls.open(m_origin.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
    if (in < 0)
        return CopyOutcome::CopiedUnverified; // a gone origin is told by the path check next
    const Closer closeIn{in};
    struct stat origin {};
    struct stat written {};
    if (calls.fstat(in, &origin) != 0 || calls.fstat(m_fd, &written) != 0)
        return CopyOutcome::CopiedUnverified;
    if (identityOf(origin) != m_identity)
        return CopyOutcome::SourceChanged;
    if (written.st_size != origin.st_size)
        return CopyOutcome::Mismatch;
    switch (compareOpenFiles(in, m_fd, origin.st_size)) {
    case FileComparison::Equal:
        return fromDisk ? CopyOutcome::Copied : CopyOutcome::CopiedUnverified;
    case FileComparison::Different:
        // A difference that the origin's own change explains is reported as that.
        if (calls.fstat(in, &origin) == 0 && identityOf(origin) != m_identity)
            return CopyOutcome::SourceChanged;
        return CopyOutcome::Mismatch;
    case FileComparison::Unreadable:
        break;
    }
    return CopyOutcome::CopiedUnverified;
}

CopyResult StagedCopy::commit(Flush flush)
{
    if (!isValid())
        return failure(EBADF);
    FileCalls &calls = fileCalls();
    if (flush == Flush::Own && calls.fdatasync(m_fd) != 0)
        return failure(errno);

    CopyOutcome outcome = CopyOutcome::Copied;
    if (m_verify)
        outcome = verify(flush != Flush::None);
    if (outcome == CopyOutcome::Mismatch)
        return {outcome, IoStatus::fromErrno(EIO)};
    struct stat origin {};
    if (outcome == CopyOutcome::SourceChanged || !originUnchanged(origin))
        return sourceChanged();

    // An unnamed copy gets its name only now, so that a crash before leaves nothing behind: its
    // target's own name where none is there, which replaces nothing.
    if (m_temporary.isEmpty()) {
        if (placeUnnamedFile(m_fd, m_target))
            return placed(outcome, origin);
        if (errno != EEXIST)
            return failure(errno);
    }
    if (!nameTemporaryFile(m_fd, folderOfPath(m_target), &m_temporary))
        return failure(errno);
    // A close can report a failed write-back (network file systems): checked before the rename.
    const int fd = std::exchange(m_fd, -1);
    if (calls.close(fd) != 0) {
        const int error = errno;
        calls.unlink(m_temporary.constData());
        return failure(error);
    }
    if (calls.rename(m_temporary.constData(), m_target.constData()) != 0) {
        const int error = errno;
        calls.unlink(m_temporary.constData());
        return failure(error);
    }
    unmarkPlacedFile(m_target);
    CopyResult result{outcome, {}};
    result.originMtimeMs = m_originMtimeMs;
    result.storedMtimeMs = storedMtimeMs();
    return result;
}

// The copy, never named before, is in place under its target's name, where no file was.
CopyResult StagedCopy::placed(CopyOutcome outcome, const struct ::stat &origin)
{
    FileCalls &calls = fileCalls();
    CopyResult result{outcome, {}};
    result.originMtimeMs = m_originMtimeMs;
    struct stat st {};
    const bool known = calls.fstat(m_fd, &st) == 0;
    // A failed write-back told by the close leaves no file there, as before.
    if (calls.close(std::exchange(m_fd, -1)) != 0) {
        const int error = errno;
        calls.unlink(m_target.constData());
        return failure(error);
    }
    // The times the file system kept, read on the open file; the path's way where they differ.
    result.storedMtimeMs = known ? fileStatFrom(st).mtimeMs : -1;
    if (!known || (m_timesGiven && qAbs(result.storedMtimeMs - m_originMtimeMs) >= kFatTimeStep)) {
        result.storedMtimeMs = storedMtimeMs();
        return result;
    }
    if (origin.st_nlink == 1 && st.st_nlink == 1) {
        result.origin = fileStatFrom(origin);
        result.target = fileStatFrom(st);
    }
    return result;
}

CopyResult commitCopy(StagedCopy &staged, bool flush)
{
    StagedCopy copy = std::move(staged);
    return copy.commit(flush ? StagedCopy::Flush::Own : StagedCopy::Flush::None);
}

std::vector<CopyResult> commitCopies(std::vector<StagedCopy> &staged, bool flush)
{
    // One flush of each file system involved writes every copy at once and reports a failed
    // write-back of any of them (Linux 5.8 and later). Only then is each file flushed on its
    // own, to tell which failed: a flush per file costs a disk cache flush each, even when
    // nothing is left to write. A single copy has its own flush, not the file system's.
    bool flushEach = flush;
    if (flush && staged.size() > 1) {
        std::set<quint64> flushed;
        flushEach = false;
        for (const StagedCopy &copy : staged) {
            if (copy.isValid() && flushed.insert(copy.m_device).second &&
                fileCalls().syncfs(copy.m_fd) != 0)
                flushEach = true;
        }
    }
    const StagedCopy::Flush how = !flush      ? StagedCopy::Flush::None
                                  : flushEach ? StagedCopy::Flush::Own
                                              : StagedCopy::Flush::Done;
    std::vector<CopyResult> results;
    results.reserve(staged.size());
    for (StagedCopy &copy : staged) {
        StagedCopy committed = std::move(copy);
        results.push_back(committed.commit(how));
    }
    staged.clear();
    return results;
}

CopyResult copyFileFailSafe(const QByteArray &from, const QByteArray &to,
                            const CopyOptions &options)
{
    StagedCopy staged;
    const CopyResult staging = stageCopy(from, to, options, staged);
    if (!staged.isValid())
        return staging;
    return commitCopy(staged, options.flush);
}

} // namespace platform
