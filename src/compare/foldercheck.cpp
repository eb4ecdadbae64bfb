#include "compare/comparison.h"

#include "compare/comparisonscopes.h"
#include "compare/statuscode.h"
#include "platform/filestat.h"
#include "platform/forcefolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>

void Comparison::CheckFolderAccessible(const QString &folder)
{
    // A relative folder that no project file anchors would depend on where the program started.
    const platform::FileStat stat =
        QDir::isAbsolutePath(folder) ? platform::statPath(folder) : platform::FileStat{};
    if (stat.ok() && stat.folder)
        return;
    m_filesToCopyCount = 0;
    ShowSummary();
    AddErrorRow(StatusError, u"* Répertoire inaccessible : \"" + folder + u"\" *",
                QStringLiteral("Erreur"));
    m_host.message(BoxKind::Warning,
                   u"Le répertoire \"" + folder +
                       u"\" est inaccessible.\nS'il s'agit d'un lecteur de disque amovible, "
                       u"vérifiez si le support est bien présent.\nS'il s'agit d'un lecteur "
                       u"réseau, vérifiez votre connexion réseau.",
                   {BoxButton::Ok});
    throw Abort();
}

void Comparison::CheckDestinationFolder(const QString &folder)
{
    const bool missing = platform::statPath(folder).error == ENOENT;
    if (!missing || !QDir::isAbsolutePath(folder) || platform::mayLieOnAbsentDisk(folder)) {
        CheckFolderAccessible(folder);
        return;
    }
    if (!m_host.createMissingDestination(folder)) {
        m_filesToCopyCount = 0;
        AddErrorRow(StatusError, u"* Répertoire inaccessible : \"" + folder + u"\" *",
                    QStringLiteral("Erreur"));
        throw Abort();
    }
    const platform::IoStatus made = platform::ForceFolder(QFile::encodeName(folder));
    if (made.ok())
        return;
    m_filesToCopyCount = 0;
    AddErrorRow(StatusError, u"* Répertoire inaccessible : \"" + folder + u"\" *",
                QStringLiteral("Erreur"));
    m_host.message(BoxKind::Warning,
                   QStringLiteral("Le répertoire \"%1\" n'a pas pu être créé : %2.")
                       .arg(folder, made.explanation()),
                   {BoxButton::Ok});
    throw Abort();
}

void Comparison::ConfirmRootDestination()
{
    const platform::FileStat destination = platform::statPath(listedFolders().destination);
    const platform::FileStat root = platform::statPath("/");
    if (!destination.ok() || destination.device != root.device || destination.inode != root.inode)
        return;
    if (m_host.acceptRootDestination(listedFolders().destination))
        return;
    AddErrorRow(StatusError, notRefreshedText(), QStringLiteral("Info"));
    throw Abort();
}

void Comparison::CheckFoldersDistinct()
{
    // The same folder is known by its identity, whatever text reaches it: through a link, with
    // "./.." or a trailing '/'. Texts that differ in letter case name two folders here.
    const FoldersOfList folders = listedFolders();
    const platform::FileStat source = platform::statPath(folders.source);
    const platform::FileStat destination = platform::statPath(folders.destination);
    const bool same = source.ok() && destination.ok()
                          ? source.device == destination.device && source.inode == destination.inode
                          : folders.source == folders.destination;
    if (!same)
        return;
    m_filesToCopyCount = 0;
    AddErrorRow(StatusError, QStringLiteral("* Répertoire Source et Destination identiques *"),
                QStringLiteral("Erreur"));
    throw Abort();
}

void Comparison::ConfirmDriveRoot()
{
    // The root of a drive: "/" or a mount point.
    const FoldersOfList folders = listedFolders();
    if (!folders.recursive || !platform::isFileSystemRoot(folders.source))
        return;
    const BoxButton answer = m_host.message(
        BoxKind::Confirmation,
        QStringLiteral("Le répertoire source spécifié est le répertoire principal d'un "
                       "lecteur.\nL'opération qui va suivre (mise à jour de la liste des "
                       "fichiers à copier, ou copie des fichiers) peut prendre plusieures "
                       "minutes.\nSouhaitez-vous tout de même continuer ?"),
        {BoxButton::Yes, BoxButton::No});
    if (answer != BoxButton::No)
        return;
    AddErrorRow(StatusError, notRefreshedText(), QStringLiteral("Info"));
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
