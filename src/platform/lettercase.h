#pragma once

#include <QByteArray>

namespace platform {

// Whether the file system of the open folder takes name and the same name in other letter case
// for one file (FAT, exFAT, NTFS, SMB shares): name must be an entry of the folder. False when
// the name holds no ASCII letter to try, or when it cannot be told.
bool ignoresLetterCase(int folderFd, const QByteArray &name);

// The entry of the open folder that holds the place of name: name itself, or the one that a file
// system ignoring letter case takes for it (the entry of the same file). Empty when there is no
// such file, or the folder cannot be read.
QByteArray entryNamedLike(int folderFd, const QByteArray &name);

} // namespace platform
