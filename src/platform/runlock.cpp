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
        status = IoStatus::own(IoStatus::Cause::NotOwnFolder);
    else if (made)
        status = giveOwnerAlone(fd, st);
    else
        status = (st.st_mode & 07777) == 0700 ? IoStatus::success()
                                              : IoStatus::own(IoStatus::Cause::NotOwnFolder);
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

// An flock on fd, never waiting: 0, or -1 with errno (EWOULDBLOCK: another holds it).
int lockNow(int fd)
{
    int locked;
    do
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    return locked;
}

// The lock file's flock: the descriptor holding it, or -1 with held set when another run holds
// it, or with status set when it cannot be taken.
int lockFileOf(const struct stat &destination, bool &held, IoStatus &status)
{
    const int folder = openLockFolder(status);
    if (folder < 0)
        return -1;
    const int fd = openLockFile(folder, lockFileName(destination), status);
    ::close(folder);
    if (fd < 0)
        return -1;
    if (lockNow(fd) == 0)
        return fd;
    const int error = errno;
    ::close(fd);
    held = error == EWOULDBLOCK;
    if (!held)
        status = IoStatus::fromErrno(error);
    return -1;
}

} // namespace

RunLock RunLock::acquire(const QString &destinationFolder)
{
    const QByteArray path = QFile::encodeName(destinationFolder);
    struct stat destination {};
    if (::stat(path.constData(), &destination) != 0)
        return RunLock(State::Unavailable, IoStatus::fromErrno(errno), -1, -1);
    if (!S_ISDIR(destination.st_mode))
        return RunLock(State::Unavailable, IoStatus::fromErrno(ENOTDIR), -1, -1);
    // The folder itself is locked too: a run that sees another lock folder (a cron job has no
    // XDG_RUNTIME_DIR, another user has a folder of their own) still meets this one. A file
    // system that takes no flock on a folder leaves the lock file alone to tell.
    int folderFd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0 && lockNow(folderFd) != 0) {
        const bool heldElsewhere = errno == EWOULDBLOCK;
        ::close(folderFd);
        folderFd = -1;
        if (heldElsewhere)
            return RunLock(State::HeldElsewhere, IoStatus::success(), -1, -1);
    }
    bool held = false;
    IoStatus status;
    const int fd = lockFileOf(destination, held, status);
    if (held) {
        if (folderFd >= 0)
            ::close(folderFd);
        return RunLock(State::HeldElsewhere, IoStatus::success(), -1, -1);
    }
    if (fd < 0 && folderFd < 0)
        return RunLock(State::Unavailable, status, -1, -1);
    return RunLock(State::Held, IoStatus::success(), fd, folderFd);
}

RunLock::RunLock(State state, IoStatus status, int fd, int folderFd)
    : m_state(state), m_status(status), m_fd(fd), m_folderFd(folderFd)
{}

RunLock::RunLock(RunLock &&other) noexcept
    : m_state(std::exchange(other.m_state, State::Unavailable)),
      m_status(std::exchange(other.m_status, IoStatus::fromErrno(EBADF))),
      m_fd(std::move(other.m_fd)), m_folderFd(std::move(other.m_folderFd))
{}

RunLock &RunLock::operator=(RunLock &&other) noexcept
{
    if (this != &other) {
        release();
        m_state = std::exchange(other.m_state, State::Unavailable);
        m_status = std::exchange(other.m_status, IoStatus::fromErrno(EBADF));
        m_fd = std::move(other.m_fd);
        m_folderFd = std::move(other.m_folderFd);
    }
    return *this;
}

RunLock::~RunLock()
{
    release();
}

void RunLock::release()
{
    // Closing the only descriptor of each releases its flock.
    m_fd.reset();
    m_folderFd.reset();
}

} // namespace platform
