#include "compare/comparison.h"

#include "compare/comparisonscopes.h"
#include "compare/folderchecks.h"
#include "compare/rowedits.h"
#include "compare/statuscode.h"
#include "project/project.h"

#include <new>

Comparison::Comparison(const TProject &project, const UserPrefs &prefs, RefreshHost &host)
    : m_project(project), m_prefs(prefs), m_host(host)
{
    QObject::connect(&m_fileList, &FileList::cleared, &m_fileList, [this] {
        m_filesToCopyCount = 0;
        m_failedCopyCount = 0;
        m_unreadableFolderCount = 0;
        m_stoppedRunCopies = -1;
        m_listingFailure.clear();
        m_freshListing = false;
        std::vector<ListedDestination>().swap(m_listedDestinations);
    });
}

void Comparison::RefreshFileList()
{
    // Pending input let through while the list is worked on must not start another refresh.
    if (busy() || m_walking)
        throw Abort();
    BusyCursorScope cursor(m_host);
    m_fileList.clear();
    // The list belongs to these folders from now on, whatever the fields hold later.
    m_listed = FoldersOfList::of(m_project);
    m_foldersEdited = false;
    m_listCut = false;
    if (const std::optional<FolderRefusal> refusal = checkFolders(*m_listed, m_host))
        refuse(*refusal);
    const platform::FileStat source = platform::statPath(m_listed->source);
    const platform::FileStat destination = platform::statPath(m_listed->destination);
    m_listedSource = {source.device, source.inode};
    m_listedDestination = {destination.device, destination.inode};
    StopRequested = false;
    BusyScope busyScope(*this, m_host, BusyReason::Refresh);
    ShowStatusMessage(QStringLiteral("Listing fichiers en cours..."));
    // An error that cuts the listing short leaves the rows listed until then, classified, and a
    // row that says the list is incomplete, as an unreadable folder does.
    try {
        ListSourceFolder();
    } catch (const std::bad_alloc &) {
        m_listingFailure = QStringLiteral("mémoire insuffisante");
    } catch (const std::exception &error) {
        m_listingFailure = QString::fromLocal8Bit(error.what());
    }
    if (!m_listingFailure.isEmpty())
        addListingFailureRow();
    // A listing cut short keeps its rows unclassified; a Stop during the classification leaves
    // a list that is complete but told as not refreshed all the same.
    m_listCut = StopRequested;
    classifyRows(nullptr);
    m_listCut = StopRequested;
    busyScope.end();
    ShowSummary();
}

FoldersOfList Comparison::listedFolders() const
{
    return m_listed.value_or(FoldersOfList::of(m_project));
}

QString Comparison::folderNoLongerListed() const
{
    if (!m_listed)
        return QString();
    for (const auto &[folder, id] : {std::pair(m_listed->source, m_listedSource),
                                     std::pair(m_listed->destination, m_listedDestination)}) {
        const platform::FileStat now = platform::statPath(folder);
        if (!now.ok() || !now.folder || platform::FolderId{now.device, now.inode} != id)
            return folder;
    }
    return QString();
}

void Comparison::foldersChanged()
{
    if (m_listed && FoldersOfList::of(m_project) != *m_listed)
        m_foldersEdited = true;
}

void Comparison::beginCopyRun()
{
    m_busy = BusyReason::CopyRun;
    m_stoppedRunCopies = -1;
}

void Comparison::endStoppedCopyRun(const std::vector<int> &copied)
{
    FileListUpdate update(m_fileList);
    for (const int index : copied) {
        if (index >= 0 && index < m_fileList.count() &&
            isDueForCopy(m_fileList.row(index).statusCode))
            m_fileList.setStatus(index, StatusUpToDate, m_fileList.row(index).statusText);
    }
    update.end();
    recountRows();
    m_stoppedRunCopies = int(copied.size());
}

void Comparison::recountRows()
{
    m_filesToCopyCount = 0;
    m_failedCopyCount = 0;
    for (int i = 0; i < m_fileList.count(); ++i) {
        const FileEntry &row = m_fileList.row(i);
        m_filesToCopyCount += row.classified && countsForCopy(row);
        m_failedCopyCount += row.statusCode == StatusError && !row.message;
    }
}

void Comparison::endCopyRun()
{
    if (m_busy == BusyReason::CopyRun)
        m_busy = BusyReason::None;
}

void Comparison::ShowStatusMessage(const QString &text)
{
    m_host.setStatusText(text);
    LetInputThrough();
}

void Comparison::LetInputThrough()
{
    if (m_input.due())
        m_host.processPendingInput();
}

void Comparison::ShowSummary()
{
    m_host.showSummary();
}

QString Comparison::summaryText() const
{
    if (!listCurrent())
        return notRefreshedText();
    const QString rows = QString::number(m_fileList.count());
    QString text;
    if (m_stoppedRunCopies == 0)
        text = QStringLiteral("Copie arrêtée : aucun fichier copié ; ");
    else if (m_stoppedRunCopies == 1)
        text = QStringLiteral("Copie arrêtée : 1 fichier copié ; ");
    else if (m_stoppedRunCopies > 1)
        text = QStringLiteral("Copie arrêtée : %1 fichiers copiés ; ").arg(m_stoppedRunCopies);
    switch (m_filesToCopyCount) {
    case 0:
        text += u"Aucun fichier à copier / " + rows;
        break;
    case 1:
        text += u"1 fichier à copier / " + rows;
        break;
    default:
        text += QString::number(m_filesToCopyCount) + u" fichiers à copier / " + rows;
        break;
    }
    if (m_failedCopyCount == 1)
        text += u" ; 1 copie en erreur";
    else if (m_failedCopyCount > 1)
        text += u" ; " + QString::number(m_failedCopyCount) + u" copies en erreur";
    if (!m_listingFailure.isEmpty())
        text += u" ; liste incomplète : lecture interrompue";
    if (m_unreadableFolderCount == 1)
        text += u" ; liste incomplète : 1 dossier illisible";
    else if (m_unreadableFolderCount > 1)
        text += u" ; liste incomplète : " + QString::number(m_unreadableFolderCount) +
                u" dossiers illisibles";
    return text;
}

void Comparison::addListingFailureRow()
{
    try {
        FileEntry &row = m_fileList.append();
        row.statusCode = StatusError;
        row.files = QStringLiteral("* Lecture de la liste interrompue *");
        row.statusText = u"Erreur : " + m_listingFailure;
        row.message = true;
        m_fileList.notifyRowChanged(m_fileList.count() - 1);
    } catch (const std::exception &) {
        // No room for the row: the summary still says the list is incomplete.
    }
}

QString Comparison::notRefreshedText()
{
    return QStringLiteral("Liste des fichiers à copier non raffraichie");
}

void Comparison::refuse(const FolderRefusal &refusal)
{
    m_filesToCopyCount = 0;
    if (refusal.summaryFirst)
        ShowSummary();
    AddErrorRow(StatusError, refusal.rowText, refusal.statusText);
    if (!refusal.boxText.isEmpty())
        m_host.message(BoxKind::Warning, refusal.boxText, {BoxButton::Ok});
    throw Abort();
}

void Comparison::AddErrorRow(std::int32_t code, const QString &text, const QString &statusText)
{
    try {
        FileEntry &row = m_fileList.append();
        row.statusCode = code;
        row.files = text;
        row.statusText = statusText;
        row.message = true;
        m_fileList.notifyRowChanged(m_fileList.count() - 1);
    } catch (const std::exception &) {
        // The row is a courtesy; the status text below still tells.
    }
    m_host.setStatusText(notRefreshedText());
}
