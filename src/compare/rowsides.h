#pragma once

#include "platform/filestat.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <vector>

struct FileEntry;

// A row whose two files are to be read: its index in the list and its relative path.
struct RowToRead {
    int index = 0;
    QString files;       // relative path
    QByteArray rawFiles; // its exact bytes when the name is not valid UTF-8
};

// Both files of one row, read together at one moment.
struct RowSides {
    int index = 0;
    platform::FileStat source;
    platform::FileStat destination;
};

// Whether a classification pass gives the row a verdict: it leaves alone the rows up to date,
// the messages, and the failed copies, which keep their error until the next refresh.
bool examinedByClassification(const FileEntry &row);

// Reads both files of each row, in order, touching no row of any list: meant for a thread other
// than the window's. Ends early, with the rows read so far, once stop is set.
std::vector<RowSides> readRowSides(const QString &srcPath, const QString &destPath,
                                   const std::vector<RowToRead> &rows,
                                   const std::atomic<bool> &stop);
