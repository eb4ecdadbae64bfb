#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// A test step run in a forked child process, under a time limit: for what may block, for what
// must run without root's override of permissions, in a mount namespace of its own, or to be
// killed in the middle. The child's body returns what it wants the test to see.
struct ChildOutcome {
    bool exited = false;   // returned normally
    bool timedOut = false; // killed at the time limit
    int signal = 0;        // the signal that ended it
    QByteArray output;     // what the body returned
};

ChildOutcome runInChild(const std::function<QByteArray()> &body, int timeoutMs = 20000);

// Skips a test whose child starts threads: ThreadSanitizer does not follow threads started
// after a fork from a process that has some (Qt Test's watchdog), and the child may hang.
#if defined(__SANITIZE_THREAD__)
#define SKIP_THREADED_CHILD_UNDER_TSAN()                                                           \
    QSKIP("a forked child that starts threads, under ThreadSanitizer")
#else
#define SKIP_THREADED_CHILD_UNDER_TSAN()                                                           \
    do {                                                                                           \
    } while (false)
#endif

// In a child run as root: gives the tree to the unprivileged user 65534 and becomes that user,
// so that permission bits hold. Does nothing when not root. False when it failed.
bool becomeUnprivileged(const QString &tree);

// In a child run as root: mounts a tmpfs of that many bytes on folder, visible to this child
// only. False when it could not (not root, no mount namespaces).
bool mountPrivateTmpfs(const QString &folder, qint64 bytes);
// Undoes mountPrivateTmpfs, so that the folder can be removed.
void unmountPrivateTmpfs(const QString &folder);
