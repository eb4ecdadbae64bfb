#pragma once

#include <QString>

namespace platform {

// The outcome of a file operation: success, or the system's reason for the failure.
// The caller words what failed for the user; explanation() says why in a few French words, and
// reason() carries the system's own detail.
class IoStatus {
public:
    IoStatus() = default;
    static IoStatus fromErrno(int error) { return IoStatus(error == 0 ? EIO_FALLBACK : error); }
    static IoStatus success() { return IoStatus(); }

    bool ok() const { return m_error == 0; }
    int error() const { return m_error; }
    // The system's message, with the error's symbolic name ("No space left on device (ENOSPC)").
    QString reason() const;
    // Why, in French, for a row or a message box: "disque plein", "accès refusé".
    QString explanation() const;

private:
    static constexpr int EIO_FALLBACK = 5; // EIO, when a failure left errno at 0
    explicit IoStatus(int error) : m_error(error) {}
    int m_error = 0;
};

} // namespace platform
