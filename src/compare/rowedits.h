#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class ExclusionList;
class FileList;
struct FileEntry;

// The user's adjustments of the selected rows before a copy run, and what they touch. Rows are
// FileList indices in list order. Rows that carry a message instead of a file, and rows that no
// classification has examined yet, are passed over by every one of them.

// Whether the row counts in FilesToCopyCount: due for copying (StatusToCopy or StatusToCopyBack),
// and not held back by a read-only target ("Lecture seule", which the copy run passes over).
bool countsForCopy(const FileEntry &row);

// The row commands. Each keeps filesToCopyCount in step: one more for each row it makes count,
// one less for each row that counted and no longer does; it never goes below zero. The changes
// reach the view in one update.
void addToCopy(FileList &list, const QList<int> &rows, int &filesToCopyCount);
void removeFromCopy(FileList &list, const QList<int> &rows, int &filesToCopyCount);
void reverseDirection(FileList &list, const QList<int> &rows, int &filesToCopyCount);

// Removes the read-only attribute of the rows' destination files under destPath, never through
// a symbolic link; files that are missing, not read-only or cannot be changed are passed over.
// How many were changed.
int clearReadOnlyOfDestinations(const FileList &list, const QList<int> &rows,
                                const QString &destPath);

// Adds the extension of each row's file (none for a name without a dot) to the list, or each
// row's relative path (ExclusionList::fileEntryOfRow, which keeps every byte); how many rows gave
// an entry, whether or not it was new. modified is set when an entry was new.
int excludeExtensionsOfRows(ExclusionList &extensions, const FileList &list, const QList<int> &rows,
                            bool &modified);
int excludeFilesOfRows(ExclusionList &files, const FileList &list, const QList<int> &rows,
                       bool &modified);

// What opening a row's source file opens, as its exact bytes: the file itself, or its folder
// (ending with '/') when the file could run as a program (an execute bit, or a desktop entry),
// so that a double-click never runs one. Empty for a row that carries a message.
QByteArray documentToOpen(const FileList &list, int row, const QString &srcPath);
