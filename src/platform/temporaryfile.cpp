#include "platform/temporaryfile.h"

#include "platform/filecalls.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace platform {

namespace {

constexpr int kSuffixLength = 6; // 36^6 names: collisions are retried anyway

} // namespace

QByteArray folderOfPath(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

int createTemporaryFile(const QByteArray &folder, mode_t mode, QByteArray *name)
{
    static constexpr char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray suffix(kSuffixLength, '0');
        for (char &c : suffix)
            c = digits[QRandomGenerator::global()->bounded(36)];
        *name = folder;
        name->append('/').append(kTempPrefix).append(suffix);
        const int fd = fileCalls().open(name->constData(),
                                        O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0) {
            (void)::flock(fd, LOCK_EX | LOCK_NB);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = fileCalls().write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace platform
