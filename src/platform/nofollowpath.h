#pragma once

#include "platform/iostatus.h"

#include <QByteArray>

#include <optional>

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
    // LinkRefused when a folder on the way is a symbolic link.
    const IoStatus &status() const { return m_status; }

    // What the name is, without following it; Missing also when it cannot be examined.
    enum class Kind { Missing, Regular, Link, Folder, Other };
    Kind kind() const;
    // Whether it is a file: a regular file, or a symbolic link to one (the link's target only
    // looked at, never changed).
    bool isFile() const;

    // Removes the file (a link itself, never its target). A folder is refused (EISDIR).
    IoStatus unlink() const;
    // Sets the owner's write bit of a regular file, every other bit unchanged; a link is
    // refused (LinkRefused), as is anything but a regular file (NotRegularFile).
    IoStatus clearReadOnly() const;
    // Whether it is a regular file that is read-only (owner write bit clear).
    bool isReadOnlyFile() const;

    // A file time: seconds since 1970 UTC and nanoseconds (0 to 999999999) after them.
    struct FileTime {
        qint64 seconds = 0;
        qint64 nanoseconds = 0;
        friend bool operator==(const FileTime &, const FileTime &) = default;
    };
    struct Times {
        FileTime access;
        FileTime write;
    };
    // Sets the last-access and last-write times of a regular file, each left as it is when
    // absent. A link is refused (LinkRefused), as is anything but a regular file (NotRegularFile).
    // The file system may store another time than the one asked: read it back with times().
    IoStatus setTimes(std::optional<FileTime> access, std::optional<FileTime> write) const;
    // The times as stored (of a link itself); nothing when the name cannot be examined.
    std::optional<Times> times() const;

private:
    int m_folder = -1;
    QByteArray m_name;
    IoStatus m_status;
};

} // namespace platform
