#include "platform/deletefile.h"

#include "platform/filecalls.h"
#include "platform/nofollowpath.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

namespace platform {

namespace {

// Qt takes a name as text and writes it unescaped into the trash's record: a path that does not
// survive that would move another file, or leave a record that restores elsewhere.
bool trashTakesName(const QByteArray &path)
{
    return !path.contains('\n') && !path.contains('\r') &&
           QFile::encodeName(QFile::decodeName(path)) == path;
}

} // namespace

IoStatus ShellDeleteFile(const QByteArray &path, bool toTrash)
{
    struct stat st {};
    if (path.isEmpty() || fileCalls().lstat(path.constData(), &st) != 0)
        return IoStatus::fromErrno(path.isEmpty() ? ENOENT : errno);
    if (S_ISDIR(st.st_mode))
        return IoStatus::fromErrno(EISDIR);
    if (toTrash) {
        // Qt looks at a link's target before it moves the link: a dangling one never moves.
        struct stat target {};
        if (!trashTakesName(path) ||
            (S_ISLNK(st.st_mode) && fileCalls().stat(path.constData(), &target) != 0))
            return IoStatus::fromErrno(EOPNOTSUPP);
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

DeleteOutcome deleteFileBelow(const QByteArray &root, const QByteArray &relative, bool toTrash)
{
    const NoFollowPath file(root, relative);
    if (!file.status().ok())
        return {file.status()};
    if (file.kind() == NoFollowPath::Kind::Folder)
        return {IoStatus::fromErrno(EISDIR)};
    if (!toTrash)
        return {file.unlink()};
    // No folder below root is a link (checked just above), so the full path reaches this file.
    QByteArray path = root;
    if (!path.endsWith('/'))
        path += '/';
    path += relative.startsWith('/') ? relative.mid(1) : relative;
    const IoStatus trashed = ShellDeleteFile(path, true);
    return {trashed, !trashed.ok()};
}

} // namespace platform
