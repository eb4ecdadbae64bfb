#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

class FileList;

// Setting the times of the files behind the selected rows: which files, the date-time to write,
// and whether each file took it.

// The state of a file in the date dialog's list, shown as its number.
enum DateRowState { DateRowFailed = -1, DateRowPending = 0, DateRowDone = 6 };

// A file whose times are set: its full path, byte-exact, of which the first rootLength bytes
// are the project folder; below that folder no link is followed.
struct DatedFile {
    QByteArray path;
    qsizetype rootLength = 0;

    QString text() const;
};

// The existing files of the selected rows (FileList indices, in list order), a row's source
// before its destination. A symbolic link is listed (setting its times is refused); missing
// names, folders and rows carrying a message are passed over.
QList<DatedFile> filesToDate(const FileList &rows, const QList<int> &selected,
                             const QString &sourceFolder, const QString &destinationFolder,
                             bool source, bool destination);

// The UTC time of a local date and time, by the zone's rules for that date (not the offset in
// force today). A time the zone skips or repeats at a change of offset is read with the offset
// in force before the change: 02:30 on a spring-forward night at UTC+1 is 01:30 UTC (03:30
// summer time); 02:30 on the autumn night is its first occurrence, still summer time.
QDateTime LocalToUtc(QDate date, QTime time);

struct TimesToSet {
    bool creation = false;
    bool lastWrite = false;
    bool lastAccess = false;
};

struct DateSetOutcome {
    bool done = false;
    QString reason; // why not, in French
};

// Writes the requested times and reads them back: done only when the file system stores
// exactly the time asked. Creation cannot be set here, so asking for it fails before anything
// changes; so do a read-only file and a request for no time at all.
DateSetOutcome SetFileTimes(const DatedFile &file, const QDateTime &utc, const TimesToSet &times);
