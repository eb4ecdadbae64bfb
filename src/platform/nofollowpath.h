#pragma once

#include "platform/iostatus.h"

#include <QByteArray>

namespace platform {

// A file below a folder that the user named (the project's source or destination), reached
// without following a symbolic link anywhere below that folder, so that nothing outside it is
// ever touched through a link. The folder itself may be reached through a link: the user chose
// that text. The file's own name is never followed either: a link is handled as a link.
class NoFollowPath {
public:
    // relative: the row's path below root, its exact bytes ('/'-separated, leading '/' allowed).
    NoFollowPath(const QByteArray &root, const QByteArray &relative);
    ~NoFollowPath();
    NoFollowPath(const NoFollowPath &) = delete;
    NoFollowPath &operator=(const NoFollowPath &) = delete;

    // Why the folder holding the file could not be reached: success, or ENOENT, ENOTDIR, or
    // ELOOP when a folder on the way is a symbolic link.
    const IoStatus &status() const { return m_status; }

    // What the name is, without following it; Missing also when it cannot be examined.
    enum class Kind { Missing, Regular, Link, Folder, Other };
    Kind kind() const;

    // Removes the file (a link itself, never its target). A folder is refused (EISDIR).
    IoStatus unlink() const;
    // Sets the owner's write bit of a regular file, every other bit unchanged; a link is
    // refused (ELOOP), as is anything but a regular file.
    IoStatus clearReadOnly() const;
    // Whether it is a regular file that is read-only (owner write bit clear).
    bool isReadOnlyFile() const;

private:
    int m_folder = -1;
    QByteArray m_name;
    IoStatus m_status;
};

} // namespace platform
