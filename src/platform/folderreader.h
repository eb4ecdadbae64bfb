#pragma once

#include "platform/filestat.h"

#include <QByteArray>

namespace platform {

// The entries of one folder read straight from the file system, with their names as raw bytes:
// nothing is decoded, hidden or left out except "." and "..". Nothing is ever opened but the
// folder itself, so FIFOs and devices cannot block the reader.
//
// Sub-folders are opened relative to the open folder, never by a full path: a tree deeper than
// the system's path length limit is walked all the same.
class FolderReader {
public:
    // How the folder reports an entry, before any stat call.
    enum class Kind { Folder, Link, Regular, Other, Unknown };
    struct Entry {
        const char *name = nullptr; // valid until the next call of next()
        Kind kind = Kind::Unknown;
    };

    // Opens a folder by its path, through a symbolic link if the path is one.
    explicit FolderReader(const QByteArray &path);
    // Opens the entry name of the open folder parent; a symbolic link is refused (ELOOP), so
    // that the reader never walks into a folder through a link.
    FolderReader(const FolderReader &parent, const char *name);
    ~FolderReader();
    FolderReader(const FolderReader &) = delete;
    FolderReader &operator=(const FolderReader &) = delete;

    // errno of the failed open, 0 when the folder is open.
    int openError() const { return m_openError; }
    // The open failed because the folder is gone, or because its entry is no longer a folder
    // (a file, or a link) since the parent was read: nothing there to read.
    bool vanished() const;
    FolderId id() const { return m_id; }

    // The next entry; false at the end of the entries or on a read error.
    bool next(Entry &entry);
    // errno of a failed read, 0 after the normal end.
    int readError() const { return m_readError; }
    // Frees what reading the entries holds (a second descriptor among it); the folder stays
    // open for statEntry(), isLink() and the readers of its sub-folders.
    void finishReading();

    // One stat call on an entry of this folder, through a symbolic link.
    FileStat statEntry(const char *name) const;
    // Whether the entry itself is a symbolic link (one lstat call).
    bool isLink(const char *name) const;
    // The open folder's descriptor, for calls on its entries; -1 when it did not open.
    int fd() const { return m_fd; }

private:
    void open(int parentFd, const char *path, int flags);

    void *m_dir = nullptr; // DIR * on a descriptor of its own
    int m_fd = -1;
    int m_openError = 0;
    int m_readError = 0;
    bool m_refusesLinks = false;
    FolderId m_id;
};

} // namespace platform
