#include "platform/temporaryfile.h"

#include "platform/filecalls.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace platform {

namespace {

// The extended attribute that tells the program's temporary files from a user's files of the same
// name, when a crash left one behind.
constexpr char kMark[] = "user.tandrimo.temporary";
constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr int kAttempts = 100; // 36^6 names: a collision is rare, and retried

QByteArray freshName()
{
    QByteArray name(kTempPrefix);
    for (int i = 0; i < kTempSuffixLength; ++i)
        name.append(kDigits[QRandomGenerator::global()->bounded(36)]);
    return name;
}

// The file system offers no unnamed file (FAT, some FUSE and network file systems; EISDIR from
// a kernel that reads O_TMPFILE as a folder's O_DIRECTORY).
bool unnamedRefused(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

int createNamed(int folderFd, mode_t mode, QByteArray *name)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        *name = freshName();
        const int fd =
            fileCalls().openat(folderFd, name->constData(),
                               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// The folder of a path, open for calls relative to it; -1 with errno set.
int openFolderOf(const QByteArray &folder)
{
    return fileCalls().open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC, 0);
}

QByteArray pathIn(const QByteArray &folder, const QByteArray &name)
{
    QByteArray path = folder;
    if (!path.endsWith('/'))
        path += '/';
    return path.append(name);
}

// The link that /proc gives to the file open as fd.
QByteArray procLink(int fd)
{
    return QByteArray("/proc/self/fd/").append(QByteArray::number(fd));
}

bool hasTemporaryName(const char *name)
{
    const size_t prefix = sizeof kTempPrefix - 1;
    if (std::strncmp(name, kTempPrefix, prefix) != 0 ||
        std::strlen(name) != prefix + kTempSuffixLength)
        return false;
    return std::strspn(name + prefix, kDigits) == size_t(kTempSuffixLength);
}

// fd is an O_PATH descriptor, which fgetxattr refuses: its /proc link leads to the file itself.
bool hasMark(int fd)
{
    return ::getxattr(procLink(fd).constData(), kMark, nullptr, 0) >= 0;
}

// Without the mark (a file system without extended attributes) a named file left by a crash is
// never taken for ours: it stays, which is the safe side.
void markAndLock(int fd)
{
    (void)fileCalls().fsetxattr(fd, kMark, "1", 1, 0);
    (void)::flock(fd, LOCK_EX | LOCK_NB);
}

// Gives the open file fd the name name in the open folder folderFd, where no file has it yet
// (EEXIST otherwise). AT_EMPTY_PATH may be refused without a privilege (ENOENT, before Linux
// 6.10): the /proc link is not, and once it served where AT_EMPTY_PATH did not, it is used from
// then on.
bool linkOpenFile(int fd, int folderFd, const char *name)
{
    thread_local bool emptyPathRefused = false;
    if (!emptyPathRefused) {
        if (fileCalls().linkat(fd, "", folderFd, name, AT_EMPTY_PATH) == 0)
            return true;
        if (errno != ENOENT && errno != EPERM)
            return false;
    }
    if (fileCalls().linkat(AT_FDCWD, procLink(fd).constData(), folderFd, name, AT_SYMLINK_FOLLOW) !=
        0)
        return false;
    emptyPathRefused = true;
    return true;
}

} // namespace

int createTemporaryFileAt(int folderFd, mode_t mode, QByteArray *name)
{
    name->clear();
    int fd = fileCalls().openat(folderFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (fd < 0 && unnamedRefused(errno))
        fd = createNamed(folderFd, mode, name);
    if (fd < 0)
        return -1;
    // An unnamed file gets its mark and its lock only with a temporary name: placed under its
    // target's name at once, it never needs them.
    if (!name->isEmpty())
        markAndLock(fd);
    return fd;
}

int createTemporaryFile(const QByteArray &folder, mode_t mode, QByteArray *name)
{
    name->clear();
    const int folderFd = openFolderOf(folder);
    if (folderFd < 0)
        return -1;
    const int fd = createTemporaryFileAt(folderFd, mode, name);
    const int error = errno;
    fileCalls().close(folderFd);
    errno = error;
    if (!name->isEmpty())
        *name = pathIn(folder, *name);
    return fd;
}

bool nameTemporaryFileAt(int fd, int folderFd, QByteArray *name)
{
    if (!name->isEmpty())
        return true;
    markAndLock(fd);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const QByteArray candidate = freshName();
        if (linkOpenFile(fd, folderFd, candidate.constData())) {
            *name = candidate;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

bool nameTemporaryFile(int fd, const QByteArray &folder, QByteArray *name)
{
    if (!name->isEmpty())
        return true;
    const int folderFd = openFolderOf(folder);
    if (folderFd < 0)
        return false;
    const bool named = nameTemporaryFileAt(fd, folderFd, name);
    const int error = errno;
    fileCalls().close(folderFd);
    errno = error;
    if (named)
        *name = pathIn(folder, *name);
    return named;
}

bool placeUnnamedFileAt(int fd, int folderFd, const char *name)
{
    return linkOpenFile(fd, folderFd, name);
}

void unmarkPlacedFile(int fd)
{
    (void)fileCalls().fremovexattr(fd, kMark);
}

bool isProgramTemporary(int folderFd, const char *name)
{
    if (!hasTemporaryName(name))
        return false;
    // O_PATH opens nothing: no FIFO or device is woken, and the link itself is looked at.
    const int fd = ::openat(folderFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && hasMark(fd);
    ::close(fd);
    return ours;
}

bool permissionBitsUnsupported(int error)
{
    // EOPNOTSUPP is also ENOTSUP here.
    return error == ENOSYS || error == EOPNOTSUPP || error == EPERM || error == EINVAL ||
           error == EACCES;
}

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = fileCalls().write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace platform
