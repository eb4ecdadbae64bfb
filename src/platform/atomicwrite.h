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

} // namespace platform
