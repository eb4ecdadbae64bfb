#include "compare/filetime.h"

#include "compare/datetime.h"
#include "platform/zonebias.h"

#include <cstdlib>

namespace {

constexpr qint64 kMsPerMinute = 60 * 1000;
constexpr qint64 kUnixEpochMs = qint64(kUnixEpochDays) * 24 * 60 * kMsPerMinute;

} // namespace

qint64 lastWriteMs(const platform::FileStat &stat, int biasMinutes)
{
    if (!stat.ok() || !stat.regular)
        return 0;
    return kUnixEpochMs + stat.mtimeMs - qint64(biasMinutes) * kMsPerMinute;
}

DateComparison compareFileTimes(qint64 sourceMs, qint64 destinationMs, quint64 sourceSize,
                                quint64 destinationSize)
{
    // Same day and less than a millisecond apart: with whole milliseconds, equal.
    if (sourceMs == destinationMs)
        return DateComparison::SameTime;
    // Split into days, hours, minutes and seconds (seconds within a millisecond of 60 carried
    // into the next minute), the gap is inside the window when the first three are 0 and the
    // seconds at most 2: with whole milliseconds that is exactly a gap of at most 2000 ms.
    if (std::llabs(sourceMs - destinationMs) <= 2000 && sourceSize == destinationSize)
        return DateComparison::SameTimeWithin2s;
    return sourceMs > destinationMs ? DateComparison::SourceNewer
                                    : DateComparison::DestinationNewer;
}

double FileLastWriteTime(const QString &path)
{
    return dateTimeFromMs(lastWriteMs(platform::statPath(path), platform::standardBiasMinutes()));
}

DateComparison CompareFileDates(const QString &sourcePath, const QString &destinationPath)
{
    const int bias = platform::standardBiasMinutes();
    const platform::FileStat source = platform::statPath(sourcePath);
    const platform::FileStat destination = platform::statPath(destinationPath);
    return compareFileTimes(lastWriteMs(source, bias), lastWriteMs(destination, bias),
                            fileSize64(source), fileSize64(destination));
}

bool IsReadOnlyFile(const QString &path)
{
    const platform::FileStat stat = platform::statPath(path);
    return !stat.ok() || !stat.ownerWritable;
}
