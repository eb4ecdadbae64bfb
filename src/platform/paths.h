#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace platform {

// A regular file, or a symbolic link to one. Folders, FIFOs, sockets and devices are no files.
bool isExistingFile(const QString &path);
// A folder, or a symbolic link to one.
bool isExistingFolder(const QString &path);
// A file that a desktop would run rather than open: a regular file with an execute bit, or a
// desktop entry (".desktop", in any letter case). path: its exact bytes.
bool mayRunAsProgram(const QByteArray &path);
// The file URL of a path given by its exact bytes, percent-encoded byte for byte, so that a name
// that is not valid UTF-8 still names that file and no other.
QUrl localFileUrl(const QByteArray &path);
// The text after the last '/', or the whole text when it has none.
QString fileNamePart(const QString &path);
// The folder that holds path: the part before its last '/', once any '/' that ends it is dropped
// (the parent of "a/b/" is "a"); "/" for a name at the root and for the root itself; "." for a
// name without a '/', which lies in the current folder.
QByteArray folderOfPath(const QByteArray &path);

} // namespace platform
