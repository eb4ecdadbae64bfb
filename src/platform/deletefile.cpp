#include "platform/deletefile.h"

#include "platform/filecalls.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

namespace platform {

IoStatus ShellDeleteFile(const QByteArray &path, bool toTrash)
{
    struct stat st {};
    if (path.isEmpty() || fileCalls().lstat(path.constData(), &st) != 0)
        return IoStatus::fromErrno(path.isEmpty() ? ENOENT : errno);
    if (S_ISDIR(st.st_mode))
        return IoStatus::fromErrno(EISDIR);
    if (toTrash) {
        // Qt falls back on the home trash when a volume has none of its own, and when it cannot
        // make that one either, it moves the file into the current folder: the home trash is
        // made here first, and without it nothing is moved.
        const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (home.isEmpty() || !QDir().mkpath(home + QStringLiteral("/Trash/files")) ||
            !QDir().mkpath(home + QStringLiteral("/Trash/info")))
            return IoStatus::fromErrno(EACCES);
        errno = 0;
        if (!QFile::moveToTrash(QFile::decodeName(path)))
            return IoStatus::fromErrno(errno);
        return IoStatus::success();
    }
    if (fileCalls().unlink(path.constData()) != 0)
        return IoStatus::fromErrno(errno);
    return IoStatus::success();
}

IoStatus ShellDeleteFile(const QString &path, bool toTrash)
{
    return ShellDeleteFile(QFile::encodeName(path), toTrash);
}

} // namespace platform
