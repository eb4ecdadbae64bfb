#pragma once

#include "platform/filestat.h"

#include <QByteArray>

namespace platform {

// The entries of one folder read straight from the file system, with their names as raw bytes:
// nothing is decoded, hidden or left out except "." and "..". Nothing is ever opened but the
// folder itself, so FIFOs and devices cannot block the reader.
class FolderReader {
public:
    // How the folder reports an entry, before any stat call.
    enum class Kind { Folder, Link, Regular, Other, Unknown };
    struct Entry {
        const char *name = nullptr; // valid until the next call of next()
        Kind kind = Kind::Unknown;
    };

    // Opens the folder. With followLink false a symbolic link is refused (ELOOP), so that the
    // reader never walks into a folder through a link.
    FolderReader(const QByteArray &path, bool followLink);
    ~FolderReader();
    FolderReader(const FolderReader &) = delete;
    FolderReader &operator=(const FolderReader &) = delete;

    // errno of the failed open, 0 when the folder is open.
    int openError() const { return m_openError; }
    // The folder cannot be reached: missing, not a folder, denied, a link, a path too long.
    bool unreachable() const;
    FolderId id() const { return m_id; }

    // The next entry; false at the end of the entries or on a read error.
    bool next(Entry &entry);
    // errno of a failed read, 0 after the normal end.
    int readError() const { return m_readError; }

    // One stat call on an entry of this folder, through a symbolic link.
    FileStat statEntry(const char *name) const;
    // Whether the entry itself is a symbolic link (one lstat call).
    bool isLink(const char *name) const;

private:
    void *m_dir = nullptr; // DIR *
    int m_fd = -1;
    int m_openError = 0;
    int m_readError = 0;
    FolderId m_id;
};

} // namespace platform
