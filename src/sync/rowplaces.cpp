#include "sync/rowplaces.h"

#include "compare/folderpath.h"
#include "platform/filestat.h"
#include "platform/lettercase.h"
#include "platform/staletemporaries.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <tuple>

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("CopyRun", source);
}

} // namespace

std::pair<QString, QString> nameTakenTexts(const QString &holder, const QString &name)
{
    return {text("le nom est déjà pris par « %1 » sur ce support, qui ne distingue pas les "
                 "majuscules des minuscules")
                .arg(holder),
            text("« %1 » et « %2 » désignent le même fichier sur ce support ; « %1 » n'est pas "
                 "remplacé.")
                .arg(holder, name)};
}

RowPlacesFinder::RowPlacesFinder(const QString &srcPath, const QString &destPath)
    : m_source(QFile::encodeName(srcPath)), m_destination(QFile::encodeName(destPath)),
      m_srcPath(srcPath), m_destPath(destPath)
{}

QString RowPlacesFinder::pathText(bool sourceSide, const QByteArray &relative) const
{
    const QString &root = sourceSide ? m_srcPath : m_destPath;
    return relative.isEmpty() ? root : JoinFolderPath(root, QFile::decodeName(relative));
}

RowPlaces RowPlacesFinder::find(const QByteArray &relative, bool back)
{
    RowPlaces places;
    const QByteArrayView folder = platform::folderPartOf(relative);
    const QByteArray name = platform::namePartOf(relative).toByteArray();
    platform::FolderTree &originTree = back ? m_destination : m_source;
    platform::FolderTree &targetTree = back ? m_source : m_destination;
    const auto failed = [&](const platform::FolderReach &reach, bool sourceSide, bool targetSide) {
        const QString where = pathText(sourceSide, reach.stoppedAt);
        const int error = reach.status.error();
        if (reach.status.cause() == platform::IoStatus::Cause::LinkRefused)
            places.failure =
                text("le dossier « %1 » est un lien symbolique, que la copie ne suit jamais")
                    .arg(where);
        else if (error == ENOTDIR)
            places.failure = text("« %1 » n'est pas un dossier").arg(where);
        else if (targetSide && reach.makeFailed)
            places.failure = text("impossible de créer le dossier « %1 » (%2)")
                                 .arg(where, reach.status.explanation());
        else
            places.failure =
                text("dossier « %1 » inaccessible (%2)").arg(where, reach.status.explanation());
        places.failureDetail = reach.status.reason();
    };

    const platform::FolderReach origin = originTree.reach(folder, false);
    if (!origin.ok()) {
        failed(origin, !back, false);
        return places;
    }
    const platform::FolderReach target = targetTree.reach(folder, true);
    if (!target.ok()) {
        failed(target, back, true);
        return places;
    }
    places.origin = {origin.folder, name};
    places.target = {target.folder, name};
    places.originFollowsLink = !back;
    places.sourceFolder = back ? target.folder : origin.folder;
    places.destinationFolder = back ? origin.folder : target.folder;
    if (!target.made)
        examineTarget(places, (back ? '<' : '>') + folder.toByteArray());
    return places;
}

// A target in a folder the run made is not there: no lookup of its name, which would wait for the
// folder's blocks while the copies before it are flushed. (A file that appears there since keeps
// its place: the commit never replaces a name it found free.)
void RowPlacesFinder::examineTarget(RowPlaces &places, const QByteArray &folderKey)
{
    const int fd = places.target.folder->fd();
    if (!m_cleaned.contains(folderKey)) {
        platform::removeStaleTemporariesAt(fd);
        m_cleaned.insert(folderKey);
    }
    const QByteArray &name = places.target.name;
    const platform::FileStat st = platform::statAt(fd, name.constData(), false);
    TargetState &target = places.targetState;
    if (st.error == ENOENT)
        return;
    // An entry that cannot be examined counts as a read-only file: nothing is decided for it.
    target.exists = true;
    target.regular = !st.ok() || st.regular;
    target.folder = st.ok() && st.folder;
    target.readOnly = !st.ok() || (st.regular && !st.ownerWritable);
    if (!st.ok() || target.folder)
        return;
    const QByteArray holder = nameTakenFor(places, folderKey);
    if (holder.isEmpty())
        return;
    std::tie(places.failure, places.failureDetail) =
        nameTakenTexts(QFile::decodeName(holder), QFile::decodeName(name));
}

QByteArray RowPlacesFinder::nameTakenFor(const RowPlaces &places, const QByteArray &folderKey)
{
    const QByteArray &name = places.target.name;
    const int fd = places.target.folder->fd();
    if (m_namesFolder != folderKey) {
        m_names = platform::folderEntryNames(fd);
        m_namesFolder = folderKey;
    }
    if (m_names.contains(name))
        return {};
    // Read again: the file may have come since the names were read.
    m_names = platform::folderEntryNames(fd);
    return m_names.contains(name) ? QByteArray() : platform::nameInOtherCase(m_names, name);
}
