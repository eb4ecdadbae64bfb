#include "platform/volume.h"

#include "platform/paths.h"
#include "platform/wholefile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <iterator>
#include <memory>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace platform {

namespace {

QByteArray realPath(const QByteArray &path)
{
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.constData(), nullptr),
                                                         &std::free);
    return resolved ? QByteArray(resolved.get()) : QByteArray();
}

// The resolved path of the folder, or of its nearest ancestor that exists. "/" always does.
QByteArray nearestExisting(QByteArray path)
{
    for (;;) {
        const QByteArray resolved = realPath(path);
        if (!resolved.isEmpty())
            return resolved;
        if (path == "/")
            return path;
        path = folderOfPath(path);
    }
}

template <size_t N> bool isOneOf(const QByteArray &value, const char *const (&names)[N])
{
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char *name) { return value == name; });
}

constexpr const char *kRamTypes[] = {"tmpfs", "ramfs", "devtmpfs"};
constexpr const char *kNetworkTypes[] = {
    "nfs",           "nfs4",       "cifs",        "smb3",      "smbfs",       "ncpfs",
    "afs",           "coda",       "9p",          "ceph",      "glusterfs",   "lustre",
    "sshfs",         "fuse.sshfs", "fuse.rclone", "fuse.s3fs", "fuse.davfs2", "fuse.curlftpfs",
    "fuse.glusterfs"};
constexpr const char *kOpticalTypes[] = {"iso9660", "udf"};
// File systems on disks whose source names a pool rather than a device.
constexpr const char *kPooledDiskTypes[] = {"zfs"};

// The sysfs folder of the whole disk under the block device, or empty when sysfs has none.
// A partition's folder lies inside its disk's folder.
QByteArray sysDiskFolder(const MountEntry &mount, const QByteArray &sysRoot)
{
    QByteArray folder;
    if (mount.device.major != 0)
        folder = realPath(sysRoot + "/dev/block/" + QByteArray::number(mount.device.major) + ':' +
                          QByteArray::number(mount.device.minor));
    if (folder.isEmpty() && mount.source.startsWith("/dev/")) {
        QByteArray node = realPath(mount.source);
        if (node.isEmpty())
            node = mount.source;
        folder = realPath(sysRoot + "/class/block/" + node.mid(node.lastIndexOf('/') + 1));
    }
    if (!folder.isEmpty() && ::access(QByteArray(folder + "/partition").constData(), F_OK) == 0)
        folder = folderOfPath(folder);
    return folder;
}

bool isBlockDeviceNode(const QByteArray &path)
{
    struct stat st {};
    return path.startsWith("/dev/") && ::stat(path.constData(), &st) == 0 && S_ISBLK(st.st_mode);
}

// udev writes unsafe bytes of a label as "\xHH".
QString decodeLinkName(const QByteArray &name)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            bool ok = false;
            const int value = name.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                bytes.append(char(value));
                i += 3;
                continue;
            }
        }
        bytes.append(name[i]);
    }
    return QString::fromUtf8(bytes);
}

bool pointsAtDevice(const QByteArray &link, const MountEntry &mount, const QByteArray &source)
{
    struct stat st {};
    if (::stat(link.constData(), &st) != 0)
        return false;
    if (S_ISBLK(st.st_mode) && mount.device.major != 0)
        return ::major(st.st_rdev) == mount.device.major &&
               ::minor(st.st_rdev) == mount.device.minor;
    return !source.isEmpty() && realPath(link) == source;
}

// The label of the mount's device: the name of the link in labelFolder that points at it. RAM
// and network file systems have no device; their source is not resolved (a share's "//srv/x"
// could reach an automounter).
QString deviceLabelOf(const MountEntry &mount, const QByteArray &labelFolder)
{
    if (!mount.source.startsWith('/') || isOneOf(mount.fsType, kRamTypes) ||
        isOneOf(mount.fsType, kNetworkTypes))
        return QString();
    const QByteArray source = realPath(mount.source);
    DIR *dir = ::opendir(labelFolder.constData());
    if (!dir)
        return QString();
    QString label;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        if (pointsAtDevice(labelFolder + '/' + name, mount, source)) {
            label = decodeLinkName(name);
            break;
        }
    }
    ::closedir(dir);
    return label;
}

} // namespace

