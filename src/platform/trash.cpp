#include "platform/trash.h"

#include "platform/filecalls.h"
#include "platform/forcefolder.h"
#include "platform/paths.h"

#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qsizetype kNameMax = 255;
constexpr QByteArrayView kRecordSuffix = ".trashinfo";
// Numbered names tried after the file's own, before the trash counts as full.
constexpr int kMaxNumber = 99999;

QByteArray absolutePath(const QByteArray &path)
{
    if (path.startsWith('/'))
        return path;
    char *folder = ::getcwd(nullptr, 0);
    if (folder == nullptr)
        return path;
    const QByteArray absolute = QByteArray(folder) + '/' + path;
    std::free(folder);
    return absolute;
}

std::optional<dev_t> deviceOf(const QByteArray &path)
{
    struct stat st {};
    if (fileCalls().stat(path.constData(), &st) != 0)
        return std::nullopt;
    return st.st_dev;
}

// The device of the folder that holds path, or would once made: its nearest existing ancestor.
dev_t deviceOfNearest(QByteArray path)
{
    std::optional<dev_t> device = deviceOf(path);
    while (!device) {
        // The root, or the current folder for a path that could not be made absolute, is the
        // last folder up.
        const QByteArray up = folderOfPath(path);
        if (up == path)
            break;
        path = up;
        device = deviceOf(path);
    }
    return device.value_or(0);
}

// The top folder of the volume that holds folder: its last ancestor on that device.
QByteArray volumeTop(QByteArray folder, dev_t device)
{
    for (;;) {
        const QByteArray up = folderOfPath(folder);
        if (up == folder || deviceOf(up) != device)
            break;
        folder = up;
    }
    return folder;
}

