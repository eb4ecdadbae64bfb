#include "support/faultyfilecalls.h"

#include "platform/temporaryfile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

void FaultyFileCalls::fail(FileCall call, int error, const QByteArray &part, int skip, int times)
{
    const std::lock_guard lock(m_mutex);
    m_failures.append({call, error, part, skip, times});
}

void FaultyFileCalls::diskFullAfter(qint64 bytes, const QByteArray &part)
{
    const std::lock_guard lock(m_mutex);
    m_diskLeft = bytes;
    m_diskPart = part;
}

void FaultyFileCalls::corruptReads(const QByteArray &part, qint64 offset)
{
    const std::lock_guard lock(m_mutex);
    m_corruptPart = part;
    m_corruptOffset = offset;
}

void FaultyFileCalls::before(FileCall call, const QByteArray &part, std::function<void()> action)
{
    const std::lock_guard lock(m_mutex);
    m_actions.append({call, part, std::move(action)});
}

int FaultyFileCalls::count(FileCall call, const QByteArray &part) const
{
    const std::lock_guard lock(m_mutex);
    int n = 0;
    for (const Entry &entry : m_log) {
        if (entry.call == call && entry.path.contains(part))
            ++n;
    }
    return n;
}

QByteArray FaultyFileCalls::pathOf(int fd) const
{
    const std::lock_guard lock(m_mutex);
    return m_paths.value(fd);
}

bool FaultyFileCalls::intercept(FileCall call, const QByteArray &path, const QByteArray &other)
{
    const auto matches = [&](const QByteArray &part) {
        return path.contains(part) || (!other.isEmpty() && other.contains(part));
    };
    std::function<void()> action;
    {
        const std::lock_guard lock(m_mutex);
        m_log.append({call, path});
        for (qsizetype i = 0; i < m_actions.size(); ++i) {
            if (m_actions[i].call == call && matches(m_actions[i].part)) {
                action = std::move(m_actions[i].run);
                m_actions.removeAt(i);
                break;
            }
        }
    }
    // Unlocked: an action may wait for another thread that calls through this double.
    if (action)
        action();
    const std::lock_guard lock(m_mutex);
    for (Failure &failure : m_failures) {
        if (failure.call != call || failure.times == 0 || !matches(failure.part))
            continue;
        if (failure.skip > 0) {
            --failure.skip;
            continue;
        }
        if (failure.times > 0)
            --failure.times;
        errno = failure.error;
        return true;
    }
    return false;
}

ssize_t FaultyFileCalls::allowance(int fd, size_t size)
{
    const QByteArray path = pathOf(fd);
    const std::lock_guard lock(m_mutex);
    if (m_diskLeft < 0 || !path.contains(m_diskPart))
        return ssize_t(size);
    if (m_diskLeft == 0) {
        errno = ENOSPC;
        return -1;
    }
    return ssize_t(std::min<qint64>(qint64(size), m_diskLeft));
}

void FaultyFileCalls::spent(int fd, ssize_t count)
{
    const QByteArray path = pathOf(fd);
    const std::lock_guard lock(m_mutex);
    if (count > 0 && m_diskLeft >= 0 && path.contains(m_diskPart))
        m_diskLeft -= count;
}

bool FaultyFileCalls::underDiskLimit(int fd) const
{
    const QByteArray path = pathOf(fd);
    const std::lock_guard lock(m_mutex);
    return m_diskLeft >= 0 && path.contains(m_diskPart);
}

void FaultyFileCalls::corrupt(int fd, void *buffer, ssize_t count, off_t offset)
{
    const QByteArray path = pathOf(fd);
    const std::lock_guard lock(m_mutex);
    if (m_corruptOffset < 0 || count <= 0 || !path.contains(m_corruptPart))
        return;
    if (m_corruptOffset >= offset && m_corruptOffset < offset + count)
        static_cast<char *>(buffer)[m_corruptOffset - offset] ^= 0x5A;
}

int FaultyFileCalls::open(const char *path, int flags, mode_t mode)
{
    return opened(path, flags, [&] { return FileCalls::open(path, flags, mode); });
}

QByteArray FaultyFileCalls::pathAt(int folder, const char *name)
{
    if (folder == AT_FDCWD || name[0] == '/')
        return name;
    QByteArray path(PATH_MAX, '\0');
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(folder);
    path.truncate(std::max<ssize_t>(0, ::readlink(link.constData(), path.data(), path.size())));
    if (name[0] != '\0' && std::strcmp(name, ".") != 0)
        path.append('/').append(name);
    return path;
}

