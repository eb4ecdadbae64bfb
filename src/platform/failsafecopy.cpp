#include "platform/failsafecopy.h"

#include "platform/atomicwrite.h"
#include "platform/filecalls.h"
#include "platform/filecompare.h"
#include "platform/filestat.h"
#include "platform/lettercase.h"
#include "platform/paths.h"
#include "platform/temporaryfile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <utility>

namespace platform {

namespace {

constexpr size_t kCopyChunk = size_t(1) << 30; // per copy_file_range call
// A copy that will be flushed is sent to disk this many bytes at a time while it is made, so
// that the disk works during the copy rather than all of it at the flush.
constexpr qint64 kWritebackChunk = qint64(8) << 20;
constexpr size_t kBufferSize = size_t(1) << 20; // per read and write of the fallback
constexpr qint64 kFatTimeStep = 2000;           // milliseconds between the times FAT keeps
constexpr char kAccessList[] = "system.posix_acl_access";

CopyResult failure(int error, const char *call = nullptr)
{
    return {CopyOutcome::Failed, IoStatus::fromErrno(error, call)};
}

CopyResult ownFailure(IoStatus::Cause cause)
{
    return {CopyOutcome::Failed, IoStatus::own(cause)};
}

// A failure to make or name a file in the target's folder: where the folder takes no new file,
// is gone, is full, or its disk is, the folder is the cause, not the file.
CopyResult folderFailure(int error, const char *call)
{
    CopyResult result = failure(error, call);
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOENT:
    case ENOSPC:
    case EDQUOT:
    case EIO:
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM:
    case ENOTCONN:
    case EHOSTDOWN:
    case ESHUTDOWN:
        result.status = result.status.inFolder();
        break;
    default:
        break;
    }
    return result;
}

CopyResult sourceChanged()
{
    return {CopyOutcome::SourceChanged, IoStatus::own(IoStatus::Cause::SourceChanged)};
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

bool stopped(const std::atomic<bool> *stop)
{
    return stop != nullptr && stop->load(std::memory_order_relaxed);
}

// Copies with read and write from the current offsets, from done up to end.
CopyResult copyByReading(int in, int out, qint64 end, qint64 done, Writeback &writeback,
                         const std::atomic<bool> *stop)
{
    thread_local std::vector<char> buffer;
    if (buffer.size() < kBufferSize)
        buffer.resize(kBufferSize);
    while (done < end) {
        if (stopped(stop))
            return {CopyOutcome::Stopped, {}};
        const size_t want = size_t(std::min<qint64>(qint64(kBufferSize), end - done));
        const ssize_t n = fileCalls().read(in, buffer.data(), want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failure(errno, "read");
        }
        if (n == 0)
            return sourceChanged(); // the origin got shorter
        if (!writeAll(out, buffer.data(), size_t(n)))
            return failure(errno, "write");
        done += n;
        writeback.copied(n, done);
    }
    return {CopyOutcome::Copied, {}};
}

// The access list that holds the origin's permissions beyond its mode, in the system's form
// (empty when it has none).
QByteArray accessListOf(int fd)
{
    QByteArray list(256, '\0');
    ssize_t n = ::fgetxattr(fd, kAccessList, list.data(), size_t(list.size()));
    if (n < 0 && errno == ERANGE) {
        n = ::fgetxattr(fd, kAccessList, nullptr, 0);
        list.resize(n > 0 ? n : 0);
        n = n > 0 ? ::fgetxattr(fd, kAccessList, list.data(), size_t(list.size())) : -1;
    }
    list.resize(n > 0 ? n : 0);
    return list;
}

// The permissions of the origin's owning group's own entry in its access list (rwx as 0-7), or
// -1 when it has none. The mode's group bits are the list's mask then, which may grant more.
int owningGroupPermissions(const QByteArray &list)
{
    constexpr quint16 kGroupObject = 0x04;
    constexpr qsizetype kHeader = 4;
    constexpr qsizetype kEntry = 8; // tag, permissions (16 bits each), identifier (32 bits)
    for (qsizetype at = kHeader; at + kEntry <= list.size(); at += kEntry) {
        const auto byte = [&](qsizetype i) { return quint16(quint8(list[at + i])); };
        if (quint16(byte(0) | byte(1) << 8) == kGroupObject)
            return int(byte(2) | byte(3) << 8) & 07;
    }
    return -1;
}

// Gives the copy the origin's access list, so that no one gains a right the origin denies him.
// Where the copy's file system keeps no access list, its group gets no more than the origin's
// owning group had: the mode alone would hand it the list's wider mask.
bool copyAccessList(int in, int out, mode_t mode)
{
    const QByteArray list = accessListOf(in);
    if (list.isEmpty())
        return true;
    if (fileCalls().fsetxattr(out, kAccessList, list.constData(), size_t(list.size()), 0) == 0)
        return true;
    const int group = owningGroupPermissions(list);
    if (group < 0)
        return true;
    const mode_t narrowed = (mode & 0707) | (mode & 070 & mode_t(group << 3));
    return fileCalls().fchmod(out, narrowed) == 0 || permissionBitsUnsupported(errno);
}

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
    const std::atomic<bool> *stop;
    bool byReading = false;
};

// Copies the origin's range [start, end) to the same offsets, both descriptors being at start. A
// short origin is a changed origin; a short write is retried until the system reports why it
// cannot go on (a full disk).
CopyResult copyRange(Transfer &t, qint64 start, qint64 end)
{
    qint64 done = start;
    while (!t.byReading && done < end) {
        if (stopped(t.stop))
            return {CopyOutcome::Stopped, {}};
        const size_t want = size_t(std::min<qint64>(t.chunk, end - done));
        const ssize_t n = fileCalls().copyFileRange(t.in, t.out, want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (done != start || !copyFileRangeUnavailable(errno))
                return failure(errno, "copy_file_range");
            t.byReading = true;
            break;
        }
        if (n == 0)
            return sourceChanged();
        done += n;
        t.writeback.copied(n, done);
    }
    return copyByReading(t.in, t.out, end, done, t.writeback, t.stop);
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
            return failure(errno, "lseek");
        }
        const off_t hole = calls.lseek(t.in, data, SEEK_HOLE);
        if (hole < 0 || calls.lseek(t.in, data, SEEK_SET) < 0 ||
            calls.lseek(t.out, data, SEEK_SET) < 0)
            return failure(errno, "lseek");
        const qint64 start = std::min<qint64>(data, size);
        end = std::min<qint64>(hole, size);
        if (const CopyResult range = copyRange(t, start, end); range.outcome != CopyOutcome::Copied)
            return range;
    }
    t.writeback.complete(end);
    // A hole at the end is the size alone.
    if (end < size && calls.ftruncate(t.out, size) != 0)
        return failure(errno, "ftruncate");
    return CopyResult{CopyOutcome::Copied, {}};
}