// A folder the user alone may enter, made when missing. Where another user could have planted
// a link (the top of a shared volume), a link or a folder of someone else's is refused.
IoStatus makePrivateFolder(const QByteArray &path, bool shared)
{
    FileCalls &calls = fileCalls();
    if (calls.mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return IoStatus::fromErrno(errno);
    struct stat st {};
    if ((shared ? calls.lstat(path.constData(), &st) : calls.stat(path.constData(), &st)) != 0)
        return IoStatus::fromErrno(errno);
    if (!S_ISDIR(st.st_mode))
        return IoStatus::fromErrno(ENOTDIR);
    if (shared && st.st_uid != ::getuid())
        return IoStatus::fromErrno(EACCES);
    return IoStatus::success();
}

// The failure is told as that of the file: a trash folder blocked by a file or a link is told
// as a trash that refuses the file, not as a path that is not a folder, which would read as
// said of the file's own path.
IoStatus unusableTrash(const IoStatus &status)
{
    const int error = status.error();
    return error == ENOTDIR || error == ELOOP || error == EEXIST ? IoStatus::fromErrno(EACCES)
                                                                 : status;
}

// The trash of a volume other than the home trash's: $top/.Trash/$uid where an administrator
// made $top/.Trash (a real folder with the sticky bit), else $top/.Trash-$uid.
IoStatus volumeTrash(const QByteArray &top, QByteArray &trash)
{
    const QByteArray base = top == "/" ? QByteArray() : top;
    const QByteArray uid = QByteArray::number(::getuid());
    struct stat st {};
    const QByteArray sharedTrash = base + "/.Trash";
    if (fileCalls().lstat(sharedTrash.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
        (st.st_mode & S_ISVTX) != 0) {
        trash = sharedTrash + '/' + uid;
        if (makePrivateFolder(trash, true).ok())
            return IoStatus::success();
    }
    trash = base + "/.Trash-" + uid;
    return makePrivateFolder(trash, true);
}

// The file's name as the trash keeps it: cut at the start of a character to leave room for
// the record's suffix and a number.
QByteArray trashStem(const QByteArray &name)
{
    constexpr qsizetype room = kNameMax - kRecordSuffix.size() - 6; // ".99999"
    if (name.size() <= room)
        return name;
    qsizetype cut = room;
    while (cut > 0 && (uchar(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.left(cut > 0 ? cut : room);
}

IoStatus writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            fileCalls().write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return IoStatus::fromErrno(n < 0 ? errno : ENOSPC);
        done += n;
    }
    return IoStatus::success();
}

// rename that never replaces a file of the trash; where the file system cannot promise that,
// the name is checked free just before.
int renameNoReplace(const QByteArray &from, int folder, const QByteArray &name)
{
    FileCalls &calls = fileCalls();
    if (calls.renameat(AT_FDCWD, from.constData(), folder, name.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    struct stat st {};
    if (calls.fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return calls.renameat(AT_FDCWD, from.constData(), folder, name.constData(), 0);
}

// Writes the record under the first name that neither info/ nor files/ holds, then moves the
// file into files/ under that name. The record is made with O_EXCL, so that two deletions at
// once never share a name.
IoStatus placeInTrash(const QByteArray &path, const QByteArray &record, int files, int info)
{
    FileCalls &calls = fileCalls();
    const QByteArray stem = trashStem(path.mid(path.lastIndexOf('/') + 1));
    for (int number = 1; number <= kMaxNumber; ++number) {
        const QByteArray name = number == 1 ? stem : stem + '.' + QByteArray::number(number);
        const QByteArray recordName = name + kRecordSuffix;
        const int fd = calls.openat(info, recordName.constData(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return IoStatus::fromErrno(errno);
        IoStatus status = writeAll(fd, record);
        if (calls.close(fd) != 0 && status.ok())
            status = IoStatus::fromErrno(errno);
        if (status.ok() && renameNoReplace(path, files, name) == 0)
            return IoStatus::success();
        const int error = status.ok() ? errno : status.error();
        calls.unlinkat(info, recordName.constData(), 0);
        if (error != EEXIST)
            return IoStatus::fromErrno(error);
    }
    return IoStatus::fromErrno(EEXIST);
}

// Where a file goes: the trash folder, made with its files/ and info/, and what the record's
// Path= names: the absolute path in the home trash, the path below the volume's top in the
// trash of a volume.
struct TrashPlace {
    IoStatus status;
    QByteArray folder;
    QByteArray recorded;
};

TrashPlace trashFor(const QByteArray &path, dev_t device)
{
    TrashPlace place;
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QByteArray home =
        dataHome.isEmpty() ? QByteArray() : QFile::encodeName(dataHome) + "/Trash";
    const bool inHome = !home.isEmpty() && deviceOfNearest(home) == device;
    if (inHome) {
        place.status = ForceFolder(folderOfPath(home));
        place.folder = home;
        place.recorded = path;
    } else {
        const QByteArray top = volumeTop(folderOfPath(path), device);
        place.status = volumeTrash(top, place.folder);
        place.recorded = path.mid(top == "/" ? 1 : top.size() + 1);
    }
    for (const char *folder : {"", "/files", "/info"}) {
        if (place.status.ok())
            place.status = makePrivateFolder(place.folder + folder, !inHome);
    }
    return place;
}

// An open folder, closed with its owner.
struct OpenFolder {
    explicit OpenFolder(const QByteArray &path)
        : fd(fileCalls().open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0))
    {}
    ~OpenFolder()
    {
        if (fd >= 0)
            fileCalls().close(fd);
    }
    OpenFolder(const OpenFolder &) = delete;
    OpenFolder &operator=(const OpenFolder &) = delete;
    int fd;
};

} // namespace

QByteArray trashInfoRecord(const QByteArray &path, const QDateTime &deletedAt)
{
    return "[Trash Info]\nPath=" + path.toPercentEncoding("/") + "\nDeletionDate=" +
           deletedAt.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1() + '\n';
}

IoStatus moveToTrash(const QByteArray &given)
{
    const QByteArray path = absolutePath(given);
    struct stat file {};
    if (fileCalls().lstat(path.constData(), &file) != 0)
        return IoStatus::fromErrno(errno);
    const TrashPlace place = trashFor(path, file.st_dev);
    if (!place.status.ok())
        return unusableTrash(place.status);
    const OpenFolder files(place.folder + "/files");
    if (files.fd < 0)
        return unusableTrash(IoStatus::fromErrno(errno));
    const OpenFolder info(place.folder + "/info");
    if (info.fd < 0)
        return unusableTrash(IoStatus::fromErrno(errno));
    return placeInTrash(path, trashInfoRecord(place.recorded, QDateTime::currentDateTime()),
                        files.fd, info.fd);
}

} // namespace platform
