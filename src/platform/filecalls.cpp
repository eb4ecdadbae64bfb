#include "platform/filecalls.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace platform {

namespace {

FileCalls &systemCalls()
{
    static FileCalls calls;
    return calls;
}

thread_local FileCalls *t_installed = nullptr;

} // namespace

int FileCalls::open(const char *path, int flags, mode_t mode)
{
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int FileCalls::openat(int folder, const char *name, int flags, mode_t mode)
{
    int fd;
    do {
        fd = ::openat(folder, name, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int FileCalls::close(int fd)
{
    return ::close(fd);
}

int FileCalls::dup(int fd)
{
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

int FileCalls::fstat(int fd, struct stat *st)
{
    return ::fstat(fd, st);
}

int FileCalls::stat(const char *path, struct stat *st)
{
    return ::stat(path, st);
}

int FileCalls::lstat(const char *path, struct stat *st)
{
    return ::lstat(path, st);
}

int FileCalls::fstatat(int folder, const char *name, struct stat *st, int flags)
{
    return ::fstatat(folder, name, st, flags);
}

ssize_t FileCalls::read(int fd, void *buffer, size_t size)
{
    return ::read(fd, buffer, size);
}

ssize_t FileCalls::pread(int fd, void *buffer, size_t size, off_t offset)
{
    return ::pread(fd, buffer, size, offset);
}

ssize_t FileCalls::write(int fd, const void *buffer, size_t size)
{
    return ::write(fd, buffer, size);
}

off_t FileCalls::lseek(int fd, off_t offset, int whence)
{
    return ::lseek(fd, offset, whence);
}

int FileCalls::ftruncate(int fd, off_t length)
{
    return ::ftruncate(fd, length);
}

ssize_t FileCalls::copyFileRange(int in, int out, size_t size)
{
    return ::copy_file_range(in, nullptr, out, nullptr, size, 0);
}

int FileCalls::cloneFile(int out, int in)
{
    return ::ioctl(out, FICLONE, in);
}

int FileCalls::fdatasync(int fd)
{
    return ::fdatasync(fd);
}

int FileCalls::startWriteback(int fd, off_t offset, off_t length)
{
    return ::sync_file_range(fd, offset, length, SYNC_FILE_RANGE_WRITE);
}

int FileCalls::syncfs(int fd)
{
    return ::syncfs(fd);
}

int FileCalls::fadvise(int fd, off_t offset, off_t length, int advice)
{
    const int error = ::posix_fadvise(fd, offset, length, advice);
    if (error == 0)
        return 0;
    errno = error;
    return -1;
}

int FileCalls::futimens(int fd, const struct timespec times[2])
{
    return ::futimens(fd, times);
}

int FileCalls::utimensat(int folder, const char *path, const struct timespec times[2], int flags)
{
    return ::utimensat(folder, path, times, flags);
}

int FileCalls::fchmod(int fd, mode_t mode)
{
    return ::fchmod(fd, mode);
}

int FileCalls::chmod(const char *path, mode_t mode)
{
    return ::chmod(path, mode);
}

int FileCalls::rename(const char *from, const char *to)
{
    return ::rename(from, to);
}

int FileCalls::renameat(int fromFolder, const char *from, int toFolder, const char *to,
                        unsigned flags)
{
    return ::renameat2(fromFolder, from, toFolder, to, flags);
}

int FileCalls::linkat(int fromFolder, const char *from, int toFolder, const char *to, int flags)
{
    return ::linkat(fromFolder, from, toFolder, to, flags);
}

int FileCalls::fsetxattr(int fd, const char *name, const void *value, size_t size, int flags)
{
    return ::fsetxattr(fd, name, value, size, flags);
}

int FileCalls::lremovexattr(const char *path, const char *name)
{
    return ::lremovexattr(path, name);
}

int FileCalls::fremovexattr(int fd, const char *name)
{
    return ::fremovexattr(fd, name);
}

int FileCalls::unlink(const char *path)
{
    return ::unlink(path);
}

int FileCalls::unlinkat(int folder, const char *name, int flags)
{
    return ::unlinkat(folder, name, flags);
}

int FileCalls::mkdir(const char *path, mode_t mode)
{
    return ::mkdir(path, mode);
}

int FileCalls::mkdirat(int folder, const char *name, mode_t mode)
{
    return ::mkdirat(folder, name, mode);
}

FileCalls &fileCalls()
{
    return t_installed != nullptr ? *t_installed : systemCalls();
}

ScopedFileCalls::ScopedFileCalls(FileCalls &calls) : m_previous(t_installed)
{
    t_installed = &calls;
}

ScopedFileCalls::~ScopedFileCalls()
{
    t_installed = m_previous;
}

} // namespace platform
