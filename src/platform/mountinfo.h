#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

namespace platform {

// A device number as the kernel shows it, "major:minor".
struct DeviceId {
    unsigned major = 0;
    unsigned minor = 0;
    friend bool operator==(const DeviceId &, const DeviceId &) = default;
};

// One line of /proc/self/mountinfo. Paths are the kernel's bytes, octal escapes undone.
struct MountEntry {
    DeviceId device;
    QByteArray mountPoint;
    QByteArray fsType; // "ext4", "fuse.sshfs"...
    QByteArray source; // "/dev/sdb1", "server:/export", "tmpfs"...
};

// The mounts in file order, which is the order they were mounted in. Malformed lines are
// skipped.
QList<MountEntry> parseMountInfo(const QByteArray &text);

// The mount that holds path (absolute and already resolved): the longest mount point that is a
// whole-component prefix of it, the last one when several share that point. When device is the
// path's own device number, mounts of that device are preferred, which sees through a mount
// hidden by a later one over a parent folder. -1 when none matches.
qsizetype findMount(const QList<MountEntry> &mounts, const QByteArray &path,
                    std::optional<DeviceId> device = std::nullopt);

} // namespace platform
