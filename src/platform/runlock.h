#pragma once

#include "platform/iostatus.h"
#include "platform/uniquefd.h"

#include <QString>

namespace platform {

// The advisory lock a copy run holds on its destination folder, so that a second run on the
// same folder (in the window or in tandrimo-cli) is refused. It is keyed by the folder's
// identity (device and inode, the folder's name followed as the user wrote it), so that every
// name of one folder shares one lock.
//
// The destination folder itself carries an flock too, where its file system takes one: runs that
// see different lock folders (a cron job has no XDG_RUNTIME_DIR, another user has their own)
// still meet there. The lock is held when at least one of the two could be taken, and refused
// when another run holds either.
//
// The lock files lie in "$XDG_RUNTIME_DIR/tandrimo" when that variable holds an absolute path,
// else in "tandrimo-<uid>" under the temporary folder (TMPDIR, else /tmp). The program makes
// that folder with mode 0700 and uses it only when it is a folder, not a link, owned by the user
// and of mode 0700, so that no other user can take or remove a lock. The lock is an flock on
// "dest-<dev>-<ino>.lock": the kernel releases it when its process ends, even killed, and
// nothing else is needed to clean up. The files stay (removing a lock file while another run
// opens it would let two runs hold two different files).
class RunLock {
public:
    enum class State {
        Held,          // this run holds the lock until the object goes
        HeldElsewhere, // another run (another process, or another RunLock) holds it
        Unavailable,   // the lock could not be taken at all; status() says why
    };

    // Takes the lock of the destination folder; never blocks. Unavailable, with the reason:
    // the destination's stat fails; the lock folder cannot be made or opened (ENOTDIR when it
    // or the folder above is not a folder, or it is a symbolic link); EACCES when it is not the
    // user's own with mode 0700; the lock file cannot be opened or locked.
    static RunLock acquire(const QString &destinationFolder);

    RunLock(RunLock &&other) noexcept;
    RunLock &operator=(RunLock &&other) noexcept;
    RunLock(const RunLock &) = delete;
    RunLock &operator=(const RunLock &) = delete;
    ~RunLock(); // releases the lock

    // A lock moved from holds nothing and is Unavailable (EBADF).
    State state() const { return m_state; }
    // Why the lock is Unavailable; success otherwise.
    const IoStatus &status() const { return m_status; }

private:
    RunLock(State state, IoStatus status, int fd, int folderFd);
    void release();

    State m_state;
    IoStatus m_status;
    // Closed by the system's close(), as they were opened by its open().
    SystemUniqueFd m_fd;       // the lock file
    SystemUniqueFd m_folderFd; // the destination folder itself
};

} // namespace platform
