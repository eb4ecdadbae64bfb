#pragma once

#include <QByteArray>

namespace platform {

class FileCalls;

// What a read of a whole file came to.
enum class WholeFileRead { Read, Missing, Folder, NotRegularFile, TooLarge, Unreadable };

// Reads the whole file at path into bytes, through calls. The file is opened without blocking and
// read only when it is a regular file (or a link to one): opening a FIFO for reading would wait
// for a writer. It is read to its end whatever size it tells, since a /proc or /sys file tells 0
// or a page, and the file may grow meanwhile: maxSize holds for what is read. error receives the
// system's reason, or the one that stands for the refusal (EISDIR, EINVAL, EFBIG).
WholeFileRead readWholeFile(FileCalls &calls, const QByteArray &path, qint64 maxSize,
                            QByteArray &bytes, int &error);

// The bytes of a small file of the system (/proc, /sys), read with the system's own calls even
// where a test installed others: empty when it cannot be read.
QByteArray readSystemFile(const QByteArray &path);

} // namespace platform
