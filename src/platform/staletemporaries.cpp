#include "platform/staletemporaries.h"

#include "platform/filecalls.h"
#include "platform/temporaryfile.h"

#include <QByteArrayList>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace platform {

namespace {

QByteArrayList temporaryNames(int folderFd)
{
    QByteArrayList names;
    const int fd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return names;
    DIR *dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return names;
    }
    while (const struct dirent *entry = ::readdir(dir)) {
        if (isProgramTemporary(::dirfd(dir), entry->d_name))
            names.append(QByteArray(entry->d_name));
    }
    ::closedir(dir);
    return names;
}

} // namespace

int removeStaleTemporariesAt(int folderFd)
{
    int removed = 0;
    for (const QByteArray &name : temporaryNames(folderFd)) {
        // Without following a link and without blocking on a FIFO: only our own plain files.
        const int fd =
            fileCalls().openat(folderFd, name.constData(),
                               O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0);
        if (fd < 0)
            continue;
        struct stat st {};
        // A living copy holds its temporary file locked; the lock dies with its process.
        if (fileCalls().fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            fileCalls().unlinkat(folderFd, name.constData(), 0) == 0)
            ++removed;
        fileCalls().close(fd);
    }
    return removed;
}

int removeStaleTemporaries(const QByteArray &folder)
{
    const int folderFd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return 0;
    const int removed = removeStaleTemporariesAt(folderFd);
    ::close(folderFd);
    return removed;
}

} // namespace platform
