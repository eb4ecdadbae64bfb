#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <cstdint>

// The eight fields of a row, in their fixed order; other code addresses a field by this index.
enum FileField {
    fldStatusCode = 0,
    fldFiles = 1,
    fldFileExt = 2,
    fldFileSize = 3,
    fldDTSrc = 4,
    fldCopyIcon = 5,
    fldDTDest = 6,
    fldStatusText = 7,
};
inline constexpr int kFileFieldCount = 8;

// One row of the file list: a source file and the verdict of its comparison with the file of
// the same relative path in the destination. A field never written reads as 0, the zero
// date-time or empty text.
//
// A list holds a row per file, a million of them in large trees, so a row keeps only what no
// other part gives: the extension is read from the path and the size text made from the size
// when asked, and the status texts are shared (the program's own texts are never copied).
// The system's detail behind an error lives in the FileList, which few rows need.
struct FileEntry {
    std::int32_t statusCode = 0;
    // Set once a classification pass has examined the row: a copy run acts only on such rows.
    bool classified = false;
    // The row carries a message of the folder checks, not a file: no pass ever examines it.
    bool message = false;
    // A listing read the file's size (listedSize): the size field shows it.
    bool sized = false;
    QString files;      // relative path, or the message of an error row
    QString statusText; // what the user reads
    // The relative path's exact bytes when the name is not valid UTF-8, so that the file is
    // still reached; empty otherwise.
    QByteArray rawFiles;
    double dtSrc = 0;  // last-write time of the source (days since 30 December 1899)
    double dtDest = 0; // last-write time of the destination
    // What the listing read of the source file: size in bytes (-1: nothing read) and last
    // write (UTC milliseconds since 1970). The pass that directly follows the listing uses it
    // instead of reading the file a second time; every later pass reads the file afresh.
    qint64 listedSize = -1;
    qint64 listedMtimeMs = 0;

    // The extension of files with its dot (see extensionOf); empty for a message row.
    QString fileExt() const;
    // The size text at listing time (SizeText); empty for a row no listing made.
    QString fileSize() const;

    QVariant field(int index) const;
    // The extension follows the path and cannot be written; the size field takes a number of
    // bytes.
    void setField(int index, const QVariant &value);
};
