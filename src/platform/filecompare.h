#pragma once

#include <QByteArray>

#include <atomic>

namespace platform {

enum class FileComparison {
    Equal,      // same size, same bytes
    Different,  // the sizes or some bytes differ
    Unreadable, // a file is missing, no regular file, or a read failed
    Stopped,    // the stop flag was set before the end
};

// Compares the first size bytes of two open files, from their beginning, in large blocks; a file
// that ends before size bytes differs. Reads through fileCalls() with pread, so the offsets of
// the two descriptors are left alone. stop, when given, is looked at between two blocks.
FileComparison compareOpenFiles(int a, int b, qint64 size, const std::atomic<bool> *stop = nullptr);

// Compares two files completely: equal sizes and equal bytes. Both are opened without
// blocking on anything but a regular file.
FileComparison compareFiles(const QByteArray &a, const QByteArray &b);

} // namespace platform
