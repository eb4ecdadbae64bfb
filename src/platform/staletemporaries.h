#pragma once

#include <QByteArray>

namespace platform {

// Removes from the open folder folderFd (not its sub-folders) the temporary files that a copy or
// a write cut short by a crash or a kill left there: files that isProgramTemporary recognises. A
// user's file of a similar name stays, and so does a temporary file that a copy in progress holds
// (locked). Returns how many were removed.
int removeStaleTemporariesAt(int folderFd);
// The same in the folder of that path.
int removeStaleTemporaries(const QByteArray &folder);

} // namespace platform
