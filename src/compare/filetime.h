#pragma once

#include "compare/datetime.h"
#include "platform/filestat.h"

#include <QString>
#include <QtGlobal>

// The verdict of comparing the last-write times of a source and a destination file.
enum class DateComparison { SourceNewer, DestinationNewer, SameTimeWithin2s, SameTime };

// A file's last-write time as a date-time value (see datetime.h) in the local zone's standard
// time in every season, to the millisecond; the zero date-time when the path names no file.
double FileLastWriteTime(const QString &path);

// SameTime when both times are equal to the millisecond, whatever the sizes; SameTimeWithin2s
// when they are at most 2 seconds apart and the sizes are equal; otherwise the newer side.
DateComparison CompareFileDates(const QString &sourcePath, const QString &destinationPath);

// True when the owner's write bit is clear, or when the path cannot be examined.
bool IsReadOnlyFile(const QString &path);

// The pieces the functions above are made of, for callers that already hold a stat result
// (the classification reads each side once).

// Milliseconds since 30 December 1899 00:00 in standard time; 0 when stat names no file.
// biasMinutes: the zone's standard bias (platform::standardBiasMinutes()).
qint64 lastWriteMs(const platform::FileStat &stat, int biasMinutes);
DateComparison compareFileTimes(qint64 sourceMs, qint64 destinationMs, quint64 sourceSize,
                                quint64 destinationSize);
// The size FileSize64 reports for a stat result.
inline quint64 fileSize64(const platform::FileStat &stat)
{
    return stat.ok() && stat.regular ? quint64(stat.size) : 0;
}
