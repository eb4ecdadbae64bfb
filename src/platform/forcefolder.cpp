#include "platform/forcefolder.h"

#include "platform/filecalls.h"
#include "platform/paths.h"

#include <cerrno>
#include <sys/stat.h>

namespace platform {

namespace {

bool isFolder(const QByteArray &path)
{
    struct stat st {};
    return fileCalls().stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

IoStatus ForceFolder(const QByteArray &path, QList<QByteArray> *made)
{
    QByteArray folder = path;
    while (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    if (folder.isEmpty())
        return IoStatus::fromErrno(ENOENT);
    if (isFolder(folder))
        return IoStatus::success();
    // A name at the root or in the current folder has no folder to make above it.
    const QByteArray parentFolder = folderOfPath(folder);
    if (parentFolder != "/" && parentFolder != ".") {
        const IoStatus parent = ForceFolder(parentFolder, made);
        if (!parent.ok())
            return parent;
    }
    if (fileCalls().mkdir(folder.constData(), 0777) == 0) {
        if (made != nullptr)
            made->append(folder);
    } else if (!(errno == EEXIST && isFolder(folder))) {
        return IoStatus::fromErrno(errno == EEXIST ? ENOTDIR : errno);
    }
    return IoStatus::success();
}

} // namespace platform
