#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>

#include <memory>
#include <vector>

namespace platform {

// A folder held open (O_PATH) for calls relative to it; closed when the last holder lets it go,
// so that a copy waiting for its commit keeps its folders while the run moves on.
class OpenFolder {
public:
    explicit OpenFolder(int fd) : m_fd(fd) {}
    ~OpenFolder();
    OpenFolder(const OpenFolder &) = delete;
    OpenFolder &operator=(const OpenFolder &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};
using FolderRef = std::shared_ptr<const OpenFolder>;

// The outcome of reaching a folder of a tree.
struct FolderReach {
    FolderRef folder; // null when it could not be reached
    // Why: ENOENT, ENOTDIR (a file on the way), LinkRefused (a symbolic link on the way),
    // InvalidName (a ".." on the way), or the system's reason.
    IoStatus status;
    QByteArray stoppedAt;    // the part of the relative path that stopped the walk (a link, a file)
    bool made = false;       // made by this tree: nothing is in it but what its user put there
    bool makeFailed = false; // stoppedAt was missing and could not be made: status says why

    bool ok() const { return folder != nullptr; }
};

// The folders below one root folder (the project's source or destination), each reached from
// its parent's handle one name at a time, never through a symbolic link: a link planted below
// the root, before or during the walk, cannot lead a write or a read outside it. The root itself
// may be named through a link: the user chose that text. Meant for one pass over rows in list
// order: the last folder reached and those above it stay open, so that the next row in the same
// folder costs nothing and one in a sibling folder costs one name. Not thread-safe; the folders
// it hands out may be used anywhere.
class FolderTree {
public:
    explicit FolderTree(const QByteArray &root);
    FolderTree(const FolderTree &) = delete;
    FolderTree &operator=(const FolderTree &) = delete;

    const QByteArray &root() const { return m_rootPath; }
    // The root itself, or why it could not be opened.
    const FolderRef &rootFolder() const { return m_root; }
    const IoStatus &rootStatus() const { return m_rootStatus; }

    // The folder at relative ('/'-separated, leading and doubled '/' ignored, "" for the root),
    // made with every missing folder above it when create is set.
    FolderReach reach(QByteArrayView relative, bool create = false);

private:
    struct Level {
        QByteArray name;
        FolderRef folder;
        bool made = false;
    };

    FolderRef m_root;
    IoStatus m_rootStatus;
    QByteArray m_rootPath;
    std::vector<Level> m_chain; // the last folder reached, from the root's child down
    QSet<QByteArray> m_made;    // relative paths of the folders this tree made
};

// The folder part of a row's relative path, and its name: "/a/b/c.txt" gives "/a/b" and "c.txt".
QByteArrayView folderPartOf(QByteArrayView relative);
QByteArrayView namePartOf(QByteArrayView relative);

} // namespace platform
