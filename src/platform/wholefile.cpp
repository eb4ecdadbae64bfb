#include "platform/wholefile.h"

#include "platform/filecalls.h"

#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>

namespace platform {

WholeFileRead readWholeFile(FileCalls &calls, const QByteArray &path, qint64 maxSize,
                            QByteArray &bytes, int &error)
{
    bytes.clear();
    const int fd = calls.open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
    if (fd < 0) {
        error = errno;
        return error == ENOENT || error == ENOTDIR ? WholeFileRead::Missing
                                                   : WholeFileRead::Unreadable;
    }
    const auto closeFile = qScopeGuard([&calls, fd] { calls.close(fd); });
    struct stat st {};
    if (calls.fstat(fd, &st) != 0) {
        error = errno;
        return WholeFileRead::Unreadable;
    }
    if (S_ISDIR(st.st_mode)) {
        error = EISDIR;
        return WholeFileRead::Folder;
    }
    if (!S_ISREG(st.st_mode)) {
        error = EINVAL;
        return WholeFileRead::NotRegularFile;
    }
    if (st.st_size > maxSize) {
        error = EFBIG;
        return WholeFileRead::TooLarge;
    }
    // Room for one byte more than the size told, to see the end at once; a page at least.
    bytes.resize(std::min<qint64>(maxSize + 1, std::max<qint64>(st.st_size + 1, 4096)));
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > maxSize) {
                error = EFBIG;
                return WholeFileRead::TooLarge;
            }
            bytes.resize(std::min<qint64>(maxSize + 1, 2 * filled));
        }
        const ssize_t n = calls.read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            return WholeFileRead::Unreadable;
        }
        if (n == 0)
            break;
        filled += n;
    }
    bytes.truncate(filled);
    return WholeFileRead::Read;
}

QByteArray readSystemFile(const QByteArray &path)
{
    // The plain class is the system's own calls; a file of the system has no size limit of ours.
    static FileCalls systemCalls;
    QByteArray bytes;
    int error = 0;
    if (readWholeFile(systemCalls, path, std::numeric_limits<qint64>::max() - 1, bytes, error) !=
        WholeFileRead::Read)
        bytes.clear();
    return bytes;
}

} // namespace platform
