#pragma once

#include <QByteArray>

namespace platform {

// Removes from folder (not its sub-folders) the temporary files that a copy or a write cut
// short by a crash or a kill left there: regular files whose name begins with kTempPrefix.
// A temporary file that a copy in progress holds (locked) stays. Returns how many were removed.
int removeStaleTemporaries(const QByteArray &folder);

} // namespace platform
