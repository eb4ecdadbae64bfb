#pragma once

#include "platform/iostatus.h"
#include "platform/mountinfo.h"

#include <QByteArray>
#include <QString>

namespace platform {

// The kinds of drive, numbered as the program shows them.
enum class DriveType {
    Unknown = 0,
    NoRoot = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    Ram = 6,
};

struct Volume {
    DriveType type = DriveType::NoRoot;
    QString label;
    quint64 freeBytes = 0; // available to the caller
    // Why freeBytes could not be read; success when it was, or when there is no volume.
    IoStatus freeStatus;
};

// The volume that holds folder: the file system mounted where folder lies, or its nearest
// existing ancestor when folder does not exist. A text that is not an absolute path has no
// volume: NoRoot, no label, 0 bytes. No device is ever opened, so an empty drive answers at
// once; only the free space asks the file system itself.
Volume volumeOf(const QString &folder);

// The free bytes available to the caller on the file system that holds the existing folder
// (statvfs alone: cheap enough for every file of a copy run).
IoStatus freeBytesOf(const QByteArray &folder, quint64 *bytes);
IoStatus freeBytesOf(const QString &folder, quint64 *bytes);
// The same for a folder already open (O_PATH will do): no walk of its path.
IoStatus freeBytesOf(int folderFd, quint64 *bytes);

// The kind of the mounted file system. sysRoot stands for /sys, where the removable flag of a
// block device is read.
DriveType driveTypeOf(const MountEntry &mount, const QByteArray &sysRoot = "/sys");

// The name that tells the mount apart: the label of its device, from the names of the links in
// labelFolder that point at it, else the last name of its mount point ("/" for the root).
QString volumeLabelOf(const MountEntry &mount,
                      const QByteArray &labelFolder = "/dev/disk/by-label");

} // namespace platform
