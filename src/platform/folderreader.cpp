#include "platform/folderreader.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;

} // namespace

FolderReader::FolderReader(const QByteArray &path)
{
    open(AT_FDCWD, path.constData(), kOpenFlags);
}

FolderReader::FolderReader(const FolderReader &parent, const char *name)
{
    m_refusesLinks = true;
    if (parent.m_fd < 0) {
        m_openError = EBADF;
        return;
    }
    open(parent.m_fd, name, kOpenFlags | O_NOFOLLOW);
}

void FolderReader::open(int parentFd, const char *path, int flags)
{
    m_fd = ::openat(parentFd, path, flags);
    if (m_fd < 0) {
        m_openError = errno;
        return;
    }
    struct stat st {};
    // The stream reads through a descriptor of its own, so that closing it once the entries
    // are read keeps the folder open for its sub-folders.
    const int streamFd = ::fstat(m_fd, &st) == 0 ? ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0) : -1;
    DIR *dir = streamFd >= 0 ? ::fdopendir(streamFd) : nullptr;
    if (dir == nullptr) {
        m_openError = errno != 0 ? errno : EIO;
        if (streamFd >= 0)
            ::close(streamFd);
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_id = {quint64(st.st_dev), quint64(st.st_ino)};
    m_dir = dir;
}

FolderReader::~FolderReader()
{
    finishReading();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FolderReader::vanished() const
{
    switch (m_openError) {
    case ENOENT:
    case ENOTDIR:
        return true;
    case ELOOP:
        return m_refusesLinks; // the entry became a link
    default:
        return false;
    }
}

void FolderReader::finishReading()
{
    if (m_dir != nullptr)
        ::closedir(static_cast<DIR *>(m_dir));
    m_dir = nullptr;
}

bool FolderReader::next(Entry &entry)
{
    if (m_dir == nullptr)
        return false;
    for (;;) {
        errno = 0;
        const struct dirent *d = ::readdir(static_cast<DIR *>(m_dir));
        if (d == nullptr) {
            m_readError = errno;
            return false;
        }
        const char *name = d->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        entry.name = name;
        switch (d->d_type) {
        case DT_DIR:
            entry.kind = Kind::Folder;
            break;
        case DT_LNK:
            entry.kind = Kind::Link;
            break;
        case DT_REG:
            entry.kind = Kind::Regular;
            break;
        case DT_UNKNOWN:
            entry.kind = Kind::Unknown;
            break;
        default:
            entry.kind = Kind::Other;
            break;
        }
        return true;
    }
}

FileStat FolderReader::statEntry(const char *name) const
{
    struct stat st {};
    if (::fstatat(m_fd, name, &st, 0) != 0) {
        FileStat failed;
        failed.error = errno != 0 ? errno : FileStat::ENOENT_FALLBACK;
        return failed;
    }
    return fileStatFrom(st);
}

bool FolderReader::isLink(const char *name) const
{
    struct stat st {};
    return ::fstatat(m_fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

} // namespace platform
