#include "platform/nofollowpath.h"

#include <QList>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Opens the folder name below parent, a symbolic link refused with ELOOP.
int openFolder(int parent, const char *name)
{
    const int fd = ::openat(parent, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 || errno != ENOTDIR)
        return fd;
    struct stat st {};
    if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
        errno = ELOOP;
    else
        errno = ENOTDIR;
    return -1;
}

timespec timespecOf(const std::optional<NoFollowPath::FileTime> &time)
{
    if (!time.has_value())
        return timespec{0, UTIME_OMIT};
    return timespec{time_t(time->seconds), long(time->nanoseconds)};
}

NoFollowPath::FileTime fileTime(const timespec &time)
{
    return {qint64(time.tv_sec), qint64(time.tv_nsec)};
}

} // namespace

NoFollowPath::NoFollowPath(const QByteArray &root, const QByteArray &relative)
{
    m_folder = ::open(root.isEmpty() ? "/" : root.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0) {
        m_status = IoStatus::fromErrno(errno);
        return;
    }
    QList<QByteArray> parts = relative.split('/');
    parts.removeAll(QByteArray());
    if (parts.isEmpty()) {
        m_status = IoStatus::fromErrno(EISDIR);
        return;
    }
    m_name = parts.takeLast();
    for (const QByteArray &part : std::as_const(parts)) {
        const int next = openFolder(m_folder, part.constData());
        const int error = errno;
        ::close(m_folder);
        m_folder = next;
        if (next < 0) {
            m_status = error == ELOOP ? IoStatus::own(IoStatus::Cause::LinkRefused)
                                      : IoStatus::fromErrno(error, "openat");
            return;
        }
    }
}

NoFollowPath::~NoFollowPath()
{
    if (m_folder >= 0)
        ::close(m_folder);
}

NoFollowPath::Kind NoFollowPath::kind() const
{
    struct stat st {};
    if (!m_status.ok() || ::fstatat(m_folder, m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Kind::Missing;
    if (S_ISREG(st.st_mode))
        return Kind::Regular;
    if (S_ISLNK(st.st_mode))
        return Kind::Link;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    return Kind::Other;
}

bool NoFollowPath::isFile() const
{
    struct stat st {};
    return m_status.ok() && ::fstatat(m_folder, m_name.constData(), &st, 0) == 0 &&
           S_ISREG(st.st_mode);
}

IoStatus NoFollowPath::unlink() const
{
    if (!m_status.ok())
        return m_status;
    if (::unlinkat(m_folder, m_name.constData(), 0) != 0)
        return IoStatus::fromErrno(errno);
    return IoStatus::success();
}

IoStatus NoFollowPath::clearReadOnly() const
{
    if (!m_status.ok())
        return m_status;
    // O_PATH with O_NOFOLLOW gives the link itself, never its target.
    const int fd = ::openat(m_folder, m_name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return IoStatus::fromErrno(errno);
    struct stat st {};
    IoStatus status;
    if (::fstat(fd, &st) != 0)
        status = IoStatus::fromErrno(errno);
    else if (S_ISLNK(st.st_mode))
        status = IoStatus::own(IoStatus::Cause::LinkRefused);
    else if (!S_ISREG(st.st_mode))
        status = IoStatus::own(IoStatus::Cause::NotRegularFile);
    else if ((st.st_mode & S_IWUSR) == 0) {
        // An O_PATH descriptor takes no fchmod; its /proc link reaches the same file.
        const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
        if (::chmod(proc.constData(), (st.st_mode & 07777) | S_IWUSR) != 0)
            status = IoStatus::fromErrno(errno);
    }
    ::close(fd);
    return status;
}

bool NoFollowPath::isReadOnlyFile() const
{
    struct stat st {};
    return m_status.ok() &&
           ::fstatat(m_folder, m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

IoStatus NoFollowPath::setTimes(std::optional<FileTime> access, std::optional<FileTime> write) const
{
    if (!m_status.ok())
        return m_status;
    const Kind what = kind();
    if (what == Kind::Missing)
        return IoStatus::fromErrno(ENOENT);
    if (what == Kind::Link)
        return IoStatus::own(IoStatus::Cause::LinkRefused);
    if (what != Kind::Regular)
        return IoStatus::own(IoStatus::Cause::NotRegularFile);
    const timespec times[2] = {timespecOf(access), timespecOf(write)};
    if (::utimensat(m_folder, m_name.constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
        return IoStatus::fromErrno(errno);
    return IoStatus::success();
}

std::optional<NoFollowPath::Times> NoFollowPath::times() const
{
    struct stat st {};
    if (!m_status.ok() || ::fstatat(m_folder, m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return Times{fileTime(st.st_atim), fileTime(st.st_mtim)};
}

} // namespace platform
