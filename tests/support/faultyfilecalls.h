#pragma once

#include "platform/filecalls.h"

#include <QByteArray>
#include <QList>
#include <QMap>

#include <functional>
#include <mutex>

namespace platform {

// The calls of FileCalls, by name, for FaultyFileCalls.
enum class FileCall {
    Open,
    Close,
    Fstat,
    Stat,
    Lstat,
    Read,
    Pread,
    Write,
    Lseek,
    Ftruncate,
    CopyFileRange,
    CloneFile,
    Fdatasync,
    StartWriteback,
    Syncfs,
    Fadvise,
    Futimens,
    Utimensat,
    Fchmod,
    Chmod,
    Rename,
    Link,
    SetXattr,
    RemoveXattr,
    Unlink,
    Mkdir,
};

// A double of the system calls that fails on demand, for tests: install it on the thread that
// runs the code under test with ScopedFileCalls. Every call not told to fail goes to the system.
// A call "names" a path when it takes one, or when its descriptor was opened through this double
// with that path; a path matches a part when it contains that text (every path matches an
// empty part); a call relative to an open folder names the folder's path, as the system tells
// it, followed by the name. An unnamed temporary file (open with O_TMPFILE) is named "<folder>/"
// kTempPrefix, as the program's named ones begin. Calls may come from several threads at once; set
// it up before they begin.
class FaultyFileCalls : public FileCalls {
public:
    // The call fails with error when it names a path matching part, once `skip` such calls
    // went through; `times` failures, then it succeeds again (-1: for ever).
    void fail(FileCall call, int error, const QByteArray &part = {}, int skip = 0, int times = -1);
    // Writes into files matching part (write, copy_file_range, a reflink) go through until
    // `bytes` bytes went in altogether, then stop short and fail with ENOSPC, as a full disk does.
    void diskFullAfter(qint64 bytes, const QByteArray &part = {});
    // Reads of files matching part return the byte at offset changed.
    void corruptReads(const QByteArray &part, qint64 offset = 0);
    // Runs action once, just before the first call of that kind naming a path matching part.
    void before(FileCall call, const QByteArray &part, std::function<void()> action);

    // How many calls of that kind named a path matching part.
    int count(FileCall call, const QByteArray &part = {}) const;
    // Every call in order, with the first path it named.
    struct Entry {
        FileCall call;
        QByteArray path;
    };
    const QList<Entry> &log() const { return m_log; }

    int open(const char *path, int flags, mode_t mode) override;
    int openat(int folder, const char *name, int flags, mode_t mode) override;
    int close(int fd) override;
    int dup(int fd) override; // never fails; the copy names the same path
    int fstat(int fd, struct stat *st) override;
    int stat(const char *path, struct stat *st) override;
    int lstat(const char *path, struct stat *st) override;
    // Counted as Stat, or Lstat with AT_SYMLINK_NOFOLLOW.
    int fstatat(int folder, const char *name, struct stat *st, int flags) override;
    ssize_t read(int fd, void *buffer, size_t size) override;
    ssize_t pread(int fd, void *buffer, size_t size, off_t offset) override;
    ssize_t write(int fd, const void *buffer, size_t size) override;
    off_t lseek(int fd, off_t offset, int whence) override;
    int ftruncate(int fd, off_t length) override;
    ssize_t copyFileRange(int in, int out, size_t size) override;
    int cloneFile(int out, int in) override;
    int fdatasync(int fd) override;
    int startWriteback(int fd, off_t offset, off_t length) override;
    int syncfs(int fd) override;
    int fadvise(int fd, off_t offset, off_t length, int advice) override;
    int futimens(int fd, const struct timespec times[2]) override;
    int utimensat(int folder, const char *path, const struct timespec times[2], int flags) override;
    int fchmod(int fd, mode_t mode) override;
    int chmod(const char *path, mode_t mode) override;
    int rename(const char *from, const char *to) override;
    // Counted as Rename.
    int renameat(int fromFolder, const char *from, int toFolder, const char *to,
                 unsigned flags) override;
    int linkat(int fromFolder, const char *from, int toFolder, const char *to, int flags) override;
    int fsetxattr(int fd, const char *name, const void *value, size_t size, int flags) override;
    int lremovexattr(const char *path, const char *name) override;
    int fremovexattr(int fd, const char *name) override; // counted as RemoveXattr
    int unlink(const char *path) override;
    int unlinkat(int folder, const char *name, int flags) override; // counted as Unlink
    int mkdir(const char *path, mode_t mode) override;
    int mkdirat(int folder, const char *name, mode_t mode) override; // counted as Mkdir

private:
    struct Failure {
        FileCall call;
        int error;
        QByteArray part;
        int skip;
        int times;
    };
    struct Action {
        FileCall call;
        QByteArray part;
        std::function<void()> run;
    };

    // Logs the call, runs its pending actions, and answers whether it must fail (errno set).
    bool intercept(FileCall call, const QByteArray &path, const QByteArray &other = {});
    // An open of path that may fail, then open(), its descriptor remembered under path.
    int opened(const QByteArray &path, int flags, const std::function<int()> &open);
    QByteArray pathOf(int fd) const;
    // The path of name relative to the open folder, as the system tells the folder's.
    static QByteArray pathAt(int folder, const char *name);
    // How many of size bytes a write into fd may put, under diskFullAfter; -1 with ENOSPC.
    ssize_t allowance(int fd, size_t size);
    // Counts count bytes written into fd against the disk of diskFullAfter.
    void spent(int fd, ssize_t count);
    // fd is a file that diskFullAfter limits.
    bool underDiskLimit(int fd) const;
    void corrupt(int fd, void *buffer, ssize_t count, off_t offset);

    // Guards the bookkeeping below, never a system call or an action.
    mutable std::mutex m_mutex;
    QList<Failure> m_failures;
    QList<Action> m_actions;
    QList<Entry> m_log;
    QMap<int, QByteArray> m_paths;
    qint64 m_diskLeft = -1;
    QByteArray m_diskPart;
    QByteArray m_corruptPart;
    qint64 m_corruptOffset = -1;
};

} // namespace platform
