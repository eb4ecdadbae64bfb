#include "platform/attributes.h"

#include "platform/filecalls.h"

#include <cerrno>
#include <sys/stat.h>

namespace platform {

namespace {

bool hiddenName(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1).startsWith('.');
}

} // namespace

std::optional<unsigned> fileAttributes(const QByteArray &path)
{
    struct stat st {};
    if (path.isEmpty() || fileCalls().stat(path.constData(), &st) != 0)
        return std::nullopt;
    unsigned attributes = 0;
    if ((st.st_mode & S_IWUSR) == 0)
        attributes |= AttributeReadOnly;
    if (hiddenName(path))
        attributes |= AttributeHidden;
    return attributes;
}

IoStatus clearReadOnly(const QByteArray &path)
{
    struct stat st {};
    if (fileCalls().stat(path.constData(), &st) != 0)
        return IoStatus::fromErrno(errno);
    if ((st.st_mode & S_IWUSR) != 0)
        return IoStatus::success();
    if (fileCalls().chmod(path.constData(), (st.st_mode & 07777) | S_IWUSR) != 0)
        return IoStatus::fromErrno(errno);
    return IoStatus::success();
}

IoStatus clearHidden(const QByteArray &)
{
    return IoStatus::success();
}

IoStatus clearSystem(const QByteArray &)
{
    return IoStatus::success();
}

} // namespace platform
