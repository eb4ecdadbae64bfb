#pragma once

#include "platform/volume.h"

#include <QByteArray>
#include <QString>

// The three facts about the volume of a folder that the folder fields, the status bar and the
// copy run show or check.
struct VolumeInfo {
    platform::DriveType MediaType = platform::DriveType::NoRoot;
    QString VolumeLabel;
    quint64 FreeSpace = 0;
};

// The volume of the file system that holds folder, or its nearest existing ancestor. A text that
// is not an absolute path has no volume: NoRoot "<not exists>", empty label, 0 bytes. Cheap
// enough for every keystroke in a folder field; nothing is cached between calls.
VolumeInfo QueryVolume(const QString &folder);

// "<unknown>", "<not exists>", "Removable", "Fixed", "Remote", "CDROM", "RAM", in the order of
// DriveType; "<unknown>" for any other value.
QString MediaTypeName(platform::DriveType mediaType);

// The free bytes of the volume of destPath; -1 when destPath is not an existing folder or its
// free space cannot be read.
double DestinationFreeSpace(const QString &destPath);

// The free bytes of the file system that holds the existing folder, which may be another disk
// than the destination's (a disk mounted inside it); -1 when they cannot be read. folderFd, when
// given, is that folder already open.
double TargetFreeSpace(const QByteArray &folder, int folderFd = -1);
