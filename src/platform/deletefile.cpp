#include "platform/deletefile.h"

#include "platform/filecalls.h"
#include "platform/nofollowpath.h"
#include "platform/trash.h"

#include <QFile>

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
    if (toTrash)
        return moveToTrash(path);
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
