#include "platform/runlock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

// Where the lock folder lies: the folder above it, and its own name there.
struct LockFolderPlace {
    QByteArray parent;
    QByteArray name;
};

LockFolderPlace lockFolderPlace()
{
    // A relative XDG_RUNTIME_DIR is invalid and ignored, as the base directory rules ask.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/'))
        return {runtime, "tandrimo"};
    const QByteArray temporary = qgetenv("TMPDIR");
    return {temporary.startsWith('/') ? temporary : QByteArray("/tmp"),
            "tandrimo-" + QByteArray::number(::geteuid())};
}

// Gives the folder that this run just made mode 0700, whatever the umask took from it. An O_PATH
// descriptor takes no fchmod; its /proc link reaches the same folder.
IoStatus giveOwnerAlone(int folder, const struct stat &st)
{
    if ((st.st_mode & 07777) == 0700)
        return IoStatus::success();
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(folder);
    return ::chmod(proc.constData(), 0700) == 0 ? IoStatus::success() : IoStatus::fromErrno(errno);
}

// The lock folder, made when missing, opened as a path (a folder of mode 0000 opens too), and
// checked to be the user's own: a folder reached without a link at its own name, owned by the
// user, mode 0700. The folder above may be reached through links: the system or the user named
// it. -1 with status set on failure.
int openLockFolder(IoStatus &status)
{
    const LockFolderPlace place = lockFolderPlace();
    const int parent = ::open(place.parent.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) {
        status = IoStatus::fromErrno(errno);
        return -1;
    }
    const bool made = ::mkdirat(parent, place.name.constData(), 0700) == 0;
    const int fd = made || errno == EEXIST ? ::openat(parent, place.name.constData(),
                                                      O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                                           : -1;
    const int openError = errno;
    ::close(parent);
    if (fd < 0) {
        status = IoStatus::fromErrno(openError);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        status = IoStatus::fromErrno(errno);
    else if (st.st_uid != ::geteuid())
        status = IoStatus::fromErrno(EACCES);
    else if (made)
        status = giveOwnerAlone(fd, st);
    else
        status = (st.st_mode & 07777) == 0700 ? IoStatus::success() : IoStatus::fromErrno(EACCES);
    if (status.ok())
        return fd;
    ::close(fd);
    return -1;
}

QByteArray lockFileName(const struct stat &folder)
{
    return "dest-" + QByteArray::number(quint64(folder.st_dev)) + '-' +
           QByteArray::number(quint64(folder.st_ino)) + ".lock";
}

// The lock file, made when missing. A flock needs no write access: it is opened to read, and
// kept readable by its owner, whatever the umask took from the file this run made.
int openLockFile(int folder, const QByteArray &name, IoStatus &status)
{
    const int fd =
        ::openat(folder, name.constData(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 ||
        ((st.st_mode & S_IRUSR) == 0 && ::fchmod(fd, 0600) != 0)) {
        status = IoStatus::fromErrno(errno);
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

RunLock RunLock::acquire(const QString &destinationFolder)
{
    struct stat destination {};
    if (::stat(QFile::encodeName(destinationFolder).constData(), &destination) != 0)
        return RunLock(State::Unavailable, IoStatus::fromErrno(errno), -1);
    if (!S_ISDIR(destination.st_mode))
        return RunLock(State::Unavailable, IoStatus::fromErrno(ENOTDIR), -1);
    IoStatus status;
    const int folder = openLockFolder(status);
    if (folder < 0)
        return RunLock(State::Unavailable, status, -1);
    const int fd = openLockFile(folder, lockFileName(destination), status);
    ::close(folder);
    if (fd < 0)
        return RunLock(State::Unavailable, status, -1);
    int locked;
    do
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked == 0)
        return RunLock(State::Held, IoStatus::success(), fd);
    const int lockError = errno;
    ::close(fd);
    if (lockError == EWOULDBLOCK)
        return RunLock(State::HeldElsewhere, IoStatus::success(), -1);
    return RunLock(State::Unavailable, IoStatus::fromErrno(lockError), -1);
}

RunLock::RunLock(State state, IoStatus status, int fd) : m_state(state), m_status(status), m_fd(fd)
{}

RunLock::RunLock(RunLock &&other) noexcept
    : m_state(std::exchange(other.m_state, State::Unavailable)),
      m_status(std::exchange(other.m_status, IoStatus::fromErrno(EBADF))),
      m_fd(std::exchange(other.m_fd, -1))
{}

RunLock &RunLock::operator=(RunLock &&other) noexcept
{
    if (this != &other) {
        release();
        m_state = std::exchange(other.m_state, State::Unavailable);
        m_status = std::exchange(other.m_status, IoStatus::fromErrno(EBADF));
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

RunLock::~RunLock()
{
    release();
}

void RunLock::release()
{
    // Closing the only descriptor of the lock file releases the flock.
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace platform
