#include "platform/lettercase.h"

#include "platform/filecalls.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QByteArray otherCase(const QByteArray &name)
{
    QByteArray swapped = name;
    for (char &c : swapped) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return swapped;
}

bool statAt(int folderFd, const QByteArray &name, struct stat &st)
{
    return fileCalls().fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

} // namespace

bool ignoresLetterCase(int folderFd, const QByteArray &name)
{
    const QByteArray swapped = otherCase(name);
    struct stat first {};
    struct stat second {};
    return swapped != name && statAt(folderFd, name, first) && statAt(folderFd, swapped, second) &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

QByteArray entryNamedLike(int folderFd, const QByteArray &name)
{
    struct stat wanted {};
    if (!statAt(folderFd, name, wanted))
        return {};
    const int fd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    // Each entry is examined: some file systems give other numbers in a folder's entries than
    // their files' own, and the case rules of a disk's names go beyond ASCII.
    QByteArray found;
    while (const struct dirent *entry = ::readdir(dir)) {
        const QByteArray candidate(entry->d_name);
        struct stat st {};
        if (candidate == "." || candidate == "..")
            continue;
        if (candidate == name) {
            found = candidate;
            break;
        }
        if (found.isEmpty() && statAt(folderFd, candidate, st) && st.st_dev == wanted.st_dev &&
            st.st_ino == wanted.st_ino)
            found = candidate; // unless the name itself follows: another name of the same file
    }
    ::closedir(dir);
    return found;
}

} // namespace platform
