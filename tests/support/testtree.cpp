#include "support/testtree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TestTree::TestTree() = default;

QString TestTree::path(const QString &relative) const
{
    return m_dir.filePath(relative);
}

QString TestTree::writeFile(const QString &relative, const QByteArray &content)
{
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size())
        return QString();
    return full;
}

QString TestTree::writeFile(const QString &relative, const QByteArray &content,
                            const QDateTime &modified)
{
    const QString full = writeFile(relative, content);
    if (!full.isEmpty())
        setModified(relative, modified);
    return full;
}

QString TestTree::makeFolder(const QString &relative)
{
    const QString full = path(relative);
    QDir().mkpath(full);
    return full;
}

QByteArray TestTree::read(const QString &relative) const
{
    QFile file(path(relative));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool TestTree::setModified(const QString &relative, const QDateTime &modified) const
{
    const qint64 ms = modified.toMSecsSinceEpoch();
    struct timespec times[2];
    times[0].tv_sec = ms / 1000;
    times[0].tv_nsec = (ms % 1000) * 1000000;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, QFile::encodeName(path(relative)).constData(), times,
                       AT_SYMLINK_NOFOLLOW) == 0;
}

bool TestTree::setMode(const QString &relative, unsigned mode) const
{
    return ::chmod(QFile::encodeName(path(relative)).constData(), mode) == 0;
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}
