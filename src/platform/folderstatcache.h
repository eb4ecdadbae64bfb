#pragma once

#include "platform/filestat.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>

namespace platform {

// Stats many paths in a row, as statPath() would, keeping the last few folders open so that
// paths in the same folder cost a lookup of their name only, not of every folder above it.
// A folder whose path is longer than the system takes is reached one name at a time, so that
// files deeper than that limit are examined too. Meant for one pass over sorted paths; a folder
// renamed during the pass may still be reached under its old name until the pass ends.
class FolderStatCache {
public:
    FolderStatCache() = default;
    ~FolderStatCache();
    FolderStatCache(const FolderStatCache &) = delete;
    FolderStatCache &operator=(const FolderStatCache &) = delete;

    FileStat stat(const QByteArray &path);
    // The folder itself, open (O_PATH) for calls relative to it, or -1 with errno set. It stays
    // open until four other folders were asked for, or the cache goes: use it at once.
    int folderFd(QByteArrayView folder);

private:
    struct Slot {
        QByteArray folder;
        int fd = -1;
    };

    std::array<Slot, 4> m_slots;
    std::size_t m_next = 0; // the slot to reuse next, oldest first
};

} // namespace platform
