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

QByteArrayList temporaryNames(const QByteArray &folder)
{
    QByteArrayList names;
    DIR *dir = ::opendir(folder.constData());
    if (dir == nullptr)
        return names;
    while (const struct dirent *entry = ::readdir(dir)) {
        if (isProgramTemporary(::dirfd(dir), entry->d_name))
            names.append(QByteArray(entry->d_name));
    }
    ::closedir(dir);
    return names;
}

} // namespace

int removeStaleTemporaries(const QByteArray &folder)
{
    int removed = 0;
    for (const QByteArray &name : temporaryNames(folder)) {
        const QByteArray path = folder + '/' + name;
        // Without following a link and without blocking on a FIFO: only our own plain files.
        const int fd = fileCalls().open(
            path.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0);
        if (fd < 0)
            continue;
        struct stat st {};
        // A living copy holds its temporary file locked; the lock dies with its process.
        if (fileCalls().fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && fileCalls().unlink(path.constData()) == 0)
            ++removed;
        fileCalls().close(fd);
    }
    return removed;
}

} // namespace platform
