#include "platform/atomicwrite.h"

#include "platform/filecalls.h"
#include "platform/paths.h"
#include "platform/temporaryfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A symbolic link is replaced through its target, so that the link itself stays.
QByteArray resolveLink(const QByteArray &path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    const QString target = QFile::symLinkTarget(QFile::decodeName(path));
    return target.isEmpty() ? path : QFile::encodeName(target);
}

} // namespace

IoStatus replaceFileAtomically(const QString &path, const QByteArray &bytes)
{
    const QByteArray target = resolveLink(QFile::encodeName(path));
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists) {
        if (!S_ISREG(old.st_mode))
            return S_ISDIR(old.st_mode) ? IoStatus::fromErrno(EISDIR)
                                        : IoStatus::own(IoStatus::Cause::NotRegularFile);
        if ((old.st_mode & S_IWUSR) == 0 || ::access(target.constData(), W_OK) != 0)
            return IoStatus::fromErrno(EACCES);
    } else if (errno != ENOENT) {
        return IoStatus::fromErrno(errno);
    }

    const QByteArray folderPath = folderOfPath(target);
    QByteArray temporary; // stays empty while the file has no name
    const int fd = createTemporaryFile(folderPath, 0666, &temporary);
    if (fd < 0)
        return IoStatus::fromErrno(errno);

    bool written = writeAll(fd, bytes.constData(), size_t(bytes.size()));
    if (written && exists) {
        // Best effort: the new file keeps the old one's owner and permission bits, where the
        // file system keeps any.
        (void)::fchown(fd, old.st_uid, old.st_gid);
        written = ::fchmod(fd, old.st_mode & 07777) == 0 || permissionBitsUnsupported(errno);
    }
    written = written && ::fsync(fd) == 0 && nameTemporaryFile(fd, folderPath, &temporary);
    const int writeError = errno;
    const char *call = nullptr;
    const bool checked = written && writeBackSucceeded(fd, &call);
    if (!checked || ::rename(temporary.constData(), target.constData()) != 0) {
        const int error = !written ? writeError : errno;
        if (!temporary.isEmpty())
            ::unlink(temporary.constData());
        ::close(fd);
        return IoStatus::fromErrno(error);
    }
    const int folder = ::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    settlePlacedFile(fd, folder, true);
    if (folder >= 0)
        ::close(folder);
    ::close(fd);
    return IoStatus::success();
}

bool writeBackSucceeded(int fd, const char **call)
{
    FileCalls &calls = fileCalls();
    const int check = calls.dup(fd);
    if (check < 0) {
        *call = "dup";
        return false;
    }
    if (calls.close(check) != 0) {
        *call = "close";
        return false;
    }
    return true;
}

void settlePlacedFile(int fd, int folderFd, bool flushFolder)
{
    unmarkPlacedFile(fd);
    if (!flushFolder || folderFd < 0)
        return;
    if (::fsync(folderFd) == 0 || errno != EBADF)
        return;
    // A folder open as O_PATH cannot be flushed: it is opened once more for that.
    const int folder = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
}

} // namespace platform