DriveType driveTypeOf(const MountEntry &mount, const QByteArray &sysRoot)
{
    if (isOneOf(mount.fsType, kRamTypes))
        return DriveType::Ram;
    if (isOneOf(mount.fsType, kNetworkTypes))
        return DriveType::Remote;
    if (isOneOf(mount.fsType, kOpticalTypes))
        return DriveType::CdRom;
    const QByteArray disk = sysDiskFolder(mount, sysRoot);
    if (!disk.isEmpty())
        return readSystemFile(disk + "/removable").trimmed() == "1" ? DriveType::Removable
                                                                    : DriveType::Fixed;
    // Anonymous devices (major 0) back virtual and network file systems; any other number is a
    // block device, even where sysfs is not mounted.
    if (mount.device.major != 0 || isBlockDeviceNode(mount.source) ||
        isOneOf(mount.fsType, kPooledDiskTypes))
        return DriveType::Fixed;
    return DriveType::Unknown;
}

QString volumeLabelOf(const MountEntry &mount, const QByteArray &labelFolder)
{
    const QString label = deviceLabelOf(mount, labelFolder);
    if (!label.isEmpty())
        return label;
    if (mount.mountPoint == "/")
        return QStringLiteral("/");
    return QFile::decodeName(mount.mountPoint.mid(mount.mountPoint.lastIndexOf('/') + 1));
}

Volume volumeOf(const QString &folder)
{
    Volume volume;
    if (!folder.startsWith(u'/') || folder.contains(QChar(0)))
        return volume;
    const QByteArray path = nearestExisting(QFile::encodeName(folder));

    std::optional<DeviceId> device;
    struct stat st {};
    if (::stat(path.constData(), &st) == 0)
        device = DeviceId{::major(st.st_dev), ::minor(st.st_dev)};
    // The mount table is read here rather than through QStorageInfo, which gives other answers
    // and waits where this must not: Qt 6.4 takes the first of the mounts stacked on one point
    // rather than the one on top and cannot see through a mount hidden by a later one over a
    // parent folder (findMount does, by the device number); its constructor calls statfs() on
    // the mount's root; and its name() resolves the path of every mount's source, which for a
    // share such as "//srv/x" can wake an automounter (deviceLabelOf leaves those alone), and
    // has no name for a mount without a label where volumeLabelOf gives the mount point's.
    const QList<MountEntry> mounts = parseMountInfo(readSystemFile("/proc/self/mountinfo"));
    const qsizetype found = findMount(mounts, path, device);
    if (found >= 0) {
        volume.type = driveTypeOf(mounts[found]);
        volume.label = volumeLabelOf(mounts[found]);
    } else {
        volume.type = DriveType::Unknown;
    }

    volume.freeStatus = freeBytesOf(QFile::decodeName(path), &volume.freeBytes);
    return volume;
}

IoStatus freeBytesOf(const QByteArray &folder, quint64 *bytes)
{
    struct statvfs fs {};
    if (::statvfs(folder.constData(), &fs) != 0)
        return IoStatus::fromErrno(errno);
    *bytes = quint64(fs.f_bavail) * quint64(fs.f_frsize);
    return IoStatus::success();
}

IoStatus freeBytesOf(int folderFd, quint64 *bytes)
{
    struct statvfs fs {};
    if (::fstatvfs(folderFd, &fs) != 0)
        return IoStatus::fromErrno(errno);
    *bytes = quint64(fs.f_bavail) * quint64(fs.f_frsize);
    return IoStatus::success();
}

IoStatus freeBytesOf(const QString &folder, quint64 *bytes)
{
    return freeBytesOf(QFile::encodeName(folder), bytes);
}

} // namespace platform