int FaultyFileCalls::openat(int folder, const char *name, int flags, mode_t mode)
{
    return opened(pathAt(folder, name), flags,
                  [&] { return FileCalls::openat(folder, name, flags, mode); });
}

int FaultyFileCalls::opened(const QByteArray &path, int flags, const std::function<int()> &open)
{
    QByteArray named = path;
    if ((flags & O_TMPFILE) == O_TMPFILE)
        named.append('/').append(kTempPrefix);
    if (intercept(FileCall::Open, named))
        return -1;
    const int fd = open();
    if (fd >= 0) {
        const std::lock_guard lock(m_mutex);
        m_paths.insert(fd, named);
    }
    return fd;
}

int FaultyFileCalls::close(int fd)
{
    const QByteArray path = pathOf(fd);
    {
        const std::lock_guard lock(m_mutex);
        m_paths.remove(fd);
    }
    if (intercept(FileCall::Close, path)) {
        const int error = errno;
        FileCalls::close(fd); // a failed close still releases the descriptor
        errno = error;
        return -1;
    }
    return FileCalls::close(fd);
}

int FaultyFileCalls::dup(int fd)
{
    const int copy = FileCalls::dup(fd);
    if (copy >= 0) {
        const QByteArray path = pathOf(fd);
        const std::lock_guard lock(m_mutex);
        m_paths.insert(copy, path);
    }
    return copy;
}

int FaultyFileCalls::fstat(int fd, struct stat *st)
{
    return intercept(FileCall::Fstat, pathOf(fd)) ? -1 : FileCalls::fstat(fd, st);
}

int FaultyFileCalls::stat(const char *path, struct stat *st)
{
    return intercept(FileCall::Stat, path) ? -1 : FileCalls::stat(path, st);
}

int FaultyFileCalls::lstat(const char *path, struct stat *st)
{
    return intercept(FileCall::Lstat, path) ? -1 : FileCalls::lstat(path, st);
}

int FaultyFileCalls::fstatat(int folder, const char *name, struct stat *st, int flags)
{
    const FileCall call = (flags & AT_SYMLINK_NOFOLLOW) ? FileCall::Lstat : FileCall::Stat;
    return intercept(call, pathAt(folder, name)) ? -1 : FileCalls::fstatat(folder, name, st, flags);
}

ssize_t FaultyFileCalls::read(int fd, void *buffer, size_t size)
{
    if (intercept(FileCall::Read, pathOf(fd)))
        return -1;
    const off_t offset = ::lseek(fd, 0, SEEK_CUR);
    const ssize_t n = FileCalls::read(fd, buffer, size);
    corrupt(fd, buffer, n, offset);
    return n;
}

ssize_t FaultyFileCalls::pread(int fd, void *buffer, size_t size, off_t offset)
{
    if (intercept(FileCall::Pread, pathOf(fd)))
        return -1;
    const ssize_t n = FileCalls::pread(fd, buffer, size, offset);
    corrupt(fd, buffer, n, offset);
    return n;
}

ssize_t FaultyFileCalls::write(int fd, const void *buffer, size_t size)
{
    if (intercept(FileCall::Write, pathOf(fd)))
        return -1;
    const ssize_t allowed = allowance(fd, size);
    if (allowed < 0)
        return -1;
    const ssize_t n = FileCalls::write(fd, buffer, size_t(allowed));
    spent(fd, n);
    return n;
}

off_t FaultyFileCalls::lseek(int fd, off_t offset, int whence)
{
    return intercept(FileCall::Lseek, pathOf(fd)) ? -1 : FileCalls::lseek(fd, offset, whence);
}

int FaultyFileCalls::ftruncate(int fd, off_t length)
{
    return intercept(FileCall::Ftruncate, pathOf(fd)) ? -1 : FileCalls::ftruncate(fd, length);
}

ssize_t FaultyFileCalls::copyFileRange(int in, int out, size_t size)
{
    if (intercept(FileCall::CopyFileRange, pathOf(out), pathOf(in)))
        return -1;
    const ssize_t allowed = allowance(out, size);
    if (allowed < 0)
        return -1;
    const ssize_t n = FileCalls::copyFileRange(in, out, size_t(allowed));
    spent(out, n);
    return n;
}

int FaultyFileCalls::cloneFile(int out, int in)
{
    if (intercept(FileCall::CloneFile, pathOf(out), pathOf(in)))
        return -1;
    // A reflink writes no bytes the double could count: under a full disk it is refused.
    if (underDiskLimit(out)) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return FileCalls::cloneFile(out, in);
}

