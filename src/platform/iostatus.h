#pragma once

#include <QString>

namespace platform {

// The outcome of a file operation: success, or what failed. A failure is either the system's
// (the call that failed and its errno) or a reason of the program's own, which never borrows
// an errno: a network disk's real ESTALE is never taken for "the origin changed". When the
// cause lies in a folder rather than in the file (a folder that takes no new file, that is
// missing, on a read-only disk), the failure says so, and the text names that folder once the
// caller has given it (inFolder). explanation() says why in a few French words, for a row or a
// box; reason() adds the detail, the call and the errno's name, in French too.
class IoStatus {
public:
    // The program's own reasons.
    enum class Cause {
        System,         // errno and the call tell
        SourceChanged,  // the origin changed, moved or went while it was copied
        NotRegularFile, // not a regular file: a device, a FIFO, a socket
        LinkRefused,    // a symbolic link where none is ever followed
        CopyDiffers,    // the verification found the copy different from its origin
        NameTaken,      // another file holds the name
        InvalidName,    // a name that no file may have ("..", empty)
        LineTooLong,    // a line longer than the kind of file allows
        FileTooLarge,   // larger than the kind of file allows
        NotOwnFolder,   // a folder meant for the user alone that others may enter
    };

    IoStatus() = default;
    // The system's failure of call (its name, "openat"); a failure that left errno at 0 counts
    // as EIO.
    static IoStatus fromErrno(int error, const char *call = nullptr);
    static IoStatus own(Cause cause) { return IoStatus(0, cause, nullptr); }
    static IoStatus success() { return IoStatus(); }

    // The same failure, caused by a folder: by the folder holding the file (folder empty), or
    // by the folder whose path, as the user reads it, is given.
    IoStatus inFolder(const QString &folder = QString()) const;
    bool concernsFolder() const { return m_folderCause; }

    bool ok() const { return m_error == 0 && m_cause == Cause::System; }
    // The system's errno; 0 for success and for the program's own reasons.
    int error() const { return m_error; }
    Cause cause() const { return m_cause; }
    const char *call() const { return m_call; }
    // Why, in French, for a row or a message box: "disque plein", "le dossier « … » est en
    // lecture seule".
    QString explanation() const;
    // The same with the detail: "accès refusé (openat : EACCES)".
    QString reason() const;

private:
    static constexpr int EIO_FALLBACK = 5; // EIO, when a failure left errno at 0
    IoStatus(int error, Cause cause, const char *call)
        : m_error(error), m_cause(cause), m_call(call)
    {}
    int m_error = 0;
    Cause m_cause = Cause::System;
    const char *m_call = nullptr; // a literal
    bool m_folderCause = false;
    QString m_folder;
};

} // namespace platform
