#pragma once

#include <QByteArray>
#include <QSet>

namespace platform {

// The names of the entries of the open folder, "." and ".." left out; empty when it cannot be
// read.
QSet<QByteArray> folderEntryNames(int folderFd);

// Among names, one that differs from name in letter case only, which a file system ignoring
// letter case (FAT, exFAT, NTFS, SMB shares) takes for name; empty when there is none.
QByteArray nameInOtherCase(const QSet<QByteArray> &names, const QByteArray &name);

// The entry of the open folder that holds the place of name: name itself, or one that differs
// in letter case only. Empty when there is none, or the folder cannot be read.
QByteArray entryNamedLike(int folderFd, const QByteArray &name);

} // namespace platform
