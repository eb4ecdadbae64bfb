#include "platform/folderchangewatch.h"

#include "platform/wholefile.h"

#include <QByteArrayView>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <linux/magic.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace platform {

namespace {

// Every change of a file's bytes, times, permissions or name, and the folder's own move or
// removal. Not the creation of a name, which a removal or a move came before; not the changes
// of a file that no longer has its name there, which the copies still waiting in their unnamed
// temporary files are.
constexpr std::uint32_t kMask = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                IN_MOVED_TO | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF |
                                IN_ONLYDIR | IN_EXCL_UNLINK;

// File systems on a disk of this machine, whose every change goes through this kernel.
bool toldEveryChange(int folderFd)
{
    struct statfs fs {};
    if (::fstatfs(folderFd, &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case EXT4_SUPER_MAGIC: // ext2 and ext3 too
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case MSDOS_SUPER_MAGIC:
    case EXFAT_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

// An unnamed file's attributes still reach its folder's watch, as "#" and its inode's number:
// every such name counts as one, so that a copy run's many temporary files cost one entry.
QByteArray keyOf(QByteArrayView name)
{
    if (name.size() > 1 && name.front() == '#' &&
        std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return QByteArrayLiteral("#");
    return name.toByteArray();
}

} // namespace

FolderChangeWatch::FolderChangeWatch() : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    bool ok = false;
    const int watches =
        readSystemFile("/proc/sys/fs/inotify/max_user_watches").trimmed().toInt(&ok);
    m_budget = ok ? watches / 4 : 2048;
}

FolderChangeWatch::~FolderChangeWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void FolderChangeWatch::watch(const QByteArray &folder, int folderFd)
{
    if (m_watches.contains(folder))
        return;
    Watch watch;
    struct stat st {};
    if (m_fd >= 0 && folderFd >= 0 && m_watches.size() < m_budget && toldEveryChange(folderFd) &&
        ::fstat(folderFd, &st) == 0) {
        // By the descriptor, which names the folder the caller reads through.
        const QByteArray path = "/proc/self/fd/" + QByteArray::number(folderFd);
        watch = {::inotify_add_watch(m_fd, path.constData(), kMask), st.st_dev, st.st_ino};
    }
    m_watches.insert(folder, watch);
}

void FolderChangeWatch::checkPaths()
{
    for (auto it = m_watches.begin(); it != m_watches.end(); ++it) {
        struct stat st {};
        if (it->wd >= 0 && (::stat(it.key().constData(), &st) != 0 || st.st_dev != it->device ||
                            st.st_ino != it->inode))
            it->wd = -1;
    }
}

void FolderChangeWatch::collect()
{
    if (m_fd < 0)
        return;
    alignas(struct inotify_event) std::array<char, 64 * 1024> buffer;
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer.data(), buffer.size());
        if (length > 0) {
            take(buffer.data(), length);
            continue;
        }
        if (length < 0 && errno == EINTR)
            continue;
        if (length < 0 && errno != EAGAIN)
            m_lost = true;
        return;
    }
}

void FolderChangeWatch::take(const char *events, long length)
{
    for (long at = 0; at + long(sizeof(struct inotify_event)) <= length;) {
        struct inotify_event event {};
        std::memcpy(&event, events + at, sizeof event);
        const char *name = events + at + sizeof event;
        at += long(sizeof event) + long(event.len);
        // Lost notifications, or a folder that moved, went or changed: the paths below it may
        // name other files now.
        if ((event.mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT |
                           IN_ISDIR)) != 0 ||
            event.len == 0) {
            m_lost = true;
            continue;
        }
        m_changed[event.wd].insert(keyOf(QByteArrayView(name, qstrnlen(name, event.len))));
    }
}

bool FolderChangeWatch::mayHaveChanged(const QByteArray &folder, const QByteArray &name) const
{
    if (m_lost)
        return true;
    const int wd = m_watches.value(folder).wd;
    if (wd < 0)
        return true;
    const auto changed = m_changed.constFind(wd);
    return changed != m_changed.cend() && changed->contains(keyOf(name));
}

bool FolderChangeWatch::anyMayHaveChanged(const QByteArray &folder) const
{
    const int wd = m_watches.value(folder).wd;
    return m_lost || wd < 0 || m_changed.contains(wd);
}

} // namespace platform
