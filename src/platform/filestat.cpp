#include "platform/filestat.h"

#include "platform/filecalls.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

FileStat fileStatFrom(const struct ::stat &st)
{
    FileStat result;
    result.error = 0;
    result.regular = S_ISREG(st.st_mode);
    result.folder = S_ISDIR(st.st_mode);
    result.ownerWritable = (st.st_mode & S_IWUSR) != 0;
    result.size = st.st_size;
    // tv_nsec is never negative: the finer parts are dropped towards the past, also before 1970.
    result.mtimeMs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    result.device = st.st_dev;
    result.inode = st.st_ino;
    return result;
}

FileStat statPath(const char *path)
{
    struct stat st {};
    if (::stat(path, &st) != 0) {
        FileStat failed;
        failed.error = errno != 0 ? errno : FileStat::ENOENT_FALLBACK;
        return failed;
    }
    return fileStatFrom(st);
}

FileStat statAt(int folderFd, const char *name, bool followLink)
{
    struct stat st {};
    if (fileCalls().fstatat(folderFd, name, &st, followLink ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
        FileStat failed;
        failed.error = errno != 0 ? errno : FileStat::ENOENT_FALLBACK;
        return failed;
    }
    return fileStatFrom(st);
}

FileStat statPath(const QString &path)
{
    if (path.contains(QChar(0)))
        return FileStat();
    return statPath(QFile::encodeName(path));
}

bool mayLieOnAbsentDisk(const QString &folder)
{
    const QString path = QDir::cleanPath(folder);
    const bool mountBase =
        path.startsWith(u"/media/") || path.startsWith(u"/run/media/") || path.startsWith(u"/mnt/");
    if (!mountBase)
        return false;
    QString existing = path;
    while (existing.size() > 1 && !statPath(existing).ok())
        existing = existing.left(std::max<qsizetype>(1, existing.lastIndexOf(u'/')));
    return statPath(existing).device == statPath("/").device;
}

bool isFileSystemRoot(const QString &folder)
{
    if (folder.isEmpty() || folder.contains(QChar(0)))
        return false;
    const QByteArray path = QFile::encodeName(folder);
    const FileStat self = statPath(path);
    const FileStat parent = statPath(path + "/..");
    if (!self.ok() || !self.folder || !parent.ok())
        return false;
    // "/" is its own parent; a mount point lies on another device than the folder above it.
    return self.device != parent.device || self.inode == parent.inode;
}

} // namespace platform
