#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class FileList;

// A file behind a row: its full path, byte-exact, of which the first rootLength bytes are the
// project folder it lies in.
struct RowFile {
    QByteArray path;
    qsizetype rootLength = 0;
    friend bool operator==(const RowFile &, const RowFile &) = default;
};

// The files of the selected rows (FileList indices, in list order) on the sides asked, a row's
// source before its destination, as JoinFolderPath forms them. Indices outside the list and rows
// that carry a message instead of a file are passed over; nothing is looked at on the disk.
QList<RowFile> filesOfRows(const FileList &rows, const QList<int> &selected,
                           const QString &sourceFolder, const QString &destinationFolder,
                           bool source, bool destination);
