#pragma once

#include "platform/iostatus.h"
#include "platform/temporaryfile.h" // kTempPrefix

#include <QByteArray>
#include <QString>

namespace platform {

// Replaces the file at path by bytes, atomically: a temporary file beside it receives every
// byte, is flushed to disk and renamed over the old file, keeping its permission bits and
// owner. A read-only file (owner write bit clear) is refused, even for root. On failure the old
// file is untouched and no temporary file is left.
IoStatus replaceFileAtomically(const QString &path, const QByteArray &bytes);

// The two steps around the rename of a temporary file over its target, which the replacement
// above and the fail-safe copy share. Before it: a close of a second descriptor of fd reports a
// failed write-back (network file systems) that the rename would hide; false with errno set, and
// call naming what failed. The first descriptor stays open for the step after.
bool writeBackSucceeded(int fd, const char **call);
// After it: takes the program's mark off the file now in place, and, when flushFolder, flushes
// its folder, open as folderFd (O_PATH will do), so that the new name outlives a crash. Best
// effort: a failure of either changes nothing of the file.
void settlePlacedFile(int fd, int folderFd, bool flushFolder);

} // namespace platform
