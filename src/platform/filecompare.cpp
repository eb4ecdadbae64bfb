#include "platform/filecompare.h"

#include "platform/filecalls.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace platform {

namespace {

// Large enough that the system calls cost nothing beside the comparison, small enough for cache.
constexpr size_t kBlock = 1 << 20;

// Reads up to size bytes at offset, retrying short reads; the count read, or -1.
ssize_t readFully(int fd, char *buffer, size_t size, off_t offset)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = fileCalls().pread(fd, buffer + done, size - done, offset + off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += size_t(n);
    }
    return ssize_t(done);
}

class OpenFile {
public:
    explicit OpenFile(const QByteArray &path)
        : m_fd(fileCalls().open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0))
    {}
    ~OpenFile()
    {
        if (m_fd >= 0)
            fileCalls().close(m_fd);
    }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;
    int fd() const { return m_fd; }
    // The size of a regular file, or -1.
    qint64 regularSize() const
    {
        struct stat st {};
        if (m_fd < 0 || fileCalls().fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))
            return -1;
        return st.st_size;
    }

private:
    int m_fd;
};

} // namespace

FileComparison compareOpenFiles(int a, int b, qint64 size, const std::atomic<bool> *stop)
{
    thread_local std::vector<char> first;
    thread_local std::vector<char> second;
    const size_t block = size_t(std::min<qint64>(qint64(kBlock), std::max<qint64>(size, 1)));
    if (first.size() < block) {
        first.resize(block);
        second.resize(block);
    }
    for (qint64 offset = 0; offset < size;) {
        if (stop != nullptr && stop->load(std::memory_order_relaxed))
            return FileComparison::Stopped;
        const size_t want = size_t(std::min<qint64>(qint64(block), size - offset));
        const ssize_t r1 = readFully(a, first.data(), want, off_t(offset));
        const ssize_t r2 = readFully(b, second.data(), want, off_t(offset));
        if (r1 < 0 || r2 < 0)
            return FileComparison::Unreadable;
        if (size_t(r1) != want || size_t(r2) != want)
            return FileComparison::Different;
        if (std::memcmp(first.data(), second.data(), want) != 0)
            return FileComparison::Different;
        offset += qint64(want);
    }
    return FileComparison::Equal;
}

FileComparison compareFiles(const QByteArray &a, const QByteArray &b)
{
    const OpenFile first(a);
    const qint64 firstSize = first.regularSize();
    if (firstSize < 0)
        return FileComparison::Unreadable;
    const OpenFile second(b);
    const qint64 secondSize = second.regularSize();
    if (secondSize < 0)
        return FileComparison::Unreadable;
    if (firstSize != secondSize)
        return FileComparison::Different;
    return compareOpenFiles(first.fd(), second.fd(), firstSize);
}

} // namespace platform
