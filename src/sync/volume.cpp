#include "sync/volume.h"

#include "platform/paths.h"
#include "platform/volume.h"

#include <array>

VolumeInfo QueryVolume(const QString &folder)
{
    const platform::Volume volume = platform::volumeOf(folder);
    return VolumeInfo{volume.type, volume.label, volume.freeBytes};
}

QString MediaTypeName(platform::DriveType mediaType)
{
    const int type = int(mediaType);
    static const std::array<QString, 7> names = {
        QStringLiteral("<unknown>"), QStringLiteral("<not exists>"), QStringLiteral("Removable"),
        QStringLiteral("Fixed"),     QStringLiteral("Remote"),       QStringLiteral("CDROM"),
        QStringLiteral("RAM"),
    };
    if (type < 0 || type >= int(names.size()))
        return names[0];
    return names[size_t(type)];
}

double DestinationFreeSpace(const QString &destPath)
{
    if (!platform::isExistingFolder(destPath))
        return -1;
    // A text that is not an absolute path has no volume, hence no free bytes.
    if (!destPath.startsWith(u'/'))
        return 0;
    // Only the free bytes are wanted, once per copied file: no mount table, no labels.
    quint64 bytes = 0;
    return platform::freeBytesOf(destPath, &bytes).ok() ? double(bytes) : -1;
}

double TargetFreeSpace(const QByteArray &folder, int folderFd)
{
    quint64 bytes = 0;
    const platform::IoStatus status = folderFd >= 0 ? platform::freeBytesOf(folderFd, &bytes)
                                                    : platform::freeBytesOf(folder, &bytes);
    return status.ok() ? double(bytes) : -1;
}
