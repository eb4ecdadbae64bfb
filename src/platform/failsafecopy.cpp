#include "platform/failsafecopy.h"

#include "platform/atomicwrite.h"
#include "platform/filecalls.h"
#include "platform/filecompare.h"
#include "platform/temporaryfile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
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

// Starts the write-back of what was copied since the last call, once a chunk is complete (or
// the copy is), when the copy is to be flushed. A failure here is left to the flush to report.
class Writeback {
public:
    Writeback(int fd, bool enabled) : m_fd(fd), m_enabled(enabled) {}
    void copied(qint64 done, bool complete)
    {
        if (!m_enabled || (done - m_sent < kWritebackChunk && !complete) || done == m_sent)
            return;
        (void)fileCalls().startWriteback(m_fd, m_sent, done - m_sent);
        m_sent = done;
    }

private:
    int m_fd;
    bool m_enabled;
    qint64 m_sent = 0;
};

// Copies the origin's size bytes with read and write, from where copy_file_range left off.
CopyResult copyByReading(int in, int out, qint64 size, qint64 done, Writeback &writeback)
{
    thread_local std::vector<char> buffer;
    if (buffer.size() < kBufferSize)
        buffer.resize(kBufferSize);
    while (done < size) {
        const size_t want = size_t(std::min<qint64>(qint64(kBufferSize), size - done));
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
        writeback.copied(done, done == size);
    }
    return {CopyOutcome::Copied, {}};
}

bool copyFileRangeUnavailable(int error)
{
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
           error == EBADF || error == EPERM;
}

// Copies exactly size bytes of in into the empty out. A short origin is a changed origin; a
// short write is retried until the system reports why it cannot go on (a full disk).
CopyResult copyBytes(int in, int out, qint64 size, quint64 fromDevice, quint64 toDevice, bool flush)
{
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
    Writeback writeback(out, flush && size > kWritebackChunk);
    const qint64 chunk = flush ? kWritebackChunk : qint64(kCopyChunk);
    qint64 done = 0;
    while (done < size) {
        const size_t want = size_t(std::min<qint64>(chunk, size - done));
        const ssize_t n = fileCalls().copyFileRange(in, out, want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (done == 0 && copyFileRangeUnavailable(errno))
                return copyByReading(in, out, size, 0, writeback);
            return failure(errno);
        }
        if (n == 0)
            return sourceChanged();
        done += n;
        writeback.copied(done, done == size);
    }
    return {CopyOutcome::Copied, {}};
}

} // namespace

StagedCopy::StagedCopy(StagedCopy &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_temporary(std::move(other.m_temporary)),
      m_target(std::move(other.m_target)), m_origin(std::move(other.m_origin)),
      m_identity(other.m_identity), m_device(other.m_device), m_unverified(other.m_unverified)
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
        m_device = other.m_device;
        m_unverified = other.m_unverified;
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
bool StagedCopy::originUnchanged() const
{
    struct stat now {};
    return fileCalls().stat(m_origin.constData(), &now) == 0 && identityOf(now) == m_identity;
}

void StagedCopy::discard()
{
    if (m_fd < 0)
        return;
    fileCalls().close(m_fd);
    fileCalls().unlink(m_temporary.constData());
    m_fd = -1;
}

CopyResult stageCopy(const QByteArray &from, const QByteArray &to, const CopyOptions &options,
                     StagedCopy &staged)
{
    FileCalls &calls = fileCalls();
    staged.discard();

    const int in = calls.open(from.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
    if (in < 0)
        return failure(errno);
    struct Closer {
        int fd;
        ~Closer() { fileCalls().close(fd); }
    } closeIn{in};

    struct stat origin {};
    if (calls.fstat(in, &origin) != 0)
        return failure(errno);
    if (!S_ISREG(origin.st_mode))
        return failure(S_ISDIR(origin.st_mode) ? EISDIR : EINVAL);

    StagedCopy copy;
    copy.m_fd = createTemporaryFile(folderOfPath(to), 0600, &copy.m_temporary);
    if (copy.m_fd < 0)
        return failure(errno);
    copy.m_target = to;
    copy.m_origin = from;
    copy.m_identity = StagedCopy::identityOf(origin);
    struct stat temporary {};
    if (calls.fstat(copy.m_fd, &temporary) != 0)
        return failure(errno);
    copy.m_device = quint64(temporary.st_dev);

    CopyResult result = copyBytes(in, copy.m_fd, origin.st_size, quint64(origin.st_dev),
                                  copy.m_device, options.flush);
    if (result.outcome != CopyOutcome::Copied)
        return result;

    const struct timespec times[2] = {origin.st_atim, origin.st_mtim};
    if (calls.futimens(copy.m_fd, times) != 0)
        return failure(errno);
    // Some file systems (FAT, some network shares) keep no permission bits: nothing to give.
    if (calls.fchmod(copy.m_fd, origin.st_mode & 0777) != 0 && errno != EPERM &&
        errno != EOPNOTSUPP)
        return failure(errno);

    if (options.verify) {
        if (options.verifying)
            options.verifying();
        struct stat written {};
        if (calls.fstat(copy.m_fd, &written) != 0) {
            copy.m_unverified = true;
        } else if (written.st_size != origin.st_size) {
            return {CopyOutcome::Mismatch, IoStatus::fromErrno(EIO)};
        } else {
            switch (compareOpenFiles(in, copy.m_fd, origin.st_size)) {
            case FileComparison::Equal:
                break;
            case FileComparison::Different:
                // A difference that the origin's own change explains is reported as that.
                if (calls.fstat(in, &origin) == 0 &&
                    StagedCopy::identityOf(origin) != copy.m_identity)
                    return sourceChanged();
                return {CopyOutcome::Mismatch, IoStatus::fromErrno(EIO)};
            case FileComparison::Unreadable:
                copy.m_unverified = true;
                break;
            }
        }
    }

    // Written to while read: seen on the open file, without a walk of its path. A file renamed
    // over the origin meanwhile is seen by the commit, which checks the path itself.
    struct stat now {};
    if (calls.fstat(in, &now) != 0 || StagedCopy::identityOf(now) != copy.m_identity)
        return sourceChanged();

    staged = std::move(copy);
    return {staged.m_unverified ? CopyOutcome::CopiedUnverified : CopyOutcome::Copied, {}};
}

CopyResult commitCopy(StagedCopy &staged, bool flush)
{
    if (!staged.isValid())
        return failure(EBADF);
    FileCalls &calls = fileCalls();
    StagedCopy copy = std::move(staged);
    if (flush && calls.fdatasync(copy.m_fd) != 0)
        return failure(errno);

    if (!copy.originUnchanged())
        return sourceChanged();

    // A close can report a failed write-back (network file systems): checked before the rename.
    const int fd = std::exchange(copy.m_fd, -1);
    if (calls.close(fd) != 0) {
        const int error = errno;
        calls.unlink(copy.m_temporary.constData());
        return failure(error);
    }
    if (calls.rename(copy.m_temporary.constData(), copy.m_target.constData()) != 0) {
        const int error = errno;
        calls.unlink(copy.m_temporary.constData());
        return failure(error);
    }
    return {copy.m_unverified ? CopyOutcome::CopiedUnverified : CopyOutcome::Copied, {}};
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
    std::vector<CopyResult> results;
    results.reserve(staged.size());
    for (StagedCopy &copy : staged)
        results.push_back(commitCopy(copy, flushEach));
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
