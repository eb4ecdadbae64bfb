#include "platform/paths.h"

#include <QFile>

#include <sys/stat.h>

namespace platform {

namespace {

bool statMode(const QString &path, mode_t *mode)
{
    if (path.isEmpty())
        return false;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    *mode = st.st_mode;
    return true;
}

} // namespace

bool isExistingFile(const QString &path)
{
    mode_t mode = 0;
    return statMode(path, &mode) && S_ISREG(mode);
}

bool isExistingFolder(const QString &path)
{
    mode_t mode = 0;
    return statMode(path, &mode) && S_ISDIR(mode);
}

bool mayRunAsProgram(const QByteArray &path)
{
    if (path.isEmpty())
        return false;
    if (path.right(8).toLower() == ".desktop")
        return true;
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
           (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

QUrl localFileUrl(const QByteArray &path)
{
    return QUrl::fromEncoded(QByteArray("file://" + path.toPercentEncoding("/")));
}

QString fileNamePart(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QByteArray folderOfPath(const QByteArray &path)
{
    QByteArrayView trimmed(path);
    while (trimmed.size() > 1 && trimmed.endsWith('/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return trimmed.first(slash).toByteArray();
}

} // namespace platform
