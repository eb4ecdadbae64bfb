#include "support/childprocess.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

void writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n <= 0 && errno != EINTR)
            return;
        if (n > 0) {
            data += n;
            left -= n;
        }
    }
}

} // namespace

ChildOutcome runInChild(const std::function<QByteArray()> &body, int timeoutMs)
{
    ChildOutcome outcome;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return outcome;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return outcome;
    }
    if (pid == 0) {
        ::close(pipeFds[0]);
        // An exception must not climb into the test framework's copy in this child.
        try {
            writeAll(pipeFds[1], body());
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    QElapsedTimer timer;
    timer.start();
    char buffer[4096];
    for (;;) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0) {
            ::kill(pid, SIGKILL);
            outcome.timedOut = true;
            break;
        }
        pollfd p{pipeFds[0], POLLIN, 0};
        if (::poll(&p, 1, int(left)) <= 0)
            continue;
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0)
            outcome.output.append(buffer, n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        outcome.exited = !outcome.timedOut && WEXITSTATUS(status) == 0;
    else if (WIFSIGNALED(status))
        outcome.signal = WTERMSIG(status);
    return outcome;
}

bool becomeUnprivileged(const QString &tree)
{
    if (::geteuid() != 0)
        return true;
    const QByteArray root = QFile::encodeName(tree);
    if (::lchown(root.constData(), kNobody, kNobody) != 0)
        return false;
    QDirIterator it(tree, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        if (::lchown(QFile::encodeName(it.next()).constData(), kNobody, kNobody) != 0)
            return false;
    }
    // The folders above the tree must let that user through (the system's /tmp does).
    return ::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, kNobody) == 0 &&
           ::setresuid(kNobody, kNobody, kNobody) == 0 && ::geteuid() == kNobody &&
           ::access(root.constData(), R_OK | W_OK | X_OK) == 0;
}

bool mountPrivateTmpfs(const QString &folder, qint64 bytes)
{
    if (::geteuid() != 0 || ::unshare(CLONE_NEWNS) != 0)
        return false;
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return false;
    const QByteArray options = "size=" + QByteArray::number(bytes);
    return ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                   options.constData()) == 0;
}

void unmountPrivateTmpfs(const QString &folder)
{
    ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
}
