#include "compare/comparison.h"

#include "compare/comparisonscopes.h"
#include "compare/filesize.h"
#include "compare/folderpath.h"
#include "compare/foldersearch.h"
#include "platform/filestat.h"
#include "project/project.h"

void Comparison::ListSourceFolder()
{
    WalkScope walk(m_walking);
    BusyCursorScope cursor(m_host);
    m_fileList.clear();
    FileListUpdate update(m_fileList);

    FolderSearch search;
    search.fileMasks = {QStringLiteral("*.*")};
    search.includeSubDirectories = m_project.PathRecursive;
    search.rootDirectory = m_project.SrcPath;
    if (m_project.PathRecursive) {
        // A destination inside the source would list as source files, and every copy run
        // would nest it one level deeper. Known by identity, whatever text names it.
        const platform::FileStat destination = platform::statPath(m_project.DestPath);
        if (destination.ok() && destination.folder)
            search.excludedFolder = platform::FolderId{destination.device, destination.inode};
    }
    search.OnBeginScanDir = [this](const QString &) {
        ShowStatusMessage(QStringLiteral("Listing fichiers en cours..."));
    };
    search.OnFindDirectory = [this, &search](const QString &folder) {
        ShowStatusMessage(folder);
        m_fileList.endUpdate(); // lets the view repaint
        m_fileList.beginUpdate();
        if (StopRequested)
            search.abort();
    };
    search.OnFindFile = [this, &search](const FoundFile &) {
        if (StopRequested)
            search.abort();
    };
    // An error ends the search early: what was found is still listed, without a word.
    search.execute();

    // Rows are created only now, in the sorted order, all inside the one bulk update.
    std::vector<FoundFile> &found = search.foundFiles();
    m_fileList.reserve(int(found.size()));
    const SizeFormatter sizes;
    for (FoundFile &file : found) {
        if (!AddListedFile(file, sizes))
            break;
    }
    m_freshListing = true;
}

bool Comparison::AddListedFile(FoundFile &found, const SizeFormatter &sizes)
{
    try {
        FileEntry &row = m_fileList.append();
        row.fileExt = extensionOf(found.relative);
        row.fileSize = sizes.text(double(found.size), false);
        row.files = std::move(found.relative);
        row.rawFiles = std::move(found.raw);
        row.listedSize = found.size;
        row.listedMtimeMs = found.mtimeMs;
        return true;
    } catch (const std::exception &) {
        return false;
    }
}