// Copies every byte of the origin into the empty out: a reflink where the file system offers it,
// else the data of a sparse origin, else every byte.
CopyResult copyBytes(int in, int out, const struct stat &origin, quint64 toDevice,
                     const CopyOptions &options)
{
    const bool flush = options.flush;
    const qint64 size = origin.st_size;
    const quint64 fromDevice = quint64(origin.st_dev);
    if (size == 0)
        return {CopyOutcome::Copied, {}};
    if (!cloneRefused(fromDevice, toDevice)) {
        if (fileCalls().cloneFile(out, in) == 0) {
            struct stat st {};
            if (fileCalls().fstat(out, &st) != 0)
                return failure(errno, "fstat");
            if (st.st_size != size)
                return sourceChanged();
            return {CopyOutcome::Copied, {}};
        }
        if (errno != ENOSPC && errno != EIO)
            cloneRefused(fromDevice, toDevice, true);
    }
    // Small files are left to the flush: sending each one on its own costs more than it saves.
    // A copy that may be stopped goes in chunks that take a moment each.
    const bool small = flush || options.stop != nullptr;
    Transfer t{in, out, small ? kWritebackChunk : qint64(kCopyChunk),
               Writeback(out, flush && size > kWritebackChunk), options.stop};
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

StagedCopy &StagedCopy::operator=(StagedCopy &&other) noexcept
{
    if (this != &other) {
        discard();
        m_fd = std::move(other.m_fd);
        m_temporary = std::move(other.m_temporary);
        m_target = std::move(other.m_target);
        m_origin = std::move(other.m_origin);
        m_followOrigin = other.m_followOrigin;
        m_replaces = other.m_replaces;
        m_stop = other.m_stop;
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
    return {quint64(st.st_dev),        quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec), st.st_mtim.tv_nsec, qint64(st.st_ctim.tv_sec),
            st.st_ctim.tv_nsec};
}

// The origin's name still names the file that was read, with the size and times it had.
bool StagedCopy::originUnchanged(struct ::stat &now) const
{
    const int flags = m_followOrigin ? 0 : AT_SYMLINK_NOFOLLOW;
    return fileCalls().fstatat(m_origin.folder->fd(), m_origin.name.constData(), &now, flags) ==
               0 &&
           identityOf(now) == m_identity;
}

// The target's time, read back once it is in place. A file system that gives a renamed file the
// current time (fusefat) gets the origin's time once more, by the target's name; a difference
// that FAT's two-second rounding explains is left alone.
qint64 StagedCopy::storedMtimeMs() const
{
    FileCalls &calls = fileCalls();
    const char *name = m_target.name.constData();
    struct stat st {};
    if (calls.fstatat(targetFolder(), name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return -1;
    if (!m_timesGiven || qAbs(fileStatFrom(st).mtimeMs - m_originMtimeMs) < kFatTimeStep)
        return fileStatFrom(st).mtimeMs;
    // The access time given as it is: fusefat ignores a change of the modification time alone.
    const struct timespec times[2] = {st.st_atim,
                                      {m_identity.mtimeSeconds, m_identity.mtimeNanoseconds}};
    if (calls.utimensat(targetFolder(), name, times, AT_SYMLINK_NOFOLLOW) != 0)
        return fileStatFrom(st).mtimeMs;
    return calls.fstatat(targetFolder(), name, &st, AT_SYMLINK_NOFOLLOW) == 0
               ? fileStatFrom(st).mtimeMs
               : -1;
}

void StagedCopy::discard()
{
    if (!m_fd.isValid())
        return;
    m_fd.reset();
    if (!m_temporary.isEmpty())
        fileCalls().unlinkat(targetFolder(), m_temporary.constData(), 0);
}

OpenedOrigin::OpenedOrigin(OpenedOrigin &&other) noexcept
    : m_file(std::move(other.m_file)), m_followLink(other.m_followLink),
      m_fd(std::move(other.m_fd)), m_error(std::exchange(other.m_error, EBADF)),
      m_stat(other.m_stat)
{}

OpenedOrigin &OpenedOrigin::operator=(OpenedOrigin &&other) noexcept
{
    if (this != &other) {
        close();
        m_file = std::move(other.m_file);
        m_followLink = other.m_followLink;
        m_fd = std::move(other.m_fd);
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
    m_fd.reset();
    m_error = EBADF;
}

qint64 OpenedOrigin::size() const
{
    return S_ISREG(m_stat.st_mode) ? qint64(m_stat.st_size) : -1;
}

OpenedOrigin openOrigin(const FileInFolder &file, bool followLink)
{
    FileCalls &calls = fileCalls();
    OpenedOrigin origin;
    origin.m_file = file;
    origin.m_followLink = followLink;
    if (!file.folder) {
        origin.m_error = ENOENT;
        return origin;
    }
    const int folder = file.folder->fd();
    const char *name = file.name.constData();
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (followLink ? 0 : O_NOFOLLOW);
    const int fd = calls.openat(folder, name, flags, 0);
    if (fd < 0) {
        origin.m_error = errno;
        // A file that cannot be read still tells its size.
        if (calls.fstatat(folder, name, &origin.m_stat, followLink ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
            origin.m_stat = {};
        return origin;
    }
    if (calls.fstat(fd, &origin.m_stat) != 0) {
        origin.m_error = errno;
        origin.m_stat = {};
        calls.close(fd);
        return origin;
    }
    origin.m_fd.reset(fd);
    origin.m_error = 0;
    return origin;
}

namespace {

// A whole path as a file of its folder, reached as the system resolves the path.
FileInFolder fileAtPath(const QByteArray &path)
{
    const int fd =
        fileCalls().open(folderOfPath(path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0)
        return {};
    return {std::make_shared<const OpenFolder>(fd), path.mid(path.lastIndexOf('/') + 1)};
}

} // namespace

CopyResult stageCopy(const QByteArray &from, const QByteArray &to, const CopyOptions &options,
                     StagedCopy &staged)
{
    const FileInFolder target = fileAtPath(to);
    if (!target.folder)
        return failure(errno, "open");
    OpenedOrigin opened = openOrigin(fileAtPath(from), true);
    struct stat old {};
    const bool replaces = fileCalls().fstatat(target.folder->fd(), target.name.constData(), &old,
                                              AT_SYMLINK_NOFOLLOW) == 0;
    return stageCopy(opened, target, replaces, options, staged);
}

CopyResult stageCopy(OpenedOrigin &opened, const FileInFolder &target, bool replaces,
                     const CopyOptions &options, StagedCopy &staged)
{
    FileCalls &calls = fileCalls();
    staged.discard();
    // Consumed whatever the outcome: closed on return.
    OpenedOrigin taken = std::move(opened);
    if (!taken.m_fd.isValid())
        return failure(taken.m_error, "openat");
    const int in = taken.m_fd.get();
    const struct stat &origin = taken.m_stat;
    if (!S_ISREG(origin.st_mode))
        return S_ISDIR(origin.st_mode) ? failure(EISDIR)
                                       : ownFailure(IoStatus::Cause::NotRegularFile);
    if (!target.folder)
        return failure(ENOENT);

    StagedCopy copy;
    copy.m_target = target;
    copy.m_fd.reset(createTemporaryFileAt(target.folder->fd(), 0600, &copy.m_temporary));
    if (!copy.m_fd.isValid())
        return folderFailure(errno, "openat");
    copy.m_origin = taken.m_file;
    copy.m_followOrigin = taken.m_followLink;
    copy.m_replaces = replaces;
    // A small copy's verification takes a moment: only a large one's is given up on Stop.
    copy.m_stop = qint64(origin.st_size) > kWritebackChunk ? options.stop : nullptr;
    copy.m_identity = StagedCopy::identityOf(origin);
    copy.m_originMtimeMs = fileStatFrom(origin).mtimeMs;
    struct stat temporary {};
    if (calls.fstat(copy.m_fd.get(), &temporary) != 0)
        return failure(errno, "fstat");
    copy.m_device = quint64(temporary.st_dev);

    CopyResult result = copyBytes(in, copy.m_fd.get(), origin, copy.m_device, options);
    if (result.outcome != CopyOutcome::Copied)
        return result;

    // A file system that refuses the times keeps the copy all the same: the time read back after
    // the rename tells what it stored.
    const struct timespec times[2] = {origin.st_atim, origin.st_mtim};
    copy.m_timesGiven = calls.futimens(copy.m_fd.get(), times) == 0;
    if (!copy.m_timesGiven && !timesUnsupported(errno))
        return failure(errno, "futimens");
    if (calls.fchmod(copy.m_fd.get(), origin.st_mode & 0777) != 0 &&
        !permissionBitsUnsupported(errno))
        return failure(errno, "fchmod");
    if (!copyAccessList(in, copy.m_fd.get(), origin.st_mode & 0777))
        return failure(errno, "fchmod");

    // Written to while read: seen on the open file, without a walk of its path. A file renamed
    // over the origin meanwhile is seen by the commit, which checks the name itself.
    struct stat now {};
    if (calls.fstat(in, &now) != 0 || StagedCopy::identityOf(now) != copy.m_identity)
        return sourceChanged();

    copy.m_verify = options.verify;
    staged = std::move(copy);
    return {CopyOutcome::Copied, {}};
}

// Compares the copy with its origin, reopened by its name. Once the copy is flushed its pages
// are clean and can be dropped, so that it is read from its disk and a write the medium lost is
// seen; otherwise both sides would come from memory, and the copy is not called verified.
CopyOutcome StagedCopy::verify(bool flushed)
{
    FileCalls &calls = fileCalls();
    const bool fromDisk = flushed && calls.fadvise(m_fd.get(), 0, 0, POSIX_FADV_DONTNEED) == 0;
    const int flags =
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (m_followOrigin ? 0 : O_NOFOLLOW);
    const int in = calls.openat(m_origin.folder->fd(), m_origin.name.constData(), flags, 0);
    if (in < 0)
        return CopyOutcome::CopiedUnverified; // a gone origin is told by the name check next
    const UniqueFd closeIn(in);
    struct stat origin {};
    struct stat written {};
    if (calls.fstat(in, &origin) != 0 || calls.fstat(m_fd.get(), &written) != 0)
        return CopyOutcome::CopiedUnverified;
    if (identityOf(origin) != m_identity)
        return CopyOutcome::SourceChanged;
    if (written.st_size != origin.st_size)
        return CopyOutcome::Mismatch;
    switch (compareOpenFiles(in, m_fd.get(), origin.st_size, m_stop)) {
    case FileComparison::Equal:
        return fromDisk ? CopyOutcome::Copied : CopyOutcome::CopiedUnverified;
    case FileComparison::Different:
        // A difference that the origin's own change explains is reported as that.
        if (calls.fstat(in, &origin) == 0 && identityOf(origin) != m_identity)
            return CopyOutcome::SourceChanged;
        return CopyOutcome::Mismatch;
    case FileComparison::Stopped:
        return CopyOutcome::Stopped;
    case FileComparison::Unreadable:
        break;
    }
    return CopyOutcome::CopiedUnverified;
}

CopyResult StagedCopy::nameTaken() const
{
    struct stat st {};
    if (fileCalls().fstatat(targetFolder(), m_target.name.constData(), &st, AT_SYMLINK_NOFOLLOW) ==
            0 &&
        S_ISDIR(st.st_mode))
        return failure(EISDIR); // never replaced, as ever
    CopyResult result{CopyOutcome::NameTaken, IoStatus::own(IoStatus::Cause::NameTaken)};
    result.takenBy = entryNamedLike(targetFolder(), m_target.name);
    return result;
}

CopyResult StagedCopy::commit(Flush flush)
{
    if (!isValid())
        return failure(EBADF);
    FileCalls &calls = fileCalls();
    if (flush == Flush::Own && calls.fdatasync(m_fd.get()) != 0)
        return failure(errno, "fdatasync");

    CopyOutcome outcome = CopyOutcome::Copied;
    if (m_verify)
        outcome = verify(flush != Flush::None);
    if (outcome == CopyOutcome::Mismatch)
        return {outcome, IoStatus::own(IoStatus::Cause::CopyDiffers)};
    if (outcome == CopyOutcome::Stopped)
        return {outcome, {}};
    struct stat origin {};
    if (outcome == CopyOutcome::SourceChanged || !originUnchanged(origin))
        return sourceChanged();

    // An unnamed copy gets its name only now, so that a crash before leaves nothing behind: its
    // target's own name where none is there, which replaces nothing.
    if (m_temporary.isEmpty()) {
        if (placeUnnamedFileAt(m_fd.get(), targetFolder(), m_target.name.constData()))
            return placed(outcome, origin);
        if (errno != EEXIST)
            return folderFailure(errno, "linkat");
        if (!m_replaces)
            return nameTaken();
    }
    if (!nameTemporaryFileAt(m_fd.get(), targetFolder(), &m_temporary))
        return folderFailure(errno, "linkat");
    return renameIntoPlace(outcome);
}

CopyResult StagedCopy::renameIntoPlace(CopyOutcome outcome)
{
    FileCalls &calls = fileCalls();
    const int folder = targetFolder();
    const char *temporary = m_temporary.constData();
    const char *name = m_target.name.constData();
    const auto failed = [&](int error, const char *call) {
        calls.unlinkat(folder, temporary, 0);
        calls.close(m_fd.release());
        return folderFailure(error, call);
    };
    const char *call = nullptr;
    if (!writeBackSucceeded(m_fd.get(), &call))
        return failed(errno, call);
    int renamed = -1;
    if (m_replaces) {
        renamed = calls.renameat(folder, temporary, folder, name, 0);
    } else {
        renamed = calls.renameat(folder, temporary, folder, name, RENAME_NOREPLACE);
        // A file system without that flag: the name looked at just before, a moment's gap.
        struct stat st {};
        if (renamed != 0 && (errno == EINVAL || errno == ENOSYS)) {
            renamed = calls.fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) == 0
                          ? (errno = EEXIST, -1)
                          : calls.renameat(folder, temporary, folder, name, 0);
        }
        if (renamed != 0 && errno == EEXIST) {
            CopyResult taken = nameTaken();
            failed(EEXIST, "renameat2");
            return taken;
        }
    }
    if (renamed != 0)
        return failed(errno, "renameat2");
    // The folder is not flushed here: a run commits thousands of copies a second, and a flush
    // of the folder per file would cost more than the copy of a small file.
    settlePlacedFile(m_fd.get(), folder, false);
    calls.close(m_fd.release());
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
    const bool known = calls.fstat(m_fd.get(), &st) == 0;
    // A failed write-back told by the close leaves no file there, as before.
    if (calls.close(m_fd.release()) != 0) {
        const int error = errno;
        calls.unlinkat(targetFolder(), m_target.name.constData(), 0);
        return failure(error, "close");
    }
    // The times the file system kept, read on the open file; the name's way where they differ.
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
                fileCalls().syncfs(copy.m_fd.get()) != 0)
                flushEach = true;
        }
    }
    const StagedCopy::Flush how = !flush      ? StagedCopy::Flush::None
                                  : flushEach ? StagedCopy::Flush::Own
                                              : StagedCopy::Flush::Done;
    std::vector<CopyResult> results;
    results.reserve(staged.size());
    std::size_t next = 0;
    while (next < staged.size()) {
        StagedCopy committed = std::move(staged[next++]);
        results.push_back(committed.commit(how));
        if (results.back().outcome == CopyOutcome::Mismatch)
            break;
    }
    staged.erase(staged.begin(), staged.begin() + std::ptrdiff_t(next));
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
