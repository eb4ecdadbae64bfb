#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct stat;

namespace platform {

// What one stat call tells about a path, following symbolic links: enough to decide whether a
// file exists and to read its time, size and read-only state without a second system call.
struct FileStat {
    int error = ENOENT_FALLBACK; // errno of the failed call, 0 when it succeeded
    bool regular = false;        // a regular file, or a link to one
    bool folder = false;         // a folder, or a link to one
    bool ownerWritable = false;  // the owner's write bit: clear means read-only
    qint64 size = 0;
    qint64 mtimeMs = 0; // last write, UTC milliseconds since 1970 (finer parts dropped)
    quint64 device = 0;
    quint64 inode = 0;

    bool ok() const { return error == 0; }

    static constexpr int ENOENT_FALLBACK = 2;
};

// The identity of a folder on this machine, independent of the text that reaches it.
struct FolderId {
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const FolderId &, const FolderId &) = default;
};

FileStat statPath(const char *path);
// The same from a buffer a stat-family call filled (for the readers of this layer).
FileStat fileStatFrom(const struct ::stat &st);
inline FileStat statPath(const QByteArray &path)
{
    return statPath(path.constData());
}
// A path holding a NUL character names nothing.
FileStat statPath(const QString &path);
// The entry name of the open folder folderFd; a symbolic link is examined itself (neither a
// regular file nor a folder) unless followLink.
FileStat statAt(int folderFd, const char *name, bool followLink);

// The root of a file system: "/" or a mount point, whose device differs from its parent's.
// False when the folder cannot be examined.
bool isFileSystemRoot(const QString &folder);

// Whether a missing folder may lie on a disk that is not there: below a folder where removable
// disks and network shares are mounted (/media, /run/media, /mnt), whose nearest existing
// folder is on the system's own disk.
bool mayLieOnAbsentDisk(const QString &folder);

} // namespace platform
