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
struct FileEntry {
    std::int32_t statusCode = 0;
    QString files;      // relative path, or the message of an error row
    QString fileExt;    // extension with its dot
    QString fileSize;   // size text at listing time
    double dtSrc = 0;   // last-write time of the source (days since 30 December 1899)
    double dtDest = 0;  // last-write time of the destination
    QString statusText; // what the user reads
    // The system's full message behind an error status, shown as the row's tooltip.
    QString statusDetail;
    // The relative path's exact bytes when the name is not valid UTF-8, so that the file is
    // still reached; empty otherwise.
    QByteArray rawFiles;
    // Set once a classification pass has examined the row: a copy run acts only on such rows.
    bool classified = false;
    // The row carries a message of the folder checks, not a file: no pass ever examines it.
    bool message = false;
    // What the listing read of the source file: size in bytes (-1: nothing read) and last
    // write (UTC milliseconds since 1970). The pass that directly follows the listing uses it
    // instead of reading the file a second time; every later pass reads the file afresh.
    qint64 listedSize = -1;
    qint64 listedMtimeMs = 0;

    QVariant field(int index) const;
    void setField(int index, const QVariant &value);
};
