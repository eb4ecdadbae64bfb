#include "compare/folderchecks.h"

#include "compare/comparison.h"
#include "compare/refreshhost.h"
#include "platform/filestat.h"
#include "platform/forcefolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>

namespace {

QString inaccessibleRow(const QString &folder)
{
    return u"* Répertoire inaccessible : \"" + folder + u"\" *";
}

} // namespace

std::optional<FolderRefusal> checkFolders(const FoldersOfList &folders, RefreshHost &host)
{
    if (auto refusal = checkFolderAccessible(folders.source))
        return refusal;
    if (auto refusal = checkDestinationFolder(folders.destination, host))
        return refusal;
    if (auto refusal = checkFoldersDistinct(folders))
        return refusal;
    if (auto refusal = confirmDriveRoot(folders, host))
        return refusal;
    return confirmRootDestination(folders.destination, host);
}

std::optional<FolderRefusal> checkFolderAccessible(const QString &folder)
{
    // A relative folder that no project file anchors would depend on where the program started.
    const platform::FileStat stat =
        QDir::isAbsolutePath(folder) ? platform::statPath(folder) : platform::FileStat{};
    if (stat.ok() && stat.folder)
        return std::nullopt;
    return FolderRefusal{
        inaccessibleRow(folder), QStringLiteral("Erreur"),
        u"Le répertoire \"" + folder +
            u"\" est inaccessible.\nS'il s'agit d'un lecteur de disque amovible, vérifiez si le "
            u"support est bien présent.\nS'il s'agit d'un lecteur réseau, vérifiez votre "
            u"connexion réseau.",
        true};
}

std::optional<FolderRefusal> checkDestinationFolder(const QString &folder, RefreshHost &host)
{
    const bool missing = platform::statPath(folder).error == ENOENT;
    if (!missing || !QDir::isAbsolutePath(folder) || platform::mayLieOnAbsentDisk(folder))
        return checkFolderAccessible(folder);
    if (!host.createMissingDestination(folder))
        return FolderRefusal{inaccessibleRow(folder), QStringLiteral("Erreur"), {}, false};
    const platform::IoStatus made = platform::ForceFolder(QFile::encodeName(folder));
    if (made.ok())
        return std::nullopt;
    return FolderRefusal{inaccessibleRow(folder), QStringLiteral("Erreur"),
                         QStringLiteral("Le répertoire \"%1\" n'a pas pu être créé : %2.")
                             .arg(folder, made.explanation()),
                         false};
}

std::optional<FolderRefusal> checkFoldersDistinct(const FoldersOfList &folders)
{
    // The same folder is known by its identity, whatever text reaches it: through a link, with
    // "./.." or a trailing '/'. Texts that differ in letter case name two folders here.
    const platform::FileStat source = platform::statPath(folders.source);
    const platform::FileStat destination = platform::statPath(folders.destination);
    const bool same = source.ok() && destination.ok()
                          ? source.device == destination.device && source.inode == destination.inode
                          : folders.source == folders.destination;
    if (!same)
        return std::nullopt;
    return FolderRefusal{QStringLiteral("* Répertoire Source et Destination identiques *"),
                         QStringLiteral("Erreur"),
                         {},
                         false};
}

std::optional<FolderRefusal> confirmDriveRoot(const FoldersOfList &folders, RefreshHost &host)
{
    // The root of a drive: "/" or a mount point.
    if (!folders.recursive || !platform::isFileSystemRoot(folders.source))
        return std::nullopt;
    const BoxButton answer = host.message(
        BoxKind::Confirmation,
        QStringLiteral("Le répertoire source spécifié est le répertoire principal d'un "
                       "lecteur.\nL'opération qui va suivre (mise à jour de la liste des "
                       "fichiers à copier, ou copie des fichiers) peut prendre plusieures "
                       "minutes.\nSouhaitez-vous tout de même continuer ?"),
        {BoxButton::Yes, BoxButton::No});
    if (answer != BoxButton::No)
        return std::nullopt;
    return FolderRefusal{Comparison::notRefreshedText(), QStringLiteral("Info"), {}, false};
}

std::optional<FolderRefusal> confirmRootDestination(const QString &folder, RefreshHost &host)
{
    const platform::FileStat destination = platform::statPath(folder);
    const platform::FileStat root = platform::statPath("/");
    if (!destination.ok() || destination.device != root.device || destination.inode != root.inode)
        return std::nullopt;
    if (host.acceptRootDestination(folder))
        return std::nullopt;
    return FolderRefusal{Comparison::notRefreshedText(), QStringLiteral("Info"), {}, false};
}
