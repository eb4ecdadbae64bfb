#include "compare/rowsides.h"

#include "compare/fileentry.h"
#include "compare/folderpath.h"
#include "compare/statuscode.h"
#include "platform/folderstatcache.h"
#include "platform/jobthread.h"

bool examinedByClassification(const FileEntry &row)
{
    return !isUpToDate(row.statusCode) && !row.message && row.statusCode != StatusError;
}

namespace {

// One side of every row, read in order through a cache of open folders.
std::vector<platform::FileStat> readSide(const QString &folder, const std::vector<RowToRead> &rows,
                                         const std::atomic<bool> &stop)
{
    std::vector<platform::FileStat> stats;
    stats.reserve(rows.size());
    RowPathBuilder paths(folder);
    platform::FolderStatCache cache;
    for (const RowToRead &row : rows) {
        if ((stats.size() & 255) == 0 && stop.load())
            break;
        stats.push_back(cache.stat(paths.path(row.files, row.rawFiles)));
    }
    return stats;
}

} // namespace

std::vector<RowSides> readRowSides(const QString &srcPath, const QString &destPath,
                                   const std::vector<RowToRead> &rows,
                                   const std::atomic<bool> &stop)
{
    // The two sides at once, each on its own thread: they are often different disks.
    // Without a thread, one side after the other.
    platform::JobResult reading(platform::Job::RowSides,
                                [&srcPath, &rows, &stop] { return readSide(srcPath, rows, stop); });
    const std::vector<platform::FileStat> destinations = readSide(destPath, rows, stop);
    const std::vector<platform::FileStat> sources = reading.get();
    std::vector<RowSides> sides;
    const std::size_t count = std::min(sources.size(), destinations.size());
    sides.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        sides.push_back({rows[i].index, sources[i], destinations[i]});
    return sides;
}
