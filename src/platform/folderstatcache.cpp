#include "platform/folderstatcache.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

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
    // O_PATH needs no read permission, only the search permission that stat needs too.
    const QByteArray name = folder.toByteArray(); // with its terminating NUL
    const int fd = ::open(name.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
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
    if (fd < 0)
        return statPath(path); // the plain call gives the answer and its reason
    struct stat st {};
    if (::fstatat(fd, path.constData() + slash + 1, &st, 0) != 0) {
        FileStat failed;
        failed.error = errno != 0 ? errno : FileStat::ENOENT_FALLBACK;
        return failed;
    }
    return fileStatFrom(st);
}

} // namespace platform
