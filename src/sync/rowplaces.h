#pragma once

#include "platform/failsafecopy.h"
#include "platform/foldertree.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <utility>

// What a copy finds in its target's place, the entry itself examined (a link is not followed).
struct TargetState {
    bool exists = false;
    bool regular = false;
    bool folder = false;
    bool readOnly = false; // a regular file whose owner's write bit is clear
};

// Where a row's copy reads and writes: its origin and its target, each a name in a folder held
// open, or why they could not be reached.
struct RowPlaces {
    platform::FileInFolder origin;
    platform::FileInFolder target;
    // The origin is in the source, where a link to a file is the file the listing found; a link
    // in the destination is never followed.
    bool originFollowsLink = false;
    TargetState targetState;
    // The folders of the row on each side, for the watch of what changes there.
    platform::FolderRef sourceFolder;
    platform::FolderRef destinationFolder;
    // Not empty when the row cannot be copied: why, in French, and the detail behind it.
    QString failure;
    QString failureDetail;

    bool ok() const { return failure.isEmpty(); }
};

// Why a copy does not take its name, held by holder on a disk that takes one for the other:
// the row's text and its detail.
std::pair<QString, QString> nameTakenTexts(const QString &holder, const QString &name);

// The places of a copy run's rows in its two folders. Every folder below the source and the
// destination is reached from its parent's handle one name at a time, never through a symbolic
// link (a link planted there, before or during the run, names its path in the row's error); the
// target's folder is made when missing, and cleaned of the temporary files an earlier, killed run
// left there the first time it is met. An existing target is looked for among its folder's own
// names: a file system that ignores letter case finds README.txt where only Readme.TXT is, and
// that other file is never replaced in its stead. On the worker's thread, rows in list order.
class RowPlacesFinder {
public:
    RowPlacesFinder(const QString &srcPath, const QString &destPath);

    // relative: the row's exact bytes below both folders; back: from the destination to the
    // source.
    RowPlaces find(const QByteArray &relative, bool back);

private:
    void examineTarget(RowPlaces &places, const QByteArray &folderKey);
    // The entry that holds the place of an existing target under another letter case, on a
    // file system that takes one for the other; empty when the target's own name is there.
    QByteArray nameTakenFor(const RowPlaces &places, const QByteArray &folderKey);
    QString pathText(bool sourceSide, const QByteArray &relative) const;

    platform::FolderTree m_source;
    platform::FolderTree m_destination;
    QString m_srcPath;
    QString m_destPath;
    // Per target folder, '<' or '>' (its side) then its relative path: cleaned already.
    QSet<QByteArray> m_cleaned;
    // The names in the last target folder that held a target, read once for the folder's rows.
    QByteArray m_namesFolder;
    QSet<QByteArray> m_names;
};
