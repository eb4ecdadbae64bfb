#include "platform/foldertree.h"

#include "platform/filecalls.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

namespace {

// O_PATH needs no read permission on the folder, only the search permission of those above.
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

// Opens the folder name below parent; a symbolic link is refused with ELOOP, anything else that
// is no folder with ENOTDIR.
int openChild(int parent, const char *name)
{
    FileCalls &calls = fileCalls();
    const int fd = calls.openat(parent, name, kFolderFlags | O_NOFOLLOW, 0);
    if (fd >= 0 || errno != ENOTDIR)
        return fd;
    struct stat st {};
    const bool link =
        calls.fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
    errno = link ? ELOOP : ENOTDIR;
    return -1;
}

FolderRef shared(int fd)
{
    return std::make_shared<const OpenFolder>(fd);
}

} // namespace

OpenFolder::~OpenFolder()
{
    if (m_fd >= 0)
        fileCalls().close(m_fd);
}

FolderTree::FolderTree(const QByteArray &root) : m_rootPath(root)
{
    const int fd = fileCalls().open(root.constData(), kFolderFlags, 0);
    if (fd < 0)
        m_rootStatus = IoStatus::fromErrno(errno);
    else
        m_root = shared(fd);
}

FolderReach FolderTree::reach(QByteArrayView relative, bool create)
{
    FolderReach reached;
    if (!m_root) {
        reached.status = m_rootStatus;
        return reached;
    }
    std::vector<QByteArrayView> names;
    for (qsizetype begin = 0; begin <= relative.size();) {
        qsizetype end = relative.indexOf('/', begin);
        if (end < 0)
            end = relative.size();
        const QByteArrayView name = relative.sliced(begin, end - begin);
        if (name == "..") {
            reached.status = IoStatus::own(IoStatus::Cause::InvalidName);
            reached.stoppedAt = relative.toByteArray();
            return reached;
        }
        if (!name.isEmpty() && name != ".")
            names.push_back(name);
        begin = end + 1;
    }

    std::size_t kept = 0;
    while (kept < m_chain.size() && kept < names.size() && m_chain[kept].name == names[kept])
        ++kept;
    m_chain.resize(kept);
    QByteArray path;
    for (std::size_t i = 0; i < kept; ++i)
        path.append('/').append(names[i]);

    for (std::size_t i = kept; i < names.size(); ++i) {
        const FolderRef &parent = m_chain.empty() ? m_root : m_chain.back().folder;
        const QByteArray name = names[i].toByteArray(); // with its terminating NUL
        path.append('/').append(name);
        int fd = openChild(parent->fd(), name.constData());
        if (fd < 0 && errno == ENOENT && create) {
            // Made by another meanwhile (EEXIST) is as good, once it is a folder.
            const bool made = fileCalls().mkdirat(parent->fd(), name.constData(), 0777) == 0;
            reached.makeFailed = !made && errno != EEXIST;
            if (made)
                m_made.insert(path);
            if (made || errno == EEXIST)
                fd = openChild(parent->fd(), name.constData());
        }
        if (fd < 0) {
            // With O_NOFOLLOW on one name, ELOOP means that name is a link.
            reached.status = errno == ELOOP ? IoStatus::own(IoStatus::Cause::LinkRefused)
                                            : IoStatus::fromErrno(errno, "openat");
            reached.stoppedAt = path;
            return reached;
        }
        m_chain.push_back({name, shared(fd), m_made.contains(path)});
    }
    reached.folder = m_chain.empty() ? m_root : m_chain.back().folder;
    reached.made = !m_chain.empty() && m_chain.back().made;
    return reached;
}

QByteArrayView folderPartOf(QByteArrayView relative)
{
    const qsizetype slash = relative.lastIndexOf('/');
    return slash < 0 ? QByteArrayView() : relative.first(slash);
}

QByteArrayView namePartOf(QByteArrayView relative)
{
    return relative.sliced(relative.lastIndexOf('/') + 1);
}

} // namespace platform
