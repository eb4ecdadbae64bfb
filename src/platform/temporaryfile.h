#pragma once

#include <QByteArray>

#include <sys/types.h>

namespace platform {

// The name prefix of every temporary file the program creates beside a file it replaces. The
// full name is this prefix and kTempSuffixLength characters of [0-9a-z].
inline constexpr char kTempPrefix[] = ".tandrimo~";
inline constexpr int kTempSuffixLength = 6;

// A new, empty file in the open folder folderFd, open for reading and writing. Where the file
// system allows it the file has no name yet (name is left empty): nothing of it outlives the
// process. Elsewhere it is named as kTempPrefix says (name: its name in the folder), carries the
// program's mark and is locked while it is open, so that a removal of stale temporary files
// leaves it alone. -1 with errno set when none can be made.
int createTemporaryFileAt(int folderFd, mode_t mode, QByteArray *name);
// The same in the folder of that path; name is then the temporary file's whole path.
int createTemporaryFile(const QByteArray &folder, mode_t mode, QByteArray *name);

// Gives the temporary file fd made in the open folder folderFd a fresh name of the temporary
// pattern, with the mark and the lock, when it has none yet (name empty), just before it is
// renamed over its target. False with errno set.
bool nameTemporaryFileAt(int fd, int folderFd, QByteArray *name);
// The same in the folder of that path; name is then the whole path.
bool nameTemporaryFile(int fd, const QByteArray &folder, QByteArray *name);

// Names the unnamed temporary file fd name in the open folder folderFd, only where no file has
// that name yet: never a replacement, and no temporary name in between. False with errno set,
// EEXIST where the name is taken.
bool placeUnnamedFileAt(int fd, int folderFd, const char *name);

// Takes the program's mark off the file open as fd, which a temporary file became once renamed
// over its target: the user's file carries none of it. A failure is ignored.
void unmarkPlacedFile(int fd);

// Whether the entry of the open folder named name is a temporary file this program made and
// left behind: the exact name pattern of its temporary files, and the program's mark on it, which
// a user's file never carries by chance. A user's file of the same prefix is no such file.
bool isProgramTemporary(int folderFd, const char *name);

// The answer of a file system that keeps no permission bits (FAT, some FUSE and network file
// systems) to a change of them: the file goes without them.
bool permissionBitsUnsupported(int error);

// Writes every byte, retrying short writes; false with errno set (ENOSPC when the system stops
// taking bytes without saying why).
bool writeAll(int fd, const char *data, size_t size);

} // namespace platform
