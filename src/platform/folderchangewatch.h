#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>

namespace platform {

// Tells, by the kernel's notifications (inotify), which files of watched folders may have
// changed since each folder began to be watched: what was read of a file after that moment can
// be trusted, without reading it again, while nothing is told of it. Only folders on a disk of
// this machine are watched: a file system shared over a network, or served by a process, does
// not tell every change. Whatever cannot be told for sure counts as changed: an unwatched
// folder, lost notifications, a folder moved or removed, a file with other names elsewhere
// (the caller checks its link count).
class FolderChangeWatch {
public:
    FolderChangeWatch();
    ~FolderChangeWatch();
    FolderChangeWatch(const FolderChangeWatch &) = delete;
    FolderChangeWatch &operator=(const FolderChangeWatch &) = delete;

    // Watches the folder open as folderFd (O_PATH is enough) under its path, from now on, once.
    void watch(const QByteArray &folder, int folderFd);
    // Whether watch() was called for the folder, watched or not.
    bool watches(const QByteArray &folder) const { return m_watches.contains(folder); }
    // Takes in what the kernel told so far. Often enough that its queue never fills (a few
    // thousand changes apart): beyond that it drops changes, and every file counts as changed.
    void collect();
    // Checks that each folder's path still names the folder watched: a folder above it that
    // moved, or another folder put in its place, changes every file under that path.
    void checkPaths();
    // Whether the file name of folder may have changed since the folder was watched, as far as
    // what was collected and checked tells.
    bool mayHaveChanged(const QByteArray &folder, const QByteArray &name) const;
    // Whether any file of folder may have changed: when not, none needs asking about.
    bool anyMayHaveChanged(const QByteArray &folder) const;

private:
    struct Watch {
        int wd = -1; // -1: not watched, or no longer under its path
        quint64 device = 0;
        quint64 inode = 0;
    };

    void take(const char *events, long length);

    int m_fd = -1;
    // The watches one user may have are shared by all their programs: this one takes a quarter.
    int m_budget = 0;
    bool m_lost = false;
    QHash<QByteArray, Watch> m_watches; // by the folder's path
    QHash<int, QSet<QByteArray>> m_changed;
};

} // namespace platform
