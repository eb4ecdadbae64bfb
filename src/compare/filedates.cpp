#include "compare/filedates.h"

#include "compare/rowfiles.h"
#include "platform/nofollowpath.h"

#include <QFile>

namespace {

using platform::NoFollowPath;

constexpr qint64 kDayMs = 86400000;

void addIfFile(const QByteArray &path, qsizetype rootLength, QList<DatedFile> &files)
{
    const NoFollowPath file(path.left(rootLength), path.mid(rootLength));
    if (file.isFile())
        files.append({path, rootLength});
}

// The offset from UTC, in seconds, of the local zone at an instant.
int localOffsetAt(qint64 utcMs)
{
    return QDateTime::fromMSecsSinceEpoch(utcMs, Qt::LocalTime).offsetFromUtc();
}

NoFollowPath::FileTime fileTime(const QDateTime &utc)
{
    const qint64 ms = utc.toMSecsSinceEpoch();
    // Rounded towards the past, so that the nanoseconds are never negative.
    const qint64 seconds = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
    return {seconds, (ms - seconds * 1000) * 1000000};
}

QString storedText(const NoFollowPath::FileTime &stored)
{
    const QDateTime when = QDateTime::fromSecsSinceEpoch(stored.seconds, Qt::UTC)
                               .addMSecs(stored.nanoseconds / 1000000);
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

} // namespace

QString DatedFile::text() const
{
    return QFile::decodeName(path);
}

QList<DatedFile> filesToDate(const FileList &rows, const QList<int> &selected,
                             const QString &sourceFolder, const QString &destinationFolder,
                             bool source, bool destination)
{
    QList<DatedFile> files;
    for (const RowFile &file :
         filesOfRows(rows, selected, sourceFolder, destinationFolder, source, destination))
        addIfFile(file.path, file.rootLength, files);
    return files;
}

QDateTime LocalToUtc(QDate date, QTime time)
{
    const QDateTime wall(date, time, Qt::UTC);
    if (!wall.isValid())
        return QDateTime();
    const qint64 wallMs = wall.toMSecsSinceEpoch();
    // Read with the offset in force the day before; when that offset no longer holds at the
    // instant found, with the offset of the day after; when neither does, the time was skipped.
    const int before = localOffsetAt(wallMs - kDayMs);
    const qint64 early = wallMs - qint64(before) * 1000;
    if (localOffsetAt(early) == before)
        return QDateTime::fromMSecsSinceEpoch(early, Qt::UTC);
    const int after = localOffsetAt(wallMs + kDayMs);
    const qint64 late = wallMs - qint64(after) * 1000;
    if (localOffsetAt(late) == after)
        return QDateTime::fromMSecsSinceEpoch(late, Qt::UTC);
    return QDateTime::fromMSecsSinceEpoch(early, Qt::UTC);
}

DateSetOutcome SetFileTimes(const DatedFile &file, const QDateTime &utc, const TimesToSet &times)
{
    if (times.creation)
        return {false, QStringLiteral("la date de création ne peut pas être modifiée ici")};
    if (!times.lastWrite && !times.lastAccess)
        return {false, QStringLiteral("aucune date demandée")};
    if (!utc.isValid())
        return {false, QStringLiteral("date invalide")};
    const NoFollowPath path(file.path.left(file.rootLength), file.path.mid(file.rootLength));
    if (path.kind() == NoFollowPath::Kind::Link)
        return {false, QStringLiteral("lien symbolique : il n'est pas suivi")};
    if (path.isReadOnlyFile())
        return {false, QStringLiteral("fichier en lecture seule")};
    const NoFollowPath::FileTime asked = fileTime(utc);
    const auto wanted = [&asked](bool requested) -> std::optional<NoFollowPath::FileTime> {
        if (requested)
            return asked;
        return std::nullopt;
    };
    const platform::IoStatus status =
        path.setTimes(wanted(times.lastAccess), wanted(times.lastWrite));
    if (!status.ok())
        return {false, status.explanation()};
    const std::optional<NoFollowPath::Times> stored = path.times();
    if (!stored.has_value())
        return {false, QStringLiteral("dates illisibles après modification")};
    for (const auto &[requested, kept] :
         {std::pair(times.lastWrite, stored->write), std::pair(times.lastAccess, stored->access)}) {
        if (requested && kept != asked)
            return {false, QStringLiteral("le système de fichiers a enregistré %1 (UTC)")
                               .arg(storedText(kept))};
    }
    return {true, QString()};
}
