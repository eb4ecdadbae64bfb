#pragma once

#include <QByteArray>

#include <sys/types.h>

namespace platform {

// The name prefix of every temporary file the program creates beside a file it replaces.
inline constexpr char kTempPrefix[] = ".tandrimo~";

// The folder part of a path: "." when it has no '/', "/" for a file at the root.
QByteArray folderOfPath(const QByteArray &path);

// A new, empty file in folder named kTempPrefix and a few random characters, open for reading
// and writing, and locked while it is open, so that a removal of stale temporary files leaves
// it alone. -1 with errno set when none can be made.
int createTemporaryFile(const QByteArray &folder, mode_t mode, QByteArray *name);

// Whether the entry of the open folder named name is a temporary file this program made and
// left behind: the exact name pattern of its temporary files, and the program's mark on it, which
// a user's file never carries by chance. A user's file of the same prefix is no such file.
bool isProgramTemporary(int folderFd, const char *name);

// Writes every byte, retrying short writes; false with errno set (ENOSPC when the system stops
// taking bytes without saying why).
bool writeAll(int fd, const char *data, size_t size);

} // namespace platform
