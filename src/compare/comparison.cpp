#include "compare/comparison.h"

#include "compare/comparisonscopes.h"
#include "project/project.h"

Comparison::Comparison(const TProject &project, const UserPrefs &prefs, RefreshHost &host)
    : m_project(project), m_prefs(prefs), m_host(host)
{
    QObject::connect(&m_fileList, &FileList::cleared, &m_fileList, [this] {
        FilesToCopyCount = 0;
        m_freshListing = false;
    });
}

void Comparison::RefreshFileList()
{
    // Pending input let through while the list is worked on must not start another refresh.
    if (Busy || m_walking)
        throw Abort();
    BusyCursorScope cursor(m_host);
    m_fileList.clear();
    CheckFolderAccessible(m_project.SrcPath);
    CheckFolderAccessible(m_project.DestPath);
    CheckFoldersDistinct();
    ConfirmDriveRoot();
    StopRequested = false;
    BusyScope busy(*this, m_host);
    ShowStatusMessage(QStringLiteral("Listing fichiers en cours..."));
    ListSourceFolder();
    ClassifyFileList();
    busy.end();
    ShowSummary();
}

void Comparison::ShowStatusMessage(const QString &text)
{
    m_host.setStatusText(text);
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
    switch (FilesToCopyCount) {
    case 0:
        return u"Aucun fichier à copier / " + rows;
    case 1:
        return u"1 fichier à copier / " + rows;
    default:
        return QString::number(FilesToCopyCount) + u" fichiers à copier / " + rows;
    }
}

QString Comparison::notRefreshedText()
{
    return QStringLiteral("Liste des fichiers à copier non raffraichie");
}
