#pragma once

#include "compare/command.h"
#include "platform/iostatus.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class FileList;
struct FoldersOfList;
struct UserPrefs;

// Which folders a deletion takes the selected rows' files from, and whether they go to the
// trash or for good: what the three preferences FileDeleteSrc, FileDeleteDest and
// FileDeleteSendToTrash hold.
struct DeletionChoice {
    bool source = false;
    bool destination = false;
    bool toTrash = true;

    static DeletionChoice fromPrefs(const UserPrefs &prefs);
    void storeInto(UserPrefs &prefs) const;
    friend bool operator==(const DeletionChoice &, const DeletionChoice &) = default;
};

// What a deletion command deletes: a fixed command its own choice, the general command
// (no value) what the preferences say. The window carries it as each command's action data.
using DeletionCommand = std::optional<DeletionChoice>;

struct DeletionCommandEntry {
    Command command;
    DeletionCommand choice;
};

inline constexpr DeletionCommandEntry kDeletionCommands[] = {
    {Command::ActFileDelete, std::nullopt},
    {Command::ActFileDeleteSrcInTrash, DeletionChoice{true, false, true}},
    {Command::ActFileDeleteDestInTrash, DeletionChoice{false, true, true}},
    {Command::ActFileDeleteSrcAndDestInTrash, DeletionChoice{true, true, true}},
    {Command::ActFileDeleteSrcFull, DeletionChoice{true, false, false}},
    {Command::ActFileDeleteDestFull, DeletionChoice{false, true, false}},
    {Command::ActFileDeleteSrcAndDestFull, DeletionChoice{true, true, false}},
};

// A file a deletion removes: its full path, byte-exact, of which the first rootLength bytes
// are the project folder.
struct DeletionFile {
    QByteArray path;
    qsizetype rootLength = 0;
};

// A file that could not be deleted, and why.
struct DeletionFailure {
    QString path;
    platform::IoStatus status;
};

// The files behind the selected rows that a deletion removes, in list order, a row's source
// before its destination. A file is a regular file or a symbolic link to one (the link goes,
// never its target). Rows carrying a message and missing names are passed over; a name that is
// there but no file (a folder, a link to a folder or to nothing, a device) is passed over and
// told; a name that could not be examined (a folder on the way is a link, or cannot be
// searched) is no file to remove either.
struct DeletionPlan {
    QList<DeletionFile> files;
    QList<DeletionFailure> unexamined;
    QList<DeletionFailure> notFiles;
};

DeletionPlan planDeletion(const FileList &rows, const QList<int> &selected,
                          const QString &sourceFolder, const QString &destinationFolder,
                          const DeletionChoice &choice);

// What a deletion asks of the window.
class DeletionHost {
public:
    virtual ~DeletionHost() = default;
    // A confirmation box, "&Oui" and "&Non", "&Non" the default: true for "&Oui".
    virtual bool confirm(const QString &question) = 0;
    // The warning box of the general command about a file it could not handle, "&Oui" and
    // "&Non": true to go on.
    virtual bool goOnAfterError(const QString &text) = 0;
};

struct DeletionResult {
    int deleted = 0;
    QList<DeletionFailure> failures;
};

// Runs a deletion command on the selected rows (FileList indices, in list order). A fixed
// command stores its choice into prefs once a row is selected, unless the user answers "&Non". A
// permanent deletion, and a fixed command's trash, is confirmed first, with the count of existing
// files; the general command asks about each file it could not examine, and "&Non" ends it before
// anything is deleted. Files the trash did not take are deleted for good only on the user's
// word, asked once. The rows are left as they are: the caller refreshes the list.
DeletionResult runDeletion(const DeletionCommand &command, const FileList &rows,
                           const QList<int> &selected, const FoldersOfList &folders,
                           UserPrefs &prefs, DeletionHost &host);

// The failures, each with its reason, the first kMaxNamedDeletionFailures of them by name.
QString deletionFailureReport(const QList<DeletionFailure> &failures);

inline constexpr int kMaxNamedDeletionFailures = 20;
