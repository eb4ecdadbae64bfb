#pragma once

#include <QString>

namespace platform {

// A regular file, or a symbolic link to one. Folders, FIFOs, sockets and devices are no files.
bool isExistingFile(const QString &path);
// A folder, or a symbolic link to one.
bool isExistingFolder(const QString &path);
// A file that a desktop would run rather than open: a regular file with an execute bit, or a
// desktop entry (".desktop").
bool mayRunAsProgram(const QString &path);
// The text after the last '/', or the whole text when it has none.
QString fileNamePart(const QString &path);

} // namespace platform
