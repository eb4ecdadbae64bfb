#include "compare/comparison.h"

#include "compare/comparisonscopes.h"
#include "project/project.h"

Comparison::Comparison(const TProject &project, const UserPrefs &prefs, RefreshHost &host)
    : m_project(project), m_prefs(prefs), m_host(host)
{
    QObject::connect(&m_fileList, &FileList::cleared, &m_fileList, [this] {
        FilesToCopyCount = 0;
        FailedCopyCount = 0;
        UnreadableFolderCount = 0;
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
    CheckFolderAccessible(m_project.SrcPath);
    CheckFolderAccessible(m_project.DestPath);
    CheckFoldersDistinct();
    ConfirmDriveRoot();
    StopRequested = false;
    BusyScope busyScope(*this, m_host, BusyReason::Refresh);
    ShowStatusMessage(QStringLiteral("Listing fichiers en cours..."));
    ListSourceFolder();
    ClassifyFileList();
    busyScope.end();
    ShowSummary();
}

void Comparison::beginCopyRun()
{
    m_busy = BusyReason::CopyRun;
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
    if (!m_inputTimer.isValid() || m_inputTimer.elapsed() >= kInputIntervalMs) {
        m_host.processPendingInput();
        m_inputTimer.start();
    }
}

void Comparison::ShowSummary()
{
    m_host.showSummary();
}

QString Comparison::summaryText() const
{
    if (StopRequested)
        return notRefreshedText();
    const QString rows = QString::number(m_fileList.count());
    QString text;
    switch (FilesToCopyCount) {
    case 0:
        text = u"Aucun fichier à copier / " + rows;
        break;
    case 1:
        text = u"1 fichier à copier / " + rows;
        break;
    default:
        text = QString::number(FilesToCopyCount) + u" fichiers à copier / " + rows;
        break;
    }
    if (FailedCopyCount == 1)
        text += u" ; 1 copie en erreur";
    else if (FailedCopyCount > 1)
        text += u" ; " + QString::number(FailedCopyCount) + u" copies en erreur";
    if (UnreadableFolderCount == 1)
        text += u" ; liste incomplète : 1 dossier illisible";
    else if (UnreadableFolderCount > 1)
        text += u" ; liste incomplète : " + QString::number(UnreadableFolderCount) +
                u" dossiers illisibles";
    return text;
}

QString Comparison::notRefreshedText()
{
    return QStringLiteral("Liste des fichiers à copier non raffraichie");
}
