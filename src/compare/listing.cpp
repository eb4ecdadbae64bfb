#include "compare/comparison.h"

#include "compare/comparisonscopes.h"
#include "compare/folderpath.h"
#include "compare/foldersearch.h"
#include "compare/statuscode.h"
#include "platform/filestat.h"
#include "platform/iostatus.h"
#include "project/project.h"

namespace {

// A folder of the source the listing could not read, in its place among the files: a message,
// never a file, so that no pass classifies it and no copy run touches it.
bool addUnreadFolderRow(FileList &list, FoundFile &folder, const QString &source)
{
    try {
        const platform::IoStatus status = platform::IoStatus::fromErrno(folder.folderError);
        FileEntry &row = list.append();
        row.statusCode = StatusError;
        row.statusText = u"Erreur : dossier illisible (" + status.explanation() + u')';
        row.files = std::move(folder.relative);
        row.rawFiles = std::move(folder.raw);
        row.message = true;
        list.setStatusDetail(list.count() - 1, u"Lecture du dossier " +
                                                   JoinFolderPath(source, row.files) + u" : " +
                                                   status.reason());
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace

void Comparison::ListSourceFolder()
{
    WalkScope walk(m_walking);
    BusyCursorScope cursor(m_host);
    m_fileList.clear();
    FileListUpdate update(m_fileList);

    FolderSearch search;
    search.fileMasks = {QStringLiteral("*")}; // every name, also one without a dot
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
    search.execute();

    // Rows are created only now, in the sorted order, all inside the one bulk update.
    std::vector<FoundFile> &found = search.foundFiles();
    m_fileList.reserve(int(found.size()));
    for (FoundFile &file : found) {
        if (file.folderError != 0) {
            if (!addUnreadFolderRow(m_fileList, file, m_project.SrcPath))
                break;
            ++UnreadableFolderCount;
        } else if (!AddListedFile(file)) {
            break;
        }
    }
    m_freshListing = true;
}

bool Comparison::AddListedFile(FoundFile &found)
{
    try {
        FileEntry &row = m_fileList.append();
        row.files = std::move(found.relative);
        row.rawFiles = std::move(found.raw);
        row.listedSize = found.size;
        row.listedMtimeMs = found.mtimeMs;
        row.sized = true;
        return true;
    } catch (const std::exception &) {
        return false;
    }
}
