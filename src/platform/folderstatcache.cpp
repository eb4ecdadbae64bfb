#include "platform/folderstatcache.h"

#include <QList>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// O_PATH needs no read permission, only the search permission that stat needs too.
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

// Opens a folder whose path is longer than the system takes, one name at a time, as the system
// would resolve it (links followed). -1 with errno set on failure.
int openByComponents(const QByteArray &path)
{
    int fd = ::open(path.startsWith('/') ? "/" : ".", kFolderFlags);
    for (const QByteArray &name : path.split('/')) {
        if (fd < 0 || name.isEmpty())
            continue;
        const int next = ::openat(fd, name.constData(), kFolderFlags);
        const int error = errno;
        ::close(fd);
        fd = next;
        errno = error;
    }
    return fd;
}

} // namespace

FolderStatCache::~FolderStatCache()
{
    for (const Slot &slot : m_slots) {
        if (slot.fd >= 0)
            ::close(slot.fd);
    }
}

int FolderStatCache::folderFd(QByteArrayView folder)
{
    for (const Slot &slot : m_slots) {
        if (slot.fd >= 0 && slot.folder == folder)
            return slot.fd;
    }
    const QByteArray name = folder.toByteArray(); // with its terminating NUL
    int fd = ::open(name.constData(), kFolderFlags);
    if (fd < 0 && errno == ENAMETOOLONG)
        fd = openByComponents(name);
    if (fd < 0)
        return -1;
    Slot &slot = m_slots[m_next];
    m_next = (m_next + 1) % m_slots.size();
    if (slot.fd >= 0)
        ::close(slot.fd);
    slot.folder = name;
    slot.fd = fd;
    return fd;
}

FileStat FolderStatCache::stat(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash <= 0 || slash + 1 >= path.size())
        return statPath(path);
    const int fd = folderFd(QByteArrayView(path.constData(), slash));
    if (fd < 0) {
        if (path.size() < PATH_MAX)
            return statPath(path); // the plain call gives the answer and its reason
        FileStat failed;
        failed.error = errno != 0 ? errno : FileStat::ENOENT_FALLBACK;
        return failed;
    }
    struct stat st {};
    if (::fstatat(fd, path.constData() + slash + 1, &st, 0) != 0) {
        FileStat failed;
        failed.error = errno != 0 ? errno : FileStat::ENOENT_FALLBACK;
        return failed;
    }
    return fileStatFrom(st);
}

} // namespace platform
