#include "compare/comparison.h"
#include "compare/comparisonscopes.h"
#include "compare/filelist.h"
#include "compare/folderpath.h"
#include "compare/rowsides.h"
#include "compare/statuscode.h"
#include "platform/folderstatcache.h"
#include "platform/zonebias.h"
#include "project/project.h"

#include <future>
#include <system_error>

namespace {

// Whether a classification pass gives the row a verdict: it leaves alone the rows up to date,
// the messages, and the failed copies, which keep their error until the next refresh.
bool examined(const FileEntry &row)
{
    return !isUpToDate(row.statusCode) && !row.message && row.statusCode != StatusError;
}

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

std::vector<RowToRead> rowsToClassify(const FileList &list)
{
    std::vector<RowToRead> rows;
    for (int i = 0; i < list.count(); ++i) {
        const FileEntry &row = list.row(i);
        if (examined(row))
            rows.push_back({i, row.files, row.rawFiles});
    }
    return rows;
}

std::vector<RowSides> readRowSides(const QString &srcPath, const QString &destPath,
                                   const std::vector<RowToRead> &rows,
                                   const std::atomic<bool> &stop)
{
    // The two sides at once, each on its own thread: they are often different disks.
    std::vector<platform::FileStat> sources;
    std::vector<platform::FileStat> destinations;
    try {
        auto reading = std::async(
            std::launch::async, [&srcPath, &rows, &stop] { return readSide(srcPath, rows, stop); });
        destinations = readSide(destPath, rows, stop);
        sources = reading.get();
    } catch (const std::system_error &) {
        // No thread to be had: one side after the other.
        sources = readSide(srcPath, rows, stop);
        destinations = readSide(destPath, rows, stop);
    }
    std::vector<RowSides> sides;
    const std::size_t count = std::min(sources.size(), destinations.size());
    sides.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        sides.push_back({rows[i].index, sources[i], destinations[i]});
    return sides;
}

void Comparison::ClassifyAfterCopyRun(const std::vector<RowSides> &sides)
{
    if (StopRequested) {
        m_freshListing = false;
        return;
    }
    WalkScope walk(m_walking);
    m_freshListing = false;
    FilesToCopyCount = 0;
    int failedCopies = 0;
    BusyCursorScope cursor(m_host);
    BusyScope busyScope(*this, m_host, BusyReason::Classification);
    const int rows = m_fileList.count();
    const QString rowsText = QString::number(rows);
    ShowStatusMessage(u"Recherche des fichiers à mettre à jour... / " + rowsText);
    FileListUpdate update(m_fileList);

    const int bias = platform::standardBiasMinutes();
    // Rows the run did not read (it ended early) are read here.
    RowPathBuilder sourcePaths(m_project.SrcPath);
    RowPathBuilder destinationPaths(m_project.DestPath);
    platform::FolderStatCache sources;
    platform::FolderStatCache destinations;
    auto read = sides.cbegin();
    for (int i = 0; i < rows; ++i) {
        // No file is read for most rows: the text changes every few hundred rows only.
        if ((i & 255) == 0)
            ShowStatusMessage(u"Recherche des fichiers à mettre à jour... " + QString::number(i) +
                              u" / " + rowsText);
        if (i >= m_fileList.count())
            break; // cannot happen while the pass is busy; never read past the rows
        const FileEntry &row = m_fileList.row(i);
        if (!examined(row)) {
            failedCopies += row.statusCode == StatusError && !row.message;
            continue;
        }
        while (read != sides.cend() && read->index < i)
            ++read;
        if (read != sides.cend() && read->index == i) {
            classifyRow(i, read->source, read->destination, bias);
        } else {
            classifyRow(i, sources.stat(sourcePaths.path(row.files, row.rawFiles)),
                        destinations.stat(destinationPaths.path(row.files, row.rawFiles)), bias);
        }
    }
    FailedCopyCount = failedCopies;
    update.end();
    cursor.end();
    busyScope.end();
    ShowSummary();
}
