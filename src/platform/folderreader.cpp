#include "platform/folderreader.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FolderReader::FolderReader(const QByteArray &path, bool followLink)
{
    const int flags =
        O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | (followLink ? 0 : O_NOFOLLOW);
    m_fd = ::open(path.constData(), flags);
    if (m_fd < 0) {
        m_openError = errno;
        return;
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        m_openError = errno;
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_id = {quint64(st.st_dev), quint64(st.st_ino)};
    DIR *dir = ::fdopendir(m_fd);
    if (dir == nullptr) {
        m_openError = errno;
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_dir = dir;
}

FolderReader::~FolderReader()
{
    if (m_dir != nullptr)
        ::closedir(static_cast<DIR *>(m_dir)); // closes m_fd too
}

bool FolderReader::unreachable() const
{
    switch (m_openError) {
    case ENOENT:
    case ENOTDIR:
    case EACCES:
    case EPERM:
    case ELOOP:
    case ENAMETOOLONG:
        return true;
    default:
        return false;
    }
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
