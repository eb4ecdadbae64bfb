#include "compare/comparison.h"

#include "compare/comparisonscopes.h"
#include "compare/filetime.h"
#include "compare/folderpath.h"
#include "compare/rowsides.h"
#include "compare/statuscode.h"
#include "compare/verdicttext.h"
#include "platform/filestat.h"
#include "platform/folderstatcache.h"
#include "platform/zonebias.h"
#include "project/project.h"
#include "project/userprefs.h"

#include <utility>

namespace {

// The listing's reading of a source file it found as a regular file.
platform::FileStat listedSource(const FileEntry &row)
{
    platform::FileStat stat;
    stat.error = 0;
    stat.regular = true;
    stat.size = row.listedSize;
    stat.mtimeMs = row.listedMtimeMs;
    return stat;
}

} // namespace

void Comparison::ClassifyFileList()
{
    if (classifyRows(nullptr))
        ShowSummary();
}

void Comparison::ClassifyAfterCopyRun(const std::vector<RowSides> &sides)
{
    if (classifyRows(&sides))
        ShowSummary();
}

// Each side of a row comes from what was already read of it when there is such a reading: the
// copy run's sides, else the listing that directly preceded the pass; otherwise from a stat.
bool Comparison::classifyRows(const std::vector<RowSides> *sides)
{
    // The rows of a listing cut short stay unclassified: no copy run ever acts on them.
    if (m_listCut) {
        m_freshListing = false;
        std::vector<ListedDestination>().swap(m_listedDestinations);
        return false;
    }
    WalkScope walk(m_walking);
    m_stoppedRunCopies = -1;
    const bool freshListing = std::exchange(m_freshListing, false);
    // What the listing read of the destinations serves this pass only, and only row for row.
    std::vector<ListedDestination> listedDestinations;
    listedDestinations.swap(m_listedDestinations);
    m_filesToCopyCount = 0;
    int failedCopies = 0;
    BusyCursorScope cursor(m_host);
    // A pass run outside a refresh or a copy run is busy too: nothing may change the list
    // while pending input is let through between rows.
    BusyScope busyScope(*this, m_host, BusyReason::Classification);
    const int rows = m_fileList.count();
    const QString rowsText = QString::number(rows);
    ShowStatusMessage(u"Recherche des fichiers à mettre à jour... / " + rowsText);
    FileListUpdate update(m_fileList);

    const int bias = platform::standardBiasMinutes();
    const FoldersOfList folders = listedFolders();
    RowPathBuilder sourcePaths(folders.source);
    RowPathBuilder destinationPaths(folders.destination);
    platform::FolderStatCache sources;
    platform::FolderStatCache destinations;
    const bool destinationsListed = freshListing && listedDestinations.size() == std::size_t(rows);
    // After a copy run no file is read for most rows: the text changes every 256 rows only.
    const int messageMask = sides != nullptr ? 255 : 0;
    std::size_t nextSide = 0;
    for (int i = 0; i < rows; ++i) {
        if ((i & messageMask) == 0)
            ShowStatusMessage(u"Recherche des fichiers à mettre à jour... " + QString::number(i) +
                              u" / " + rowsText);
        if (i >= m_fileList.count())
            break; // cannot happen while the pass is busy; never read past the rows
        const FileEntry &row = m_fileList.row(i);
        if (!examinedByClassification(row)) {
            // A failed copy keeps its error and its reason until the next refresh lists afresh.
            failedCopies += row.statusCode == StatusError && !row.message;
            continue;
        }
        while (sides != nullptr && nextSide < sides->size() && (*sides)[nextSide].index < i)
            ++nextSide;
        if (sides != nullptr && nextSide < sides->size() && (*sides)[nextSide].index == i) {
            classifyRow(i, (*sides)[nextSide].source, (*sides)[nextSide].destination, bias);
            continue;
        }
        const platform::FileStat source =
            freshListing && row.listedSize >= 0
                ? listedSource(row)
                : sources.stat(sourcePaths.path(row.files, row.rawFiles));
        const platform::FileStat destination =
            destinationsListed ? listedDestinations[std::size_t(i)].stat()
                               : destinations.stat(destinationPaths.path(row.files, row.rawFiles));
        classifyRow(i, source, destination, bias);
    }
    m_failedCopyCount = failedCopies;
    update.end();
    cursor.end();
    busyScope.end();
    return true;
}

// One stat call per side gives existence, time, size and read-only state.
void Comparison::classifyRow(int index, const platform::FileStat &source,
                             const platform::FileStat &destination, int biasMinutes)
{
    FileEntry &row = m_fileList.row(index);
    const bool destinationExists = destination.ok() && destination.regular;
    const qint64 sourceMs = lastWriteMs(source, biasMinutes);
    const qint64 destinationMs = lastWriteMs(destination, biasMinutes);
    row.dtSrc = dateTimeFromMs(sourceMs);
    if (destinationExists)
        row.dtDest = dateTimeFromMs(destinationMs);
    row.classified = true;

    if (m_project.IsExtExcluded(extensionOf(row.files))) {
        m_fileList.setStatus(index, StatusExcludedByExtension, verdictText(Verdict::Excluded));
    } else if (m_project.IsFileExcluded(row.files, row.rawFiles)) {
        m_fileList.setStatus(index, StatusExcludedByFile, verdictText(Verdict::Excluded));
    } else if (!destinationExists) {
        m_fileList.setStatus(index, StatusToCopy, verdictText(Verdict::ToCopy));
        ++m_filesToCopyCount;
    } else if (!destination.ownerWritable && !m_prefs.FileSyncReadOnly) {
        // Not counted, and the dates are not compared.
        m_fileList.setStatus(index, StatusToCopy, verdictText(Verdict::ReadOnly));
    } else {
        switch (compareFileTimes(sourceMs, destinationMs, fileSize64(source),
                                 fileSize64(destination))) {
        case DateComparison::SourceNewer:
            m_fileList.setStatus(index, StatusToCopy, verdictText(Verdict::ToCopy));
            ++m_filesToCopyCount;
            break;
        case DateComparison::DestinationNewer:
            m_fileList.setStatus(index, StatusInconsistent, verdictText(Verdict::Inconsistent));
            break;
        case DateComparison::SameTimeWithin2s:
            m_fileList.setStatus(index, StatusUpToDateWithin2s,
                                 verdictText(Verdict::UpToDateWithin2s));
            break;
        case DateComparison::SameTime:
            m_fileList.setStatus(index, StatusUpToDate, verdictText(Verdict::UpToDate));
            break;
        }
    }
}
