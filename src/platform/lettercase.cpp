#include "platform/lettercase.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

QSet<QByteArray> folderEntryNames(int folderFd)
{
    QSet<QByteArray> names;
    const int fd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        if (fd >= 0)
            ::close(fd);
        return names;
    }
    while (const struct dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.insert(name);
    }
    ::closedir(dir);
    return names;
}

QByteArray nameInOtherCase(const QSet<QByteArray> &names, const QByteArray &name)
{
    // Compared as text, so that letters beyond ASCII match as the disk's rules would.
    const QString text = QFile::decodeName(name);
    for (const QByteArray &candidate : names) {
        if (candidate != name &&
            QFile::decodeName(candidate).compare(text, Qt::CaseInsensitive) == 0)
            return candidate;
    }
    return {};
}

QByteArray entryNamedLike(int folderFd, const QByteArray &name)
{
    const QSet<QByteArray> names = folderEntryNames(folderFd);
    return names.contains(name) ? name : nameInOtherCase(names, name);
}

} // namespace platform