int FaultyFileCalls::fdatasync(int fd)
{
    return intercept(FileCall::Fdatasync, pathOf(fd)) ? -1 : FileCalls::fdatasync(fd);
}

int FaultyFileCalls::startWriteback(int fd, off_t offset, off_t length)
{
    return intercept(FileCall::StartWriteback, pathOf(fd))
               ? -1
               : FileCalls::startWriteback(fd, offset, length);
}

int FaultyFileCalls::syncfs(int fd)
{
    return intercept(FileCall::Syncfs, pathOf(fd)) ? -1 : FileCalls::syncfs(fd);
}

int FaultyFileCalls::fadvise(int fd, off_t offset, off_t length, int advice)
{
    return intercept(FileCall::Fadvise, pathOf(fd))
               ? -1
               : FileCalls::fadvise(fd, offset, length, advice);
}

int FaultyFileCalls::futimens(int fd, const struct timespec times[2])
{
    return intercept(FileCall::Futimens, pathOf(fd)) ? -1 : FileCalls::futimens(fd, times);
}

int FaultyFileCalls::utimensat(int folder, const char *path, const struct timespec times[2],
                               int flags)
{
    return intercept(FileCall::Utimensat, pathAt(folder, path))
               ? -1
               : FileCalls::utimensat(folder, path, times, flags);
}

int FaultyFileCalls::fchmod(int fd, mode_t mode)
{
    return intercept(FileCall::Fchmod, pathOf(fd)) ? -1 : FileCalls::fchmod(fd, mode);
}

int FaultyFileCalls::chmod(const char *path, mode_t mode)
{
    return intercept(FileCall::Chmod, path) ? -1 : FileCalls::chmod(path, mode);
}

int FaultyFileCalls::rename(const char *from, const char *to)
{
    return intercept(FileCall::Rename, from, to) ? -1 : FileCalls::rename(from, to);
}

int FaultyFileCalls::renameat(int fromFolder, const char *from, int toFolder, const char *to,
                              unsigned flags)
{
    return intercept(FileCall::Rename, pathAt(fromFolder, from), pathAt(toFolder, to))
               ? -1
               : FileCalls::renameat(fromFolder, from, toFolder, to, flags);
}

int FaultyFileCalls::linkat(int fromFolder, const char *from, int toFolder, const char *to,
                            int flags)
{
    // The file linked: a descriptor itself, or through its /proc/self/fd link.
    static constexpr char proc[] = "/proc/self/fd/";
    QByteArray source = from;
    if (flags & AT_EMPTY_PATH)
        source = pathOf(fromFolder);
    else if (source.startsWith(proc))
        source = pathOf(source.mid(sizeof proc - 1).toInt());
    return intercept(FileCall::Link, pathAt(toFolder, to), source)
               ? -1
               : FileCalls::linkat(fromFolder, from, toFolder, to, flags);
}

int FaultyFileCalls::fsetxattr(int fd, const char *name, const void *value, size_t size, int flags)
{
    return intercept(FileCall::SetXattr, pathOf(fd))
               ? -1
               : FileCalls::fsetxattr(fd, name, value, size, flags);
}

int FaultyFileCalls::lremovexattr(const char *path, const char *name)
{
    return intercept(FileCall::RemoveXattr, path) ? -1 : FileCalls::lremovexattr(path, name);
}

int FaultyFileCalls::fremovexattr(int fd, const char *name)
{
    return intercept(FileCall::RemoveXattr, pathOf(fd)) ? -1 : FileCalls::fremovexattr(fd, name);
}

int FaultyFileCalls::unlink(const char *path)
{
    return intercept(FileCall::Unlink, path) ? -1 : FileCalls::unlink(path);
}

int FaultyFileCalls::unlinkat(int folder, const char *name, int flags)
{
    return intercept(FileCall::Unlink, pathAt(folder, name))
               ? -1
               : FileCalls::unlinkat(folder, name, flags);
}

int FaultyFileCalls::mkdir(const char *path, mode_t mode)
{
    return intercept(FileCall::Mkdir, path) ? -1 : FileCalls::mkdir(path, mode);
}

int FaultyFileCalls::mkdirat(int folder, const char *name, mode_t mode)
{
    return intercept(FileCall::Mkdir, pathAt(folder, name))
               ? -1
               : FileCalls::mkdirat(folder, name, mode);
}

} // namespace platform
