#pragma once

#include <sys/types.h>

struct stat;
struct timespec;

namespace platform {

// The system calls behind the fail-safe copy and its neighbours (attributes, folder creation,
// deletion, removal of stale temporary files). Each has the system's contract: a result of -1
// with errno set on failure. The program runs on the system's own calls; a test installs a
// double for its thread that fails on demand (the tests' FaultyFileCalls).
class FileCalls {
public:
    FileCalls() = default;
    FileCalls(const FileCalls &) = delete;
    FileCalls &operator=(const FileCalls &) = delete;
    virtual ~FileCalls() = default;

    virtual int open(const char *path, int flags, mode_t mode);
    // open relative to an open folder (openat): only name is looked up, not the folders above.
    virtual int openat(int folder, const char *name, int flags, mode_t mode);
    virtual int close(int fd);
    // A second descriptor of the same open file (dup, close-on-exec).
    virtual int dup(int fd);
    virtual int fstat(int fd, struct stat *st);
    virtual int stat(const char *path, struct stat *st);
    virtual int lstat(const char *path, struct stat *st);
    // stat relative to an open folder (fstatat); AT_SYMLINK_NOFOLLOW examines a link itself.
    virtual int fstatat(int folder, const char *name, struct stat *st, int flags);
    virtual ssize_t read(int fd, void *buffer, size_t size);
    virtual ssize_t pread(int fd, void *buffer, size_t size, off_t offset);
    virtual ssize_t write(int fd, const void *buffer, size_t size);
    virtual off_t lseek(int fd, off_t offset, int whence);
    virtual int ftruncate(int fd, off_t length);
    // copy_file_range from the current offset of in to the current offset of out.
    virtual ssize_t copyFileRange(int in, int out, size_t size);
    // Shares the blocks of in with out (FICLONE), where the file system offers it.
    virtual int cloneFile(int out, int in);
    virtual int fdatasync(int fd);
    // Starts writing a range of fd to disk without waiting for it (sync_file_range).
    virtual int startWriteback(int fd, off_t offset, off_t length);
    // Flushes the whole file system that holds fd.
    virtual int syncfs(int fd);
    // posix_fadvise, with the contract of the others (-1 and errno, not the error returned).
    virtual int fadvise(int fd, off_t offset, off_t length, int advice);
    virtual int futimens(int fd, const struct timespec times[2]);
    virtual int utimensat(int folder, const char *path, const struct timespec times[2], int flags);
    virtual int fchmod(int fd, mode_t mode);
    virtual int chmod(const char *path, mode_t mode);
    virtual int rename(const char *from, const char *to);
    // rename between names of open folders (renameat2); flags as renameat2 takes them
    // (RENAME_NOREPLACE: never over an existing name).
    virtual int renameat(int fromFolder, const char *from, int toFolder, const char *to,
                         unsigned flags);
    virtual int linkat(int fromFolder, const char *from, int toFolder, const char *to, int flags);
    virtual int fsetxattr(int fd, const char *name, const void *value, size_t size, int flags);
    virtual int lremovexattr(const char *path, const char *name);
    virtual int fremovexattr(int fd, const char *name);
    virtual int unlink(const char *path);
    virtual int unlinkat(int folder, const char *name, int flags);
    virtual int mkdir(const char *path, mode_t mode);
    virtual int mkdirat(int folder, const char *name, mode_t mode);
};

// The calls in force on the current thread: the system's, unless a double is installed.
FileCalls &fileCalls();

// Installs calls for the current thread for its own lifetime, then restores the previous ones.
class ScopedFileCalls {
public:
    explicit ScopedFileCalls(FileCalls &calls);
    ~ScopedFileCalls();
    ScopedFileCalls(const ScopedFileCalls &) = delete;
    ScopedFileCalls &operator=(const ScopedFileCalls &) = delete;

private:
    FileCalls *m_previous;
};

} // namespace platform
