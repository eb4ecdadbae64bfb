#include "compare/deletion.h"

#include "compare/foldersoflist.h"
#include "compare/rowfiles.h"
#include "platform/deletefile.h"
#include "platform/nofollowpath.h"
#include "project/userprefs.h"

#include <QFile>

#include <cerrno>
#include <utility>

namespace {

using platform::NoFollowPath;

QString filesText(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 fichier") : QStringLiteral("%1 fichiers").arg(count);
}

QString foldersText(const DeletionChoice &choice)
{
    if (choice.source && choice.destination)
        return QStringLiteral("des répertoires source et destination");
    return choice.source ? QStringLiteral("du répertoire source")
                         : QStringLiteral("du répertoire destination");
}

QString confirmationText(const DeletionChoice &choice, qsizetype count)
{
    return choice.toTrash ? QStringLiteral("Mettre %1 %2 dans la poubelle ?")
                                .arg(filesText(count), foldersText(choice))
                          : QStringLiteral("Supprimer définitivement %1 %2 ?")
                                .arg(filesText(count), foldersText(choice));
}

QString trashRefusedText(qsizetype count)
{
    return count == 1 ? QStringLiteral("La poubelle ne peut pas recevoir 1 fichier.\n"
                                       "Souhaitez-vous le supprimer définitivement ?\n"
                                       "(Non : il reste en place.)")
                      : QStringLiteral("La poubelle ne peut pas recevoir %1 fichiers.\n"
                                       "Souhaitez-vous les supprimer définitivement ?\n"
                                       "(Non : ils restent en place.)")
                            .arg(count);
}

QString errorText(const QString &path)
{
    return QStringLiteral("Une erreur s'est produite durant la suppression du fichier suivant :\n"
                          "\"%1\"\n\nSouhaitez-vous tout de même poursuivre l'opération en "
                          "cours ?")
        .arg(path);
}

QString displayPath(const DeletionFile &file)
{
    return QFile::decodeName(file.path);
}

// Adds the row's file below one folder when it is a file; a missing name, a folder or a
// device is passed over, a name that could not be examined is told.
void planFile(const QByteArray &path, qsizetype rootLength, DeletionPlan &plan)
{
    const NoFollowPath file(path.left(rootLength), path.mid(rootLength));
    const int error = file.status().error();
    if (error == ENOENT || error == ENOTDIR || error == EISDIR)
        return;
    if (!file.status().ok()) {
        plan.unexamined.append({QFile::decodeName(path), file.status()});
        return;
    }
    const NoFollowPath::Kind kind = file.kind();
    if (file.isFile())
        plan.files.append({path, rootLength});
    else if (kind == NoFollowPath::Kind::Folder)
        plan.notFiles.append({QFile::decodeName(path), platform::IoStatus::fromErrno(EISDIR)});
    else if (kind != NoFollowPath::Kind::Missing)
        plan.notFiles.append({QFile::decodeName(path),
                              platform::IoStatus::own(platform::IoStatus::Cause::NotRegularFile)});
}

platform::DeleteOutcome deleteFile(const DeletionFile &file, bool toTrash)
{
    return platform::deleteFileBelow(file.path.left(file.rootLength),
                                     file.path.mid(file.rootLength), toTrash);
}

// Deletes each file; what the trash did not take goes for good only on the user's word, asked
// once for all of them.
void deleteFiles(const QList<DeletionFile> &files, bool toTrash, DeletionHost &host,
                 DeletionResult &result)
{
    QList<std::pair<DeletionFile, platform::IoStatus>> refused;
    for (const DeletionFile &file : files) {
        const platform::DeleteOutcome outcome = deleteFile(file, toTrash);
        if (outcome.status.ok())
            ++result.deleted;
        else if (outcome.trashRefused)
            refused.append({file, outcome.status});
        else
            result.failures.append({displayPath(file), outcome.status});
    }
    const bool forGood = !refused.isEmpty() && host.confirm(trashRefusedText(refused.size()));
    for (const auto &[file, trashStatus] : std::as_const(refused)) {
        const platform::IoStatus status = forGood ? deleteFile(file, false).status : trashStatus;
        if (status.ok())
            ++result.deleted;
        else
            result.failures.append({displayPath(file), status});
    }
}

} // namespace

DeletionChoice DeletionChoice::fromPrefs(const UserPrefs &prefs)
{
    return {prefs.FileDeleteSrc, prefs.FileDeleteDest, prefs.FileDeleteSendToTrash};
}

void DeletionChoice::storeInto(UserPrefs &prefs) const
{
    prefs.FileDeleteSrc = source;
    prefs.FileDeleteDest = destination;
    prefs.FileDeleteSendToTrash = toTrash;
}

DeletionPlan planDeletion(const FileList &rows, const QList<int> &selected,
                          const QString &sourceFolder, const QString &destinationFolder,
                          const DeletionChoice &choice)
{
    DeletionPlan plan;
    for (const RowFile &file : filesOfRows(rows, selected, sourceFolder, destinationFolder,
                                           choice.source, choice.destination))
        planFile(file.path, file.rootLength, plan);
    return plan;
}

DeletionResult runDeletion(const DeletionCommand &command, const FileList &rows,
                           const QList<int> &selected, const FoldersOfList &folders,
                           UserPrefs &prefs, DeletionHost &host)
{
    const DeletionChoice choice = command.value_or(DeletionChoice::fromPrefs(prefs));
    DeletionPlan plan = planDeletion(rows, selected, folders.source, folders.destination, choice);
    DeletionResult result;
    if (!command.has_value()) {
        for (const DeletionFailure &failure : std::as_const(plan.unexamined)) {
            if (!host.goOnAfterError(errorText(failure.path)))
                return result;
        }
    }
    result.failures = std::move(plan.unexamined);
    result.failures += plan.notFiles;
    const bool ask = command.has_value() || !choice.toTrash;
    // A deletion answered "&Non" changes nothing, the general command's choice included.
    if (!plan.files.isEmpty() && ask && !host.confirm(confirmationText(choice, plan.files.size())))
        return result;
    if (command.has_value() && !selected.isEmpty())
        command->storeInto(prefs);
    if (plan.files.isEmpty())
        return result;

    deleteFiles(plan.files, choice.toTrash, host, result);
    return result;
}

QString deletionFailureReport(const QList<DeletionFailure> &failures)
{
    const qsizetype count = failures.size();
    if (count == 0)
        return QString();
    QString text =
        count == 1
            ? QStringLiteral("Le fichier suivant n'a pas pu être supprimé :")
            : QStringLiteral("Les %1 fichiers suivants n'ont pas pu être supprimés :").arg(count);
    for (qsizetype i = 0; i < count && i < kMaxNamedDeletionFailures; ++i)
        text += u'\n' + failures[i].path + u" : " + failures[i].status.explanation();
    const qsizetype unnamed = count - kMaxNamedDeletionFailures;
    if (unnamed == 1)
        text += QStringLiteral("\n... et 1 autre fichier.");
    else if (unnamed > 1)
        text += QStringLiteral("\n... et %1 autres fichiers.").arg(unnamed);
    return text;
}
